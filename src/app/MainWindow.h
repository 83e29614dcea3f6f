#pragma once

#include <QAbstractTableModel>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/UiMetrics.h"
#include "flows/Session.h"

class QComboBox;
class QGroupBox;
class QLineEdit;

class QStackedLayout;
class QTableView;
class QToolBar;

namespace tracklore::app {

class SettingsStore;
class UndoHistory;

// The rows of the track list as texts, copied from the document on every refresh, so the
// view never reads the document while a worker changes it.
class TrackListModel : public QAbstractTableModel {
  public:
    explicit TrackListModel(QObject* parent = nullptr);
    void Rebuild(const TrackList& doc, TimeFormat format);
    void UpdateTexts(const TrackList& doc, TimeFormat format);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    std::vector<std::array<QString, 4>> rows_;
    std::array<QString, 4> headers_;
    QString tip_;
};

// The status bar: three sunken parts whose right edges lie at 90, 200 and the window's right
// edge; while a menu is open, one part over the whole width, without borders, showing the
// help of the highlighted item.
class StatusBar : public QWidget {
  public:
    explicit StatusBar(const QFont& font, QWidget* parent = nullptr);
    void SetParts(const std::array<QString, 4>& texts);
    void EnterMenuMode();
    void ShowMenuHelp(const QString& text);
    void LeaveMenuMode();
    bool InMenuMode() const { return menuMode_; }
    QString PartText(int part) const;
    QString MenuText() const;
    QRect PartGeometry(int part) const;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Place();
    std::array<QLabel*, 4> parts_{};
    QLabel* single_ = nullptr;
    bool menuMode_ = false;
};

// The program's only top-level window: album fields in a group box at the top, the tracks
// below, a toolbar above and a status bar below, and the menu bar. Every action arrives at
// RunCommand as a command number.
class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    MainWindow(Session& session, const UiFonts& fonts, std::string readmePath,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The operations other parts of the program call (UI thread).
    void RefreshMainWindow();
    void RefreshTrackTexts();
    void UpdateTitle();
    void UpdateStatusBar();
    int SelectedTrack() const;
    void SelectTrack(int index);
    void UpdateEditMenuState();

    // Runs a command by its number. A command that changes the document becomes one step of
    // the undo history.
    void RunCommand(int command);

    // Changes the document as one step of the undo history, named after the string `label`
    // (a menu text, say): `change` works on the document; when it changed anything, the
    // document is marked modified and the window refreshed. For a flow that marks and
    // refreshes by itself, use History().Record.
    void ApplyDocumentChange(StringId label,
                             const std::function<void(tracklore::TrackList&)>& change);
    UndoHistory& History() { return *history_; }
    // A fresh history for the document shown (started, opened, or left by a failed open).
    void StartHistory();

    // The list of recent files: `path` (made absolute) goes to its head and the menu follows.
    void AddRecentFile(const std::string& path);
    // Opens a recent file as Open does (the unsaved-changes question first); one that no
    // longer exists leaves the list with a message.
    void OpenRecentFile(const std::string& path);
    QMenu* RecentFilesMenu() const { return recentMenu_; }
    // The track properties dialog for the selected track (command 308).
    void ShowTrackProperties();

    // The action of a command (menu bar, toolbar and context menu share it).
    QAction* CommandAction(int command) const;
    QMenu* EditMenu() const { return editMenu_; }
    QTableView* TrackList() const { return list_; }
    QWidget* Client() const { return client_; }
    QToolBar* ToolBar() const { return toolbar_; }
    StatusBar* Status() const { return status_; }
    QLineEdit* AlbumTitleEdit() const { return titleEdit_; }
    QLineEdit* AlbumArtistEdit() const { return artistEdit_; }
    QLineEdit* YearEdit() const { return yearEdit_; }
    QComboBox* GenreBox() const { return genreBox_; }
    // The context menu while it is shown (null otherwise).
    QMenu* ContextMenu() const { return contextMenu_; }
    const UiFonts& Fonts() const { return fonts_; }
    // The settings file, for the dialogs that write the shared keys at once.
    void SetSettingsStore(SettingsStore* store) { store_ = store; }
    SettingsStore* Store() const { return store_; }

    // The layout rule, run on every size change of the client area.
    void LayOut();

    // A key as the key tables see it: true when it became a command (or a command of a
    // disabled item, which is swallowed).
    bool RouteKey(QKeyEvent* event, bool listHasFocus);

  signals:
    // The window agreed to close (after the unsaved-changes question): time to write the
    // settings.
    void Closing();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateControls();
    // The commands that RunCommand records as one step each.
    void RunDocumentCommand(int command);
    void ConnectMenuHelp(QMenu* menu);
    void ShowContextMenu(const QPoint& position);
    void AlbumFieldEdited(QLineEdit* edit);
    void GenreEdited();
    void ShowAboutBox();
    void OpenReadme();
    void FitOuterSize();
    void FitTitleColumn();
    void RebuildRecentFilesMenu();
    // The unsaved-changes question; a save it made becomes the saved state of the history.
    bool ConfirmDiscard();
    // After a save that succeeded (`before`: the document just before it).
    void DocumentSaved(const tracklore::TrackList& before);
    // After Open, a drop or a recent file: `shown` is the document before, `opened` whether
    // a file was read. A document that was replaced (also by a file that could not be read)
    // starts a fresh history.
    void DocumentOpened(const tracklore::TrackList& shown, bool opened);
    void UndoOrRedo(bool undo);

    Session& session_;
    UiFonts fonts_;
    std::string readmePath_;
    SettingsStore* store_ = nullptr;
    bool refreshing_ = false;
    bool outerSizeFitted_ = false;
    bool geometryRestored_ = false;
    UndoHistory* history_ = nullptr;
    QMenu* recentMenu_ = nullptr;

    std::map<int, QAction*> actions_;
    QMenu* editMenu_ = nullptr;
    QPointer<QMenu> contextMenu_;
    QWidget* client_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QGroupBox* group_ = nullptr;
    QLabel* titleLabel_ = nullptr;
    QLabel* artistLabel_ = nullptr;
    QLabel* yearLabel_ = nullptr;
    QLabel* genreLabel_ = nullptr;
    QLineEdit* titleEdit_ = nullptr;
    QLineEdit* artistEdit_ = nullptr;
    QLineEdit* yearEdit_ = nullptr;
    QComboBox* genreBox_ = nullptr;
    QTableView* list_ = nullptr;
    TrackListModel* model_ = nullptr;
    StatusBar* status_ = nullptr;
};

// Window sizes of the main window, in pixels.
constexpr int MainWindowWidth = 537;
constexpr int MainWindowHeight = 454;
constexpr int MainWindowMinWidth = 300;
constexpr int MainWindowMinHeight = 250;

}  // namespace tracklore::app
