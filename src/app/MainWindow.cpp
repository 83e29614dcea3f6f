#include "app/MainWindow.h"
#include "app/DialogParts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include "app/AboutBox.h"
#include "app/Commands.h"
#include "app/DocumentCommands.h"
#include "app/EditorApp.h"
#include "app/FetchDialog.h"
#include "app/FileDropDialog.h"
#include "app/FolderScanDialog.h"
#include "app/Icons.h"
#include "app/KeyTables.h"
#include "app/LookupDialog.h"
#include "app/Mp3ScanDialog.h"
#include "app/QtText.h"
#include "app/SearchDialog.h"
#include "app/SettingsDialog.h"
#include "app/TrackDialog.h"
#include "app/UndoHistory.h"
#include "export/Export.h"
#include "flows/CueTagFlow.h"
#include "flows/DocumentFlow.h"
#include "flows/EditingCommands.h"
#include "flows/ExportFlow.h"
#include "model/Genres.h"
#include "model/Text.h"
#include "model/WindowTexts.h"
#include "mp3/CueTag.h"

namespace tracklore::app {

namespace {

// Control numbers, carried as the dynamic property "controlId".
constexpr int IdToolBar = 108;
constexpr int IdGroup = 101;
constexpr int IdTitle = 102;
constexpr int IdArtist = 103;
constexpr int IdYear = 104;
constexpr int IdGenre = 105;
constexpr int IdList = 106;
constexpr int IdStatus = 107;

constexpr int ColumnWidths[4] = {30, 195, 195, 75};
constexpr int StatusPartEdges[2] = {90, 200};

// The toolbar: image, command; 0 for a separator.
struct ToolbarEntry {
    int image;
    int command;
};
constexpr ToolbarEntry ToolbarEntries[] = {
    {-1, 0},
    {0, cmd::New},
    {1, cmd::Open},
    {2, cmd::Save},
    {-1, 0},
    {11, cmd::Undo},
    {12, cmd::Redo},
    {-1, 0},
    {3, cmd::FreeDbSearch},
    {4, cmd::Mp3Scan},
    {5, cmd::FreeDbFetch},
    {6, cmd::FolderScan},
    {-1, 0},
    {7, cmd::SwapTitles},
    {-1, 0},
    {8, cmd::Settings},
    {9, cmd::Readme},
    {10, cmd::About},
};

constexpr int AllCommands[] = {
    cmd::New,         cmd::Open,       cmd::Save,       cmd::SaveAs, cmd::FreeDbSearch,
    cmd::FreeDbFetch, cmd::Mp3Scan,    cmd::FolderScan, cmd::Export, cmd::WriteCueToMp3,
    cmd::Exit,        cmd::SwapTitles, cmd::Settings,   cmd::Readme, cmd::About,
    cmd::InsertTrack, cmd::Cut,        cmd::Copy,       cmd::Paste,  cmd::Delete,
    cmd::MoveUp,      cmd::MoveDown,   cmd::Properties, cmd::Undo,   cmd::Redo,
    cmd::Lookup};

// The keys of undo and redo, tried for every key of the main window before the key tables,
// so they work from the album fields too.
const std::vector<KeyBinding>& UndoKeyTable() {
    static const std::vector<KeyBinding> table = {
        {Qt::Key_Z, Qt::ControlModifier, cmd::Undo},
        {Qt::Key_Y, Qt::ControlModifier, cmd::Redo},
        {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, cmd::Redo},
    };
    return table;
}

// Commands that never change the document as an undo step: they replace it, write it, end
// the program or move through the history.
bool OutsideHistory(int command) {
    switch (command) {
        case cmd::New:
        case cmd::Open:
        case cmd::Save:
        case cmd::SaveAs:
        case cmd::Exit:
        case cmd::Undo:
        case cmd::Redo:
            return true;
        default:
            return false;
    }
}

// A menu text with its accelerator marks doubled, so "&" shows as itself.
QString EscapedMenuText(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}
}  // namespace

// ---- Track list model --------------------------------------------------------------------

TrackListModel::TrackListModel(QObject* parent) : QAbstractTableModel(parent) {
    constexpr StringId Headers[] = {str::ColumnNumber, str::ColumnPerformer, str::ColumnTitle,
                                    str::ColumnLength};
    for (int column = 0; column < 4; ++column) {
        headers_[column] = Text(Headers[column]);
    }
    tip_ = Text(str::TipTrackList);
}

void TrackListModel::Rebuild(const tracklore::TrackList& doc, TimeFormat format) {
    beginResetModel();
    rows_.clear();
    rows_.reserve(static_cast<std::size_t>(doc.trackCount));
    for (int i = 0; i < doc.trackCount; ++i) {
        auto texts = TrackRowTexts(doc, i, format, UiStrings());
        rows_.push_back(
            {FromText(texts[0]), FromText(texts[1]), FromText(texts[2]), FromText(texts[3])});
    }
    endResetModel();
}

void TrackListModel::UpdateTexts(const tracklore::TrackList& doc, TimeFormat format) {
    const int count = std::min<int>(static_cast<int>(rows_.size()), doc.trackCount);
    for (int i = 0; i < count; ++i) {
        auto texts = TrackRowTexts(doc, i, format, UiStrings());
        for (int column = 1; column < 4; ++column) {
            rows_[static_cast<std::size_t>(i)][static_cast<std::size_t>(column)] =
                FromText(texts[static_cast<std::size_t>(column)]);
        }
    }
    if (count > 0) {
        emit dataChanged(index(0, 1), index(count - 1, 3), {Qt::DisplayRole});
    }
}

int TrackListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TrackListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant TrackListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return rows_[static_cast<std::size_t>(index.row())]
                        [static_cast<std::size_t>(index.column())];
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(
                (index.column() == 0 || index.column() == 3 ? Qt::AlignRight : Qt::AlignLeft) |
                Qt::AlignVCenter);
        case Qt::ToolTipRole:
            return tip_;
        case Qt::UserRole:
            return index.row();  // the row's item data: its index
        default:
            return {};
    }
}

