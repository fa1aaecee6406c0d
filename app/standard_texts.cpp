#include "app/standard_texts.h"

#include <QLibraryInfo>
#include <QTranslator>

namespace sorvik::app {

bool useJapaneseStandardTexts(QCoreApplication& application) {
    auto* catalogue = new QTranslator(&application);
    const bool loaded = catalogue->load(QStringLiteral(":/sorvik/translations/qtbase_ja.qm")) ||
                        catalogue->load(QStringLiteral("qtbase_ja"),
                                        QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (!loaded) {
        delete catalogue;
        return false;
    }
    return QCoreApplication::installTranslator(catalogue);
}

}  // namespace sorvik::app
