#include "app/form1.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "app/application_icon.h"
#include "app/drive_picker.h"
#include "app/input_blocker.h"
#include "app/list_rows.h"
#include "app/qt_text.h"
#include "app/twips.h"
#include "engine/batch_run.h"
#include "engine/messages.h"
#include "lists/list_file.h"
#include "lists/list_folder.h"
#include "platform/separator.h"

namespace sorvik::app {

namespace {

// A menu caption shows "&" as a mnemonic mark unless it is doubled.
QString menuCaption(const QString& text) {
    QString caption = text;
    return caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

}  // namespace

// Everything that holds while a run is on: the program folder's lock, the window taking no input,
// and a close request kept for when the handler that started the run has wholly finished.
class Form1::RunScope {
  public:
    explicit RunScope(Form1& form) : form_(form), blocker_(form) {
        form_.runInProgress_ = true;
        form_.setCursor(Qt::BusyCursor);
        form_.captionShownAt_ = {};
    }
    ~RunScope() {
        form_.showLatestCaption();
        form_.unsetCursor();
        form_.runLock_.reset();
        form_.runInProgress_ = false;
        // A close request during the automatic batch waits for the whole timer tick.
        if (form_.closeRequested_ && !form_.tickInProgress_) {
            form_.closeRequested_ = false;
            QTimer::singleShot(0, &form_, &QWidget::close);
        }
    }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