QVariant TrackListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= 4) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return headers_[static_cast<std::size_t>(section)];
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue((section == 0 || section == 3 ? Qt::AlignRight : Qt::AlignLeft) |
                                   Qt::AlignVCenter);
    }
    return {};
}

Qt::ItemFlags TrackListModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

// ---- Status bar ----------------------------------------------------------------------------

StatusBar::StatusBar(const QFont& font, QWidget* parent) : QWidget(parent) {
    setFont(font);
    for (auto& part : parts_) {
        part = new QLabel(this);
        part->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        part->setTextFormat(Qt::PlainText);
        part->setIndent(2);
    }
    single_ = new QLabel(this);
    single_->setTextFormat(Qt::PlainText);
    single_->setIndent(2);
    single_->hide();
    // The list ends 25 pixels above the bottom edge; the bar fits below it.
    setFixedHeight(std::min(24, QFontMetrics(font).height() + 9));
}

void StatusBar::SetParts(const std::array<QString, 4>& texts) {
    for (std::size_t i = 0; i < parts_.size(); ++i) {
        parts_[i]->setText(texts[i]);
    }
    Place();
}

void StatusBar::EnterMenuMode() {
    if (menuMode_) {
        return;
    }
    menuMode_ = true;
    single_->clear();
    for (auto* part : parts_) {
        part->hide();
    }
    single_->show();
}

void StatusBar::ShowMenuHelp(const QString& text) {
    if (menuMode_) {
        single_->setText(text);
    }
}

void StatusBar::LeaveMenuMode() {
    if (!menuMode_) {
        return;
    }
    menuMode_ = false;
    single_->hide();
    single_->clear();
    for (auto* part : parts_) {
        part->show();
    }
}

QString StatusBar::PartText(int part) const {
    return part >= 0 && part < 4 ? parts_[static_cast<std::size_t>(part)]->text() : QString();
}

QString StatusBar::MenuText() const {
    return single_->text();
}

QRect StatusBar::PartGeometry(int part) const {
    return part >= 0 && part < 4 ? parts_[static_cast<std::size_t>(part)]->geometry() : QRect();
}

void StatusBar::resizeEvent(QResizeEvent*) {
    Place();
}

void StatusBar::Place() {
    const int h = height() - 2;
    // The encoding of the document's file stands at the right end, as wide as its name.
    QLabel* encoding = parts_[3];
    const int encodingWidth = encoding->text().isEmpty()
                                  ? 0
                                  : encoding->fontMetrics().horizontalAdvance(encoding->text()) +
                                        4 * encoding->indent() + 2 * encoding->frameWidth() + 8;
    const int end = std::max(StatusPartEdges[1] + 2, width() - encodingWidth);
    int left = 0;
    for (int i = 0; i < 3; ++i) {
        int right = i < 2 ? StatusPartEdges[i] : end;
        parts_[static_cast<std::size_t>(i)]->setGeometry(left, 2, std::max(0, right - left - 2), h);
        left = right;
    }
    encoding->setGeometry(end, 2, std::max(0, width() - end), h);
    single_->setGeometry(0, 2, width(), h);
}

