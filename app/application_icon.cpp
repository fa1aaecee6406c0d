#include "app/application_icon.h"

namespace sorvik::app {

QIcon applicationIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/sorvik/icons/sorvik-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace sorvik::app