  private:
    Form1& form_;
    InputBlocker blocker_;
};

Form1::Form1(std::string programFolder, QWidget* parent)
    : QMainWindow(parent), programFolder_(std::move(programFolder)), engine_(*this) {
    setProgramPaths();
    setObjectName(QStringLiteral("Form1"));
    // The window keeps one size, so it offers no maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(qText(engine::text::kApplicationTitle));
    setWindowIcon(applicationIcon());
    createControls();
    createMenus();
    connectHandlers();
    Form_Resize();
}

Form1::~Form1() {
    // Destroying the window moves the focus, and a picker still up would report being left to a
    // window that is half gone.
    for (DrivePicker* picker : Drive_) {
        picker->disconnect(this);
    }
}

void Form1::connectHandlers() {
    connect(Command1_, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command2_, &QPushButton::clicked, this, &Form1::Command2_Click);
    for (int i = 0; i < 2; ++i) {
        // A click on the row that is already selected changes no selection but still restores
        // the pair into the folder boxes.
        connect(FilPL_[i], &QListWidget::itemSelectionChanged, this, [this, i] { FilPL_Click(i); });
        connect(FilPL_[i], &QListWidget::itemClicked, this, [this, i] { FilPL_Click(i); });
        Frame_[i]->installEventFilter(this);
    }
    for (int i = 0; i < static_cast<int>(Check_.size()); ++i) {
        // Like a click, a value the program sets itself raises the handler too.
        connect(Check_[static_cast<std::size_t>(i)], &QCheckBox::toggled, this,
                [this, i] { Check_Click(i); });
    }
    connect(Timer1_, &QTimer::timeout, this, &Form1::Timer1_Timer);
    Text1_->installEventFilter(this);
    // A double-click below the last entry lands on the viewport, not on an item.
    List1_->viewport()->installEventFilter(this);
    connect(mn0Settings_, &QAction::triggered, this, [this] { mn0_Click(2); });
    for (int i = 0; i < 2; ++i) {
        const auto index = static_cast<std::size_t>(i);
        connect(mn1_[index], &QAction::triggered, this, [this, i] { mn1_Click(i); });
        connect(mn3_[index], &QAction::triggered, this, [this, i] { mn3_Click(i); });
        // Right presses on the lists open menus and must not move their selection.
        FilPL_[index]->viewport()->installEventFilter(this);
        FilP_[index]->installEventFilter(this);
        connect(Drive_[index], &QComboBox::activated, this, [this, i] {
            restoreFolderBox(i);
            Drive_Change(i);
        });
        connect(Drive_[index], &DrivePicker::dismissed, this, [this, i] { restoreFolderBox(i); });
    }
    for (int i = 0; i < kListMenuItems; ++i) {
        connect(mn4_[static_cast<std::size_t>(i)], &QAction::triggered, this,
                [this, i] { mn4_Click(i); });
    }
    connect(File2_, &QListWidget::itemClicked, this, &Form1::File2_Click);
    File2_->viewport()->installEventFilter(this);
    connect(mn2_[0], &QAction::triggered, this, [this](bool checkedNow) {
        // The menu flips a checkable item by itself; undo that so the handler alone decides, as
        // when it is called directly.
        mn2_[0]->setChecked(!checkedNow);
        mn2_Click(0);
    });
}

// ---- Runs -------------------------------------------------------------------------------------

void Form1::Command1_Click() {
    if (runInProgress_) {
        return;  // a second click or a timer tick while a run is on
    }
    if (!takeRunLock()) {
        return;
    }
    RunScope run(*this);
    engine_.singleRun();
}

void Form1::Command2_Click() {
    if (runInProgress_) {
        return;
    }
    if (!takeRunLock()) {
        return;
    }
    RunScope run(*this);
    engine::runBatch(engine_, static_cast<std::size_t>(FilPL_[0]->count()),
                     [this](std::size_t row) { selectPair(static_cast<int>(row)); });
}

bool Form1::takeRunLock() {
    auto lock = platform::FolderLock::tryAcquire(programFolder_);
    if (lock) {
        runLock_.emplace(std::move(*lock));
        return true;
    }
    if (lock.error() == std::errc::resource_unavailable_try_again) {
        showText(qText(engine::text::kAnotherRunInProgress));
        return false;
    }
    // A folder that cannot be locked at all cannot be locked by another run either.
    return true;
}

std::string Form1::sourceFolder() const {
    return stdText(FilP_[0]->text());
}

std::string Form1::backupFolder() const {
    return stdText(FilP_[1]->text());
}

engine::RunOptions Form1::options() const {
    engine::RunOptions options;
    options.extensionRule = Check_[1]->isChecked();
    options.sizeRule = Check_[2]->isChecked();
    options.timeRule = Check_[3]->isChecked();
    options.placeholder = mn2_[0]->isChecked();
    options.excludedExtensions.reserve(static_cast<std::size_t>(List1_->count()));
    for (int i = 0; i < List1_->count(); ++i) {
        options.excludedExtensions.push_back(stdText(List1_->item(i)->text()));
    }
    return options;
}

std::string Form1::errorLogPath() const {
    return ErrLogPath;
}

void Form1::setCaption(std::string_view caption) {
    latestCaption_.assign(caption);
    if (std::chrono::steady_clock::now() - captionShownAt_ >= captionInterval_) {
        showLatestCaption();
    }
}

void Form1::showLatestCaption() {
    if (!runInProgress_) {
        return;
    }
    if (!latestCaption_.empty()) {
        setWindowTitle(qText(latestCaption_));
    }
    // The run holds the event loop: let the window repaint. Input is dropped meanwhile.
    QCoreApplication::processEvents();
    captionShownAt_ = std::chrono::steady_clock::now();
}

void Form1::showMessage(const engine::UserMessage& message) {
    if (!latestCaption_.empty()) {
        setWindowTitle(qText(latestCaption_));
    }
    showText(qText(engine::boxText(message)));
}

void Form1::showText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(QMessageBox::NoIcon, qText(engine::text::kApplicationTitle), shown,
                    QMessageBox::Ok, this);
    box.exec();
}

bool Form1::askYesNo(const QString& question) {
    QString shown = question;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(QMessageBox::NoIcon, qText(engine::text::kApplicationTitle), shown,
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void Form1::reportUnwritable(const std::string& path, std::error_code reason) {
    showText(messageWithPath(engine::text::kFileUnwritable, path, reason));
}

void Form1::closeEvent(QCloseEvent* event) {
    if (runInProgress_ || tickInProgress_ || Loading) {
        // Handled once the handler that is running, or start-up, has wholly finished.
        closeRequested_ = true;
        event->ignore();
        return;
    }
    bool cancel = false;
    Form_QueryUnload(cancel);
    if (cancel) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

// ---- The list and the pair --------------------------------------------------------------------

void Form1::FP1_Load() {
    FilPL_[0]->clear();
    FilPL_[1]->clear();
    auto pairs = lists::readListFile(ListPath);
    if (!pairs) {
        // The file stays as it was: with no list current, nothing can save over it.
        const std::string unreadable = std::exchange(ListPath, std::string());
        showText(messageWithPath(engine::text::kFileUnreadable, unreadable, pairs.error()));
        return;
    }
    for (const lists::PathPair& pair : *pairs) {
        FilPL_[0]->addItem(qText(pair.source));
        FilPL_[1]->addItem(qText(pair.backup));
    }
}

std::error_code Form1::FP1_Save() {
    if (ListPath.empty()) {
        return {};
    }
    return writeColumns();
}

std::error_code Form1::writeColumns() {
    std::vector<lists::PathPair> pairs;
    pairs.reserve(static_cast<std::size_t>(FilPL_[0]->count()));
    for (int i = 0; i < FilPL_[0]->count(); ++i) {
        pairs.push_back({stdText(textAt(*FilPL_[0], i)), stdText(textAt(*FilPL_[1], i))});
    }
    const std::error_code error = lists::writeListFile(ListPath, pairs);
    if (error) {
        reportUnwritable(ListPath, error);
    }
    return error;
}

void Form1::FilPL_Click(int index) {
    if (Loading) {
        return;
    }
    const int row = selectedRow(*FilPL_[index]);
    if (row < 0) {
        return;  // a click that left no row selected
    }
    Loading = true;
    QListWidget* other = FilPL_[1 - index];
    if (row < other->count()) {
        other->setCurrentRow(row);
    }
    FilP_[0]->setText(textAt(*FilPL_[0], row));
    FilP_[1]->setText(textAt(*FilPL_[1], row));
    Loading = false;
}

void Form1::selectPair(int row) {
    FilPL_[0]->setCurrentRow(row);
    // Selecting the row that is already selected changes nothing and raises nothing; the pair
    // still has to reach the folder boxes.
    FilPL_Click(0);
}

// ---- Window shape, panels and menus -----------------------------------------------------------

QSize Form1::normalSize() const {
    const QWidget* client = centralWidget();
    return {client->width(), client->height() + menuBar()->sizeHint().height()};
}

QSize Form1::stripSize() const {
    const QScreen* display = screen();
    const int screenWidth = display ? display->geometry().width() : width();
    const int frameWidth = frameGeometry().width() - geometry().width();
    // As low as a window can be: the title bar shows the caption and little else. Height 0
    // would not do: Qt does not map a window of no height at all.
    return {screenWidth - frameWidth, 1};
}

void Form1::Form_Resize() {
    const QSize wanted = AutoWait == kNoAutomaticRun ? normalSize() : stripSize();
    if (minimumSize() != wanted || maximumSize() != wanted) {
        setFixedSize(wanted);
    }
    if (size() != wanted) {
        resize(wanted);
    }
}

void Form1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1_ && event->type() == QEvent::KeyPress) {
        Text1_KeyDown(static_cast<QKeyEvent*>(event)->key());
    }
    if (watched == List1_->viewport() && filterList1Mouse(*event)) {
        return true;
    }
    for (int i = 0; i < 2; ++i) {
        if (watched == FilP_[i] && filterFolderBox(i, *event)) {
            return true;
        }
    }
    if (filterRightPress(watched, *event)) {
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        for (int i = 0; i < 2; ++i) {
            if (watched == Frame_[i]) {
                const auto* press = static_cast<QMouseEvent*>(event);
                Frame_MouseDown(i, press->button(), press->globalPosition().toPoint());
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool Form1::filterList1Mouse(const QEvent& event) {
    switch (event.type()) {
        case QEvent::MouseButtonDblClick:
            List1_DblClick();
            // The double-click's own release would select the entry that moved up under the cursor.
            swallowList1Release_ = true;
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease: {
            if (event.type() == QEvent::MouseButtonRelease &&
                std::exchange(swallowList1Release_, false)) {
                return true;
            }
            // A click on the empty space below the entries keeps the selection, so a double-click
            // there still removes the selected entry.
            const auto& mouse = static_cast<const QMouseEvent&>(event);
            return List1_->itemAt(mouse.position().toPoint()) == nullptr;
        }
        default:
            return false;
    }
}

bool Form1::filterFolderBox(int index, QEvent& event) {
    switch (event.type()) {
        case QEvent::KeyPress: {
            const int key = static_cast<const QKeyEvent&>(event).key();
            FilP_KeyDown(index, key);
            // Enter has done its work; the box has nothing to do with it.
            return key == Qt::Key_Return || key == Qt::Key_Enter;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            const Qt::MouseButton button = static_cast<const QMouseEvent&>(event).button();
            FilP_MouseDown(index, button);
            return button == Qt::RightButton;
        }
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            // Files and folders only; the box never takes dragged text itself.
            auto& drag = static_cast<QDragMoveEvent&>(event);
            if (drag.mimeData()->hasUrls()) {
                drag.acceptProposedAction();
            } else {
                drag.ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto& drop = static_cast<QDropEvent&>(event);
            FilP_OLEDragDrop(index, *drop.mimeData());
            drop.acceptProposedAction();
            return true;
        }
        default:
            return false;
    }
}

bool Form1::filterRightPress(QObject* watched, const QEvent& event) {
    if (event.type() != QEvent::MouseButtonPress && event.type() != QEvent::MouseButtonDblClick) {
        return false;
    }
    const auto& press = static_cast<const QMouseEvent&>(event);
    if (press.button() != Qt::RightButton) {
        return false;
    }
    const QPoint at = press.globalPosition().toPoint();
    for (int i = 0; i < 2; ++i) {
        if (watched == FilPL_[i]->viewport()) {
            FilPL_MouseDown(i, press.button(), at);
            return true;
        }
    }
    if (watched == File2_->viewport()) {
        File2_MouseDown(press.button(), at);
        return true;
    }
    return false;
}

void Form1::Frame_MouseDown(int index, Qt::MouseButton button, const QPoint& globalPosition) {
    if (index != 0 || button != Qt::RightButton) {
        return;
    }
    refreshFile2();
    for (std::size_t i = 1; i < mn4_.size(); ++i) {
        mn4_[i]->setVisible(false);
    }
    const int offered = std::min(File2_->count(), kListMenuItems);
    for (int i = 0; i < offered; ++i) {
        const QString name = textAt(*File2_, i);
        QAction* item = mn4_[static_cast<std::size_t>(i)];
        item->setText(menuCaption(name));
        item->setData(name);
        item->setVisible(true);
    }
    mn0Menus_[4]->popup(globalPosition);
}

void Form1::refreshFile2() {
    File2_->clear();
    if (auto names = lists::listFileNames(programFolder_)) {
        for (const std::string& name : *names) {
            File2_->addItem(qText(name));
        }
    }
}

void Form1::mn0_Click(int index) {
    if (index != 2) {
        return;
    }
    Frame_[0]->setHidden(!Frame_[0]->isHidden());
    Frame_[1]->setHidden(!Frame_[1]->isHidden());
    refreshFile2();
}

void Form1::mn2_Click(int index) {
    if (index == 0) {
        mn2_[0]->setChecked(!mn2_[0]->isChecked());
    }
}

}  // namespace sorvik::app