// ---- Main window ---------------------------------------------------------------------------

MainWindow::MainWindow(Session& session, const UiFonts& fonts, std::string readmePath,
                       QWidget* parent)
    : QMainWindow(parent), session_(session), fonts_(fonts), readmePath_(std::move(readmePath)) {
    setWindowTitle(Text(str::AppName));
    setWindowIcon(ProgramIcon());
    setAttribute(Qt::WA_AlwaysShowToolTips);
    history_ = new UndoHistory(session_, this);
    CreateActions();
    CreateMenus();
    client_ = new QWidget(this);
    setCentralWidget(client_);
    CreateToolBar();
    CreateControls();
    setAcceptDrops(true);
    client_->installEventFilter(this);
    qApp->installEventFilter(this);
    setMinimumSize(MainWindowMinWidth, MainWindowMinHeight);
    resize(MainWindowWidth, MainWindowHeight);
    // The size and place of the last run; the toolkit brings a window that would lie off
    // every screen back onto one.
    if (!session_.settings.WindowGeometry.empty()) {
        geometryRestored_ = restoreGeometry(
            QByteArray::fromBase64(QByteArray::fromStdString(session_.settings.WindowGeometry)));
    }
    connect(&history_->Stack(), &QUndoStack::canUndoChanged, this,
            &MainWindow::UpdateEditMenuState);
    connect(&history_->Stack(), &QUndoStack::canRedoChanged, this,
            &MainWindow::UpdateEditMenuState);
    RebuildRecentFilesMenu();
    UpdateEditMenuState();
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    // The history's stack signals its last state as it goes; the window no longer listens.
    disconnect(&history_->Stack(), nullptr, this, nullptr);
}

void MainWindow::CreateActions() {
    for (int command : AllCommands) {
        QString text = Text(MenuTextId(command));
        auto* action = new QAction(text, this);
        action->setData(command);
        action->setProperty("commandId", command);
        action->setToolTip(Text(HelpTextId(command)));
        connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
        actions_[command] = action;
    }
}

