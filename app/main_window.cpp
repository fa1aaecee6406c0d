#include "app/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

#include "app/application_icon.h"
#include "app/automatic_run.h"
#include "app/dialogs.h"
#include "app/folder_boxes.h"
#include "app/path_list_panel.h"
#include "app/qt_text.h"
#include "app/run_controller.h"
#include "app/settings_panel.h"
#include "app/window_order.h"
#include "app/window_texts.h"
#include "engine/messages.h"
#include "lists/extension_file.h"
#include "lists/list_name.h"
#include "lists/settings_file.h"
#include "platform/path_lookup.h"
#include "platform/window_system.h"

namespace sorvik::app {

namespace {

// Only an ordinary file counts: a folder or a FIFO under one of the program's names is no file.
bool isOrdinaryFile(const std::string& path) {
    const auto kind = platform::lookUp(path);
    return kind && *kind == platform::EntryKind::ordinaryFile;
}

QPushButton* newButton(std::string_view caption, const QString& name, const QRect& geometry,
                       QWidget* parent) {
    auto* button = new QPushButton(qText(caption), parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

}  // namespace

MainWindow::MainWindow(const std::string& programFolder, QWidget* parent)
    : QMainWindow(parent), files_(frontend::programFilesIn(programFolder)) {
    setObjectName(QStringLiteral("mainWindow"));
    // The window keeps one size, so it offers no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(qText(engine::text::kApplicationTitle));
    setWindowIcon(applicationIcon());

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(421, 398);
    setCentralWidget(client);
    // 9 points at 96 dots per inch, the size the layout was drawn for, in the system's Japanese
    // UI font.
    QFont uiFont = font();
    uiFont.setPixelSize(12);
    QStringList families;
    for (const std::string& family : platform::uiFontFamilies(stdText(uiFont.family()))) {
        families << qText(family);
    }
    uiFont.setFamilies(families);
    setFont(uiFont);

    boxes_ = new FolderBoxes(client);
    backUpButton_ =
        newButton(text::kBackUpButton, QStringLiteral("backUpButton"), {4, 52, 89, 25}, client);
    backUpListButton_ = newButton(text::kBackUpListButton, QStringLiteral("backUpListButton"),
                                  {324, 52, 89, 25}, client);
    // The two panels share one place; the settings item of the menu bar switches between them.
    pathList_ = new PathListPanel(files_, client);
    pathList_->setGeometry(4, 84, 413, 309);
    settings_ = new SettingsPanel(files_, client);
    settings_->setGeometry(4, 84, 413, 309);
    settings_->hide();

    run_ = new RunController(*this, files_, *boxes_, *pathList_, *settings_);
    automatic_ = new AutomaticRun(*this, *run_, *settings_, files_.automaticRunMarker);
    createMenus();
    connectPanels();
    keepShape();
}

void MainWindow::createMenus() {
    QMenu* option = menuBar()->addMenu(qText(text::kOptionMenu));
    option->setObjectName(QStringLiteral("optionMenu"));
    option->addAction(&settings_->placeholderItem());
    QAction* panels = menuBar()->addAction(qText(text::kSettingsItem));
    panels->setObjectName(QStringLiteral("settingsItem"));
    connect(panels, &QAction::triggered, this, &MainWindow::switchPanels);
}

void MainWindow::connectPanels() {
    connect(backUpButton_, &QPushButton::clicked, run_, &RunController::backUpPair);
    connect(backUpListButton_, &QPushButton::clicked, run_, &RunController::backUpList);
    connect(pathList_, &PathListPanel::pairSelected, boxes_, &FolderBoxes::showPair);
    connect(pathList_, &PathListPanel::addPairRequested, this,
            [this] { pathList_->addPair(boxes_->pair()); });
    connect(pathList_, &PathListPanel::listFilesChanged, settings_,
            &SettingsPanel::refreshListFiles);
    connect(boxes_, &FolderBoxes::driveLettersTyped, pathList_, &PathListPanel::swapDriveLetter);
    connect(boxes_, &FolderBoxes::driveChosen, pathList_, &PathListPanel::moveToDrive);
    connect(settings_, &SettingsPanel::listFileChosen, pathList_, &PathListPanel::switchTo);
    connect(settings_, &SettingsPanel::newListRequested, pathList_, &PathListPanel::createList);
    // The columns keep their pairs, but no file backs them now.
    connect(settings_, &SettingsPanel::listFileDeleted, pathList_, &PathListPanel::forgetList);
    connect(settings_, &SettingsPanel::optionChanged, this, [this](lists::Option option, bool on) {
        if (option == lists::Option::alwaysOnTop) {
            applyAlwaysOnTop();
        } else if (option == lists::Option::automaticRun) {
            automatic_->optionSwitched(on);
        }
    });
    connect(automatic_, &AutomaticRun::pendingChanged, this, [this](bool pending) {
        if (pending) {
            move(0, 0);  // the countdown strip lies along the top of the screen
        }
        keepShape();
    });
}

void MainWindow::start() {
    run_->holdWhile([this] {
        settings_->refreshListFiles();
        automatic_->armIfMarked();
        const std::string listPath = restoreSettings();
        pathList_->open(listPath);
        restoreExcludedExtensions();
        if (!pathList_->pairs().empty()) {
            pathList_->selectPair(0);
        }
    });
    // The one place the window lets queued events run itself; it may already deliver the first
    // countdown tick.
    QCoreApplication::processEvents();
}

std::string MainWindow::restoreSettings() {
    bool firstRun = !isOrdinaryFile(files_.settings);
    std::string listPath;
    if (!firstRun) {
        const auto settings = lists::readSettingsFile(files_.settings);
        if (!settings) {
            // Nothing of it can be trusted: start as on a first run, and say why.
            tell(this,
                 messageWithPath(engine::text::kFileUnreadable, files_.settings, settings.error()));
            firstRun = true;
        } else {
            listPath = settings->listPath;
            settings_->showOptions(*settings);
            applyAlwaysOnTop();
        }
    }
    if (firstRun) {
        keepOnTop(*this, true);
    }
    // A list deleted in the last session leaves no current list: ask for one as on a first run.
    return firstRun || listPath.empty() ? askForListName() : listPath;
}

std::string MainWindow::askForListName() {
    for (;;) {
        const std::string name =
            askName(this, QStringLiteral("listNameBox"), text::kListNamePrompt);
        if (lists::isProperListName(name)) {
            return files_.inFolder(lists::listFileName(name));
        }
        tell(this, qText(text::kBadListName));
    }
}

void MainWindow::restoreExcludedExtensions() {
    if (!isOrdinaryFile(files_.excludedExtensions)) {
        return;
    }
    auto entries = lists::readExtensionFile(files_.excludedExtensions);
    if (!entries) {
        tell(this, messageWithPath(engine::text::kFileUnreadable, files_.excludedExtensions,
                                   entries.error()));
        return;
    }
    settings_->showExcludedExtensions(std::move(*entries));
}

void MainWindow::applyAlwaysOnTop() {
    keepOnTop(*this, settings_->options().alwaysOnTop);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (run_->deferClose() || automatic_->cancelOnClose()) {
        event->ignore();
        return;
    }
    saveSettings();
    QMainWindow::closeEvent(event);
}

void MainWindow::saveSettings() {
    if (files_.settings.empty()) {
        return;
    }
    lists::Settings settings = settings_->options();
    settings.listPath = pathList_->listPath();
    if (const std::error_code error = lists::writeSettingsFile(files_.settings, settings)) {
        tell(this, messageWithPath(text::kFileUnwritable, files_.settings, error));
    }
    if (const std::error_code error =
            lists::writeExtensionFile(files_.excludedExtensions, settings_->excludedExtensions())) {
        tell(this, messageWithPath(text::kFileUnwritable, files_.excludedExtensions, error));
    }
}

void MainWindow::switchPanels() {
    pathList_->setHidden(!pathList_->isHidden());
    settings_->setHidden(!settings_->isHidden());
    settings_->refreshListFiles();
}

void MainWindow::keepShape() {
    QSize wanted{centralWidget()->width(),
                 centralWidget()->height() + menuBar()->sizeHint().height()};
    if (automatic_ && automatic_->isPending()) {
        const QScreen* display = screen();
        const int screenWidth = display ? display->geometry().width() : width();
        const int frameWidth = frameGeometry().width() - geometry().width();
        // As low as a window can be: the title bar shows the caption and little else. Qt maps no
        // window of no height at all.
        wanted = {screenWidth - frameWidth, 1};
    }
    // A fixed size also resizes the window to it; setting the same one again would only raise
    // another resize event.
    if (minimumSize() != wanted || maximumSize() != wanted) {
        setFixedSize(wanted);
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    keepShape();
}

}  // namespace sorvik::app