QAction* MainWindow::CommandAction(int command) const {
    auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::ConnectMenuHelp(QMenu* menu) {
    connect(menu, &QMenu::aboutToShow, this, [this] { status_->EnterMenuMode(); });
    connect(menu, &QMenu::hovered, this, [this](QAction* action) {
        bool isCommand = action && !action->menu() && !action->isSeparator() &&
                         action->property("commandId").isValid();
        if (action && action->property("helpText").isValid()) {
            status_->ShowMenuHelp(action->property("helpText").toString());  // a recent file
            return;
        }
        status_->ShowMenuHelp(isCommand ? Text(HelpTextId(action->property("commandId").toInt()))
                                        : QString());
    });
    connect(menu, &QMenu::aboutToHide, this, [this] {
        // Moving from one menu of the bar to the next hides one and shows the other: the
        // loop ends only when no menu is open any more.
        QTimer::singleShot(0, this, [this] {
            if (!QApplication::activePopupWidget()) {
                status_->LeaveMenuMode();
                UpdateStatusBar();
            }
        });
    });
}

void MainWindow::CreateMenus() {
    QMenuBar* bar = menuBar();
    auto add = [this](QMenu* menu, int command) { menu->addAction(CommandAction(command)); };

    QMenu* file = bar->addMenu(Text(str::MenuFile));
    add(file, cmd::New);
    add(file, cmd::Open);
    recentMenu_ = file->addMenu(Text(str::MenuRecentFiles));
    recentMenu_->setToolTipsVisible(true);
    file->addSeparator();
    add(file, cmd::Save);
    add(file, cmd::SaveAs);
    file->addSeparator();
    QMenu* import = file->addMenu(Text(str::MenuImport));
    add(import, cmd::FreeDbSearch);
    add(import, cmd::FreeDbFetch);
    add(import, cmd::Lookup);
    import->addSeparator();
    add(import, cmd::Mp3Scan);
    add(import, cmd::FolderScan);
    QMenu* exportMenu = file->addMenu(Text(str::MenuExport));
    add(exportMenu, cmd::Export);
    add(exportMenu, cmd::WriteCueToMp3);
    file->addSeparator();
    add(file, cmd::Settings);
    file->addSeparator();
    add(file, cmd::Exit);

    editMenu_ = bar->addMenu(Text(str::MenuEdit));
    add(editMenu_, cmd::Undo);
    add(editMenu_, cmd::Redo);
    editMenu_->addSeparator();
    add(editMenu_, cmd::InsertTrack);
    editMenu_->addSeparator();
    add(editMenu_, cmd::Cut);
    add(editMenu_, cmd::Copy);
    add(editMenu_, cmd::Paste);
    add(editMenu_, cmd::Delete);
    editMenu_->addSeparator();
    add(editMenu_, cmd::MoveUp);
    add(editMenu_, cmd::MoveDown);
    editMenu_->addSeparator();
    add(editMenu_, cmd::SwapTitles);
    editMenu_->addSeparator();
    add(editMenu_, cmd::Properties);
    connect(editMenu_, &QMenu::aboutToShow, this, &MainWindow::UpdateEditMenuState);

    QMenu* help = bar->addMenu(Text(str::MenuHelp));
    add(help, cmd::Readme);
    help->addSeparator();
    add(help, cmd::About);

    for (QMenu* menu : {file, recentMenu_, import, exportMenu, editMenu_, help}) {
        ConnectMenuHelp(menu);
    }
}

void MainWindow::CreateToolBar() {
    toolbar_ = new QToolBar(client_);
    SetControlId(toolbar_, IdToolBar);
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setIconSize(QSize(16, 16));
    toolbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar_->setFocusPolicy(Qt::NoFocus);
    for (const ToolbarEntry& entry : ToolbarEntries) {
        if (entry.command == 0) {
            toolbar_->addSeparator();
            continue;
        }
        // The toolbar shows its own button for the command, sharing its action's state.
        QAction* action = CommandAction(entry.command);
        action->setIcon(ToolbarIcon(entry.image));
        toolbar_->addAction(action);
        if (auto* button = qobject_cast<QToolButton*>(toolbar_->widgetForAction(action))) {
            button->setFixedSize(20, 20);
            button->setAutoRaise(true);
            button->setFocusPolicy(Qt::NoFocus);
            SetControlId(button, entry.command);
        }
    }
    // Menus show no images; the toolbar does.
    for (auto& [command, action] : actions_) {
        action->setIconVisibleInMenu(false);
    }
}

void MainWindow::CreateControls() {
    auto label = [this](StringId textId, QRect place) {
        auto* l = new QLabel(Text(textId), client_);
        l->setFont(fonts_.normal);
        l->setGeometry(place);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return l;
    };
    auto edit = [this](int id, int maxLength, StringId tipId, QRect place, bool restricted) {
        auto* e = new QLineEdit(client_);
        SetControlId(e, id);
        e->setFont(fonts_.normal);
        e->setMaxLength(maxLength);
        e->setToolTip(Text(tipId));
        e->setGeometry(place);
        e->setAcceptDrops(false);  // files dropped on a field open as documents
        if (restricted) {
        }
        connect(e, &QLineEdit::textChanged, this, [this, e] { AlbumFieldEdited(e); });
        return e;
    };

    group_ = new QGroupBox(Text(str::AlbumGroup), client_);
    SetControlId(group_, IdGroup);
    group_->setFont(fonts_.bold);
    group_->setGeometry(4, 4, 517, 67);

    titleLabel_ = label(str::AlbumTitleLabel, QRect(8, 19, 50, 16));
    titleEdit_ = edit(IdTitle, static_cast<int>(decltype(CdInfo::title)::maxLength),
                      str::TipAlbumTitle, QRect(48, 16, 290, 19), true);
    artistLabel_ = label(str::AlbumArtistLabel, QRect(8, 43, 50, 16));
    artistEdit_ = edit(IdArtist, static_cast<int>(decltype(CdInfo::artist)::maxLength),
                       str::TipAlbumArtist, QRect(48, 40, 290, 19), true);
    yearLabel_ = label(str::AlbumYearLabel, QRect(344, 19, 40, 16));
    yearEdit_ = edit(IdYear, static_cast<int>(decltype(CdInfo::year)::maxLength), str::TipAlbumYear,
                     QRect(384, 16, 129, 19), true);
    genreLabel_ = label(str::AlbumGenreLabel, QRect(344, 43, 40, 16));

    genreBox_ = new TypedTextComboBox(client_);  // its list opens at the genre shown
    SetControlId(genreBox_, IdGenre);
    genreBox_->setFont(fonts_.normal);
    genreBox_->setEditable(true);
    genreBox_->setInsertPolicy(QComboBox::NoInsert);
    genreBox_->setCompleter(nullptr);
    genreBox_->setDuplicatesEnabled(true);
    genreBox_->setToolTip(Text(str::TipAlbumGenre));
    genreBox_->lineEdit()->setToolTip(Text(str::TipAlbumGenre));
    genreBox_->lineEdit()->setMaxLength(static_cast<int>(decltype(CdInfo::genre)::maxLength));
    genreBox_->lineEdit()->setAcceptDrops(false);
    for (const GenreEntry& entry : GenreEntries()) {
        genreBox_->addItem(FromText(entry.name), entry.number);
    }
    genreBox_->setMaxVisibleItems(
        std::max(1, (400 - 2) / std::max(1, QFontMetrics(fonts_.normal).height() + 2)));
    genreBox_->setGeometry(384, 40, 129, 21);
    genreBox_->setCurrentIndex(-1);
    genreBox_->setEditText(QString());
    connect(genreBox_->lineEdit(), &QLineEdit::textEdited, this, &MainWindow::GenreEdited);
    connect(genreBox_, &QComboBox::activated, this, &MainWindow::GenreEdited);

    titleLabel_->setBuddy(titleEdit_);
    artistLabel_->setBuddy(artistEdit_);
    yearLabel_->setBuddy(yearEdit_);
    genreLabel_->setBuddy(genreBox_);

    model_ = new TrackListModel(this);
    list_ = new QTableView(client_);
    SetControlId(list_, IdList);
    list_->setModel(model_);
    SetRowListLook(list_, fonts_.normal);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->setToolTip(Text(str::TipTrackList));
    for (int column = 0; column < 4; ++column) {
        list_->setColumnWidth(column, ColumnWidths[column]);
    }
    list_->setGeometry(4, 74, 300, 300);
    list_->installEventFilter(this);
    connect(list_, &QTableView::doubleClicked, this, [this] { RunCommand(cmd::Properties); });
    connect(list_, &QTableView::customContextMenuRequested, this, &MainWindow::ShowContextMenu);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &MainWindow::UpdateEditMenuState);
    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &MainWindow::UpdateEditMenuState);
    connect(model_, &QAbstractItemModel::modelReset, this, &MainWindow::UpdateEditMenuState);

    status_ = new StatusBar(fonts_.normal, client_);
    SetControlId(status_, IdStatus);

    // Tab goes through the album fields and the list in creation order.
    setTabOrder(titleEdit_, artistEdit_);
    setTabOrder(artistEdit_, yearEdit_);
    setTabOrder(yearEdit_, genreBox_);
    setTabOrder(genreBox_, list_);
    list_->setFocus();
}

void MainWindow::LayOut() {
    client_->setUpdatesEnabled(false);
    const int clientWidth = client_->width();
    const int H = client_->height();
    toolbar_->setGeometry(0, 0, clientWidth, toolbar_->sizeHint().height());
    status_->setGeometry(0, H - status_->height(), clientWidth, status_->height());
    const int T = toolbar_->height();
    const int W = clientWidth - 8;
    group_->setGeometry(4, T, W, 67);
    titleLabel_->move(12, T + 19);
    titleEdit_->setGeometry(62, T + 16, W - 245, 19);
    artistLabel_->move(12, T + 43);
    artistEdit_->setGeometry(62, T + 40, W - 245, 19);
    yearLabel_->move(W - 175, T + 19);
    yearEdit_->move(W - 135, T + 16);
    genreLabel_->move(W - 175, T + 43);
    genreBox_->move(W - 135, T + 40);
    list_->setGeometry(4, T + 71, W, H - T - 96);
    client_->setUpdatesEnabled(true);
}

// ---- Refresh --------------------------------------------------------------------------------

void MainWindow::RefreshMainWindow() {
    refreshing_ = true;
    const tracklore::TrackList& doc = session_.doc;
    model_->Rebuild(doc, session_.timeFormat());
    titleEdit_->setText(FromText(doc.cd.title.str()));
    artistEdit_->setText(FromText(doc.cd.artist.str()));
    yearEdit_->setText(FromText(doc.cd.year.str()));
    genreBox_->setEditText(FromText(doc.cd.genre.str()));
    UpdateTitle();
    UpdateStatusBar();
    refreshing_ = false;
}

void MainWindow::RefreshTrackTexts() {
    model_->UpdateTexts(session_.doc, session_.timeFormat());
    UpdateStatusBar();
}

void MainWindow::UpdateTitle() {
    // Qt reads "[*]" in a title as the place of its own modified mark; doubled it shows.
    QString title = FromText(WindowTitle(session_.doc, session_.strings));
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(title);
}

void MainWindow::UpdateStatusBar() {
    if (status_->InMenuMode()) {
        return;  // the parts come back when the menu loop ends
    }
    auto texts = StatusBarTexts(session_.doc, session_.timeFormat(), session_.strings);
    status_->SetParts(
        {FromText(texts[0]), FromText(texts[1]), FromText(texts[2]), FromText(texts[3])});
}

int MainWindow::SelectedTrack() const {
    if (model_->rowCount() == 0) {
        return -1;
    }
    QModelIndex mark = list_->selectionModel()->currentIndex();
    if (!mark.isValid() || !list_->selectionModel()->isRowSelected(mark.row(), QModelIndex())) {
        return -1;
    }
    return mark.row();
}

void MainWindow::SelectTrack(int index) {
    if (index < 0 || index >= model_->rowCount()) {
        return;
    }
    list_->selectionModel()->setCurrentIndex(
        model_->index(index, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void MainWindow::UpdateEditMenuState() {
    EditMenuState state = ComputeEditMenuState(SelectedTrack(), session_.doc.trackCount,
                                               session_.ui.ClipboardHasText());
    CommandAction(cmd::InsertTrack)->setEnabled(state.insert);
    CommandAction(cmd::Cut)->setEnabled(state.cut);
    CommandAction(cmd::Copy)->setEnabled(state.copy);
    CommandAction(cmd::Paste)->setEnabled(state.paste);
    CommandAction(cmd::Delete)->setEnabled(state.remove);
    CommandAction(cmd::MoveUp)->setEnabled(state.moveUp);
    CommandAction(cmd::MoveDown)->setEnabled(state.moveDown);
    CommandAction(cmd::Properties)->setEnabled(state.properties);
    CommandAction(cmd::SwapTitles)->setEnabled(state.swapTitles);
    CommandAction(cmd::Undo)->setEnabled(history_->CanUndo());
    CommandAction(cmd::Redo)->setEnabled(history_->CanRedo());
}

// ---- Commands -------------------------------------------------------------------------------

void MainWindow::RunCommand(int command) {
    if (!OutsideHistory(command)) {
        // The whole command, dialogs and questions included, is one step.
        history_->Record(MenuTextId(command), [this, command] { RunDocumentCommand(command); });
        UpdateEditMenuState();
        return;
    }
    switch (command) {
        case cmd::New:
            if (ConfirmDiscard()) {
                StartNewDocument(session_);
                StartHistory();
            }
            break;
        case cmd::Open:
            if (ConfirmDiscard()) {
                const tracklore::TrackList shown = session_.doc;
                DocumentOpened(shown, ShowOpenDialog(session_));
            }
            break;
        case cmd::Save:
        case cmd::SaveAs: {
            const tracklore::TrackList before = session_.doc;
            if (SaveDocument(session_, command == cmd::SaveAs)) {
                DocumentSaved(before);
            }
            break;
        }
        case cmd::Undo:
            UndoOrRedo(true);
            break;
        case cmd::Redo:
            UndoOrRedo(false);
            break;
        case cmd::Exit:
            close();
            break;
        default:
            break;
    }
    UpdateEditMenuState();
}

void MainWindow::RunDocumentCommand(int command) {
    switch (command) {
        case cmd::Export:
            ExportDocument(session_);
            break;
        case cmd::WriteCueToMp3:
            WriteCueToMp3(session_);
            break;
        case cmd::Mp3Scan:
            ShowMp3ScanDialog(session_, fonts_, this);
            break;
        case cmd::FolderScan:
            ShowFolderScanDialog(session_, fonts_, this);
            break;
        case cmd::FreeDbSearch: {
            SearchDialog dialog(session_, fonts_, this, {}, {}, store_);
            dialog.exec();
            break;
        }
        case cmd::FreeDbFetch: {
            FetchDialog dialog(session_, fonts_, this);
            dialog.exec();
            break;
        }
        case cmd::Lookup:
            RunLookup(session_, store_, fonts_, this);
            break;
        case cmd::Settings: {
            SettingsDialog dialog(session_, store_, fonts_, this);
            dialog.exec();
            break;
        }
        case cmd::About:
            ShowAboutBox();
            break;
        case cmd::SwapTitles:
            SwapTitles(session_);
            break;
        case cmd::Readme:
            OpenReadme();
            break;
        case cmd::InsertTrack:
            if (InsertNewTrack(session_) >= 0) {
                ShowTrackProperties();
            }
            break;
        case cmd::Cut:
            CutTrack(session_);
            break;
        case cmd::Copy:
            CopyTrack(session_);
            break;
        case cmd::Paste:
            PasteTracks(session_);
            break;
        case cmd::Delete:
            DeleteTrack(session_);
            break;
        case cmd::MoveUp:
            if (MoveTrackUp(session_)) {
                list_->setFocus();
            }
            break;
        case cmd::MoveDown:
            if (MoveTrackDown(session_)) {
                list_->setFocus();
            }
            break;
        case cmd::Properties:
            ShowTrackProperties();
            break;
        default:
            break;
    }
}

void MainWindow::ApplyDocumentChange(StringId label,
                                     const std::function<void(tracklore::TrackList&)>& change) {
    if (history_->Record(label, [this, &change] { change(session_.doc); })) {
        SetModified(session_, true);
        RefreshMainWindow();
    }
    UpdateEditMenuState();
}

void MainWindow::UndoOrRedo(bool undo) {
    // The typed text of a field is in the document already (every change of a field is
    // recorded as it happens), so it is undone as a step of its own.
    const int selected = SelectedTrack();
    if (undo) {
        history_->Undo();
    } else {
        history_->Redo();
    }
    if (selected >= 0) {
        SelectTrack(std::min(selected, session_.doc.trackCount - 1));
    }
}

void MainWindow::StartHistory() {
    history_->Reset();
    UpdateEditMenuState();
}

bool MainWindow::ConfirmDiscard() {
    const tracklore::TrackList before = session_.doc;
    const bool goOn = ConfirmDiscardChanges(session_);
    if (before.modified && !session_.doc.modified) {
        DocumentSaved(before);  // "Yes" saved the document
    }
    return goOn;
}

void MainWindow::DocumentSaved(const tracklore::TrackList& before) {
    history_->MarkSaved(before);
    AddRecentFile(session_.doc.documentPath);
}

void MainWindow::DocumentOpened(const tracklore::TrackList& shown, bool opened) {
    if (opened || !SameDocument(shown, session_.doc)) {
        StartHistory();
    }
    if (opened) {
        AddRecentFile(session_.doc.documentPath);
    }
}

// ---- Recent files ---------------------------------------------------------------------------

void MainWindow::AddRecentFile(const std::string& path) {
    if (path.empty()) {
        return;
    }
    tracklore::AddRecentFile(session_.settings.RecentFiles,
                             ToPath(QFileInfo(FromPath(path)).absoluteFilePath()));
    RebuildRecentFilesMenu();
}

void MainWindow::OpenRecentFile(const std::string& path) {
    const tracklore::TrackList shown = session_.doc;
    const bool opened = OpenRecentDocument(session_, path, [this] { return ConfirmDiscard(); });
    DocumentOpened(shown, opened);
    RebuildRecentFilesMenu();
    UpdateEditMenuState();
}

void MainWindow::RebuildRecentFilesMenu() {
    recentMenu_->clear();
    int number = 0;
    for (const std::string& path : session_.settings.RecentFiles) {
        ++number;
        const QString name = FromPath(FileNamePart(path));
        // Entries 1 to 8 are chosen by their digit.
        auto* action =
            recentMenu_->addAction(QStringLiteral("&%1 %2").arg(number).arg(EscapedMenuText(name)));
        action->setToolTip(FromPath(path));
        action->setProperty("helpText", FromPath(path));
        connect(action, &QAction::triggered, this, [this, path] { OpenRecentFile(path); });
    }
    recentMenu_->menuAction()->setEnabled(number > 0);
}

void MainWindow::ShowTrackProperties() {
    int index = SelectedTrack();
    if (index >= 0) {
        TrackDialog dialog(session_, index, fonts_, this);
        dialog.exec();
    }
    list_->setFocus();
}

void MainWindow::ShowAboutBox() {
    // The program has no web site of its own: the link leads to its user guide.
    QUrl guide = readmePath_.empty() ? QUrl() : QUrl::fromLocalFile(FromPath(readmePath_));
    AboutBox box(fonts_, Text(str::ReadmeName), guide, this);
    box.exec();
}

void MainWindow::OpenReadme() {
    if (!readmePath_.empty()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(FromPath(readmePath_)));
    }
}

void MainWindow::ShowContextMenu(const QPoint& position) {
    UpdateEditMenuState();
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (int command : {cmd::InsertTrack, 0, cmd::Cut, cmd::Copy, cmd::Paste, cmd::Delete, 0,
                        cmd::MoveUp, cmd::MoveDown, 0, cmd::Properties}) {
        if (command == 0) {
            menu->addSeparator();
        } else {
            menu->addAction(CommandAction(command));
        }
    }
    ConnectMenuHelp(menu);
    contextMenu_ = menu;
    menu->popup(list_->viewport()->mapToGlobal(position));
}

// ---- Album fields ---------------------------------------------------------------------------

void MainWindow::AlbumFieldEdited(QLineEdit* edit) {
    if (refreshing_) {
        return;
    }
    // Every change is recorded as it happens; the changes of one visit of a field merge
    // into one step (the field's control number keeps them apart from other fields').
    CdInfo& cd = session_.doc.cd;
    const std::string text = ToText(edit->text());
    StringId label = str::AlbumTitleLabel;
    int field = IdTitle;
    if (edit == artistEdit_) {
        label = str::AlbumArtistLabel;
        field = IdArtist;
    } else if (edit == yearEdit_) {
        label = str::AlbumYearLabel;
        field = IdYear;
    }
    history_->Record(
        label,
        [&] {
            if (edit == titleEdit_) {
                cd.title = text;
            } else if (edit == artistEdit_) {
                cd.artist = text;
            } else if (edit == yearEdit_) {
                cd.year = text;
            }
            SetModified(session_, true);
        },
        field);
}

void MainWindow::GenreEdited() {
    // Opening the list with the mouse may "activate" the entry already shown: a choice that
    // changes nothing is no edit.
    const std::string genre = ToText(genreBox_->currentText());
    if (refreshing_ || genre == session_.doc.cd.genre.str()) {
        return;
    }
    history_->Record(
        str::AlbumGenreLabel,
        [this, genre] {
            session_.doc.cd.genre = genre;
            SetModified(session_, true);
        },
        IdGenre);
}

// ---- Events ---------------------------------------------------------------------------------

bool MainWindow::RouteKey(QKeyEvent* event, bool listHasFocus) {
    int command = 0;
    if (listHasFocus) {
        command = LookUpKey(TrackListKeyTable(), event->key(), event->modifiers());
    }
    if (command == 0) {
        command = LookUpKey(UndoKeyTable(), event->key(), event->modifiers());
    }
    if (command == 0) {
        command = LookUpKey(GlobalKeyTable(), event->key(), event->modifiers());
    }
    if (command == 0) {
        return false;
    }
    UpdateEditMenuState();
    QAction* action = CommandAction(command);
    if (action && action->isEnabled()) {
        action->trigger();
    }
    return true;  // a disabled item's key is swallowed, not passed on
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) {
        LayOut();
    } else if (event->type() == QEvent::KeyPress) {
        // A key goes first to the window's focus widget (or to the window itself when none
        // has the focus); that first delivery is the one the key tables see.
        auto* widget = qobject_cast<QWidget*>(watched);
        QWidget* focus = focusWidget();
        bool target = widget && widget == (focus ? focus : this);
        if (target && !QApplication::activePopupWidget() && !QApplication::activeModalWidget()) {
            if (RouteKey(static_cast<QKeyEvent*>(event), widget == list_)) {
                return true;
            }
        }
    } else if (watched == list_ &&
               (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        UpdateEditMenuState();
    } else if (event->type() == QEvent::FocusIn &&
               (watched == titleEdit_ || watched == artistEdit_ || watched == yearEdit_ ||
                watched == genreBox_ || watched == genreBox_->lineEdit())) {
        // A new visit of a field begins a new step; the focus coming back from the field's
        // own drop-down or from another window continues the visit.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
            history_->EndMerge();
        }
    } else if (watched == list_->viewport() && event->type() == QEvent::Resize) {
        FitTitleColumn();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!ConfirmDiscard()) {
        event->ignore();
        return;
    }
    session_.settings.WindowGeometry = saveGeometry().toBase64().toStdString();
    emit Closing();
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedPaths(event->mimeData()).empty()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths = DroppedPaths(event->mimeData());
    if (paths.empty()) {
        return;
    }
    event->acceptProposedAction();
    raise();
    activateWindow();
    const tracklore::TrackList shown = session_.doc;
    DocumentOpened(shown, DropFiles(session_, paths));
    UpdateEditMenuState();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!outerSizeFitted_) {
        outerSizeFitted_ = true;
        FitOuterSize();
    }
}

void MainWindow::FitTitleColumn() {
    // The title column takes the width the other columns leave, and never less than its own.
    const int others = list_->columnWidth(0) + list_->columnWidth(1) + list_->columnWidth(3);
    const int title = std::max(ColumnWidths[2], list_->viewport()->width() - others);
    if (list_->columnWidth(2) != title) {
        list_->setColumnWidth(2, title);
    }
}

void MainWindow::FitOuterSize() {
    // The sizes are those of the whole window, frame included.
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame.width() < 0 || frame.height() < 0) {
        return;
    }
    setMinimumSize(MainWindowMinWidth - frame.width(), MainWindowMinHeight - frame.height());
    if (!geometryRestored_) {
        resize(MainWindowWidth - frame.width(), MainWindowHeight - frame.height());
    }
}

}  // namespace tracklore::app
