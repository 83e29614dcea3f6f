#include "app/EditorApp.h"

#include <sys/stat.h>

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>
#include <filesystem>
#include <vector>

#include "app/DialogParts.h"
#include "app/DocumentCommands.h"
#include "app/MainWindow.h"
#include "app/QtText.h"
#include "flows/DocumentFlow.h"
#include "model/SafeFile.h"
#include "model/Text.h"
#include "resources/Strings.h"
#include "settings/SettingsFile.h"

namespace tracklore::app {

namespace {

// Qt's own texts (file dialogs, the fields' context menus) and its number formats in the
// program's language: Qt speaks English without a translation.
void UseQtLanguage(Language language, QTranslator& qtTexts) {
    if (language == Language::German) {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        if (qtTexts.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(&qtTexts);
        }
        return;
    }
    if (QLocale::system().language() != QLocale::English) {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
}

}  // namespace

Language EditorLanguage(const std::string& settingsPath) {
    Settings stored;
    ReadSettings(stored, settingsPath, false);
    return ChooseLanguage(stored.Language, CurrentLocaleEnvironment());
}

// ---- Settings store --------------------------------------------------------------------

SettingsStore::SettingsStore(Settings& settings, std::string path)
    : settings_(settings), path_(std::move(path)) {
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { FileMaybeChanged(); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { FileMaybeChanged(); });
}

void SettingsStore::Load() {
    ApplyDefaultSettings(settings_);
    ReadSettings(settings_, path_, true);
    signature_ = Signature();
    Watch();
}

bool SettingsStore::Write(bool withState) {
    bool written = WriteSettings(settings_, path_, withState);
    // This copy sees its own write through the watch like every other copy; the folder may
    // only now exist.
    Watch();
    return written;
}

std::string SettingsStore::Signature() const {
    struct stat info {};
    if (stat(path_.c_str(), &info) != 0) {
        return {};
    }
    return std::to_string(info.st_ino) + ":" + std::to_string(info.st_size) + ":" +
           std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec);
}

void SettingsStore::Watch() {
    // A safe write replaces the file by renaming another over it, which ends a watch on the
    // file itself; the folder's watch sees the new file arrive and the file is watched anew.
    QString file = FromPath(path_);
    QString folder = QFileInfo(file).absolutePath();
    if (!watcher_.directories().contains(folder) && QFileInfo(folder).isDir()) {
        watcher_.addPath(folder);
    }
    if (!watcher_.files().contains(file) && QFileInfo::exists(file)) {
        watcher_.addPath(file);
    }
}

void SettingsStore::FileMaybeChanged() {
    Watch();
    std::string now = Signature();
    if (now.empty() || now == signature_) {
        return;
    }
    signature_ = now;
    ReadSettings(settings_, path_, false);
    ++sharedReads_;
}

// ---- Application -----------------------------------------------------------------------

EditorApp::EditorApp(std::string settingsPath, std::string readmePath)
    : session_(doc_, settings_, ui_, UiStrings()),
      store_(settings_, std::move(settingsPath)),
      readmePath_(std::move(readmePath)) {}

EditorApp::~EditorApp() {
    ui_.SetMainWindow(nullptr);
    window_.reset();
}

bool EditorApp::Start(const std::string& document) {
    // Settings: defaults, then the file.
    store_.Load();
    // Fonts, measured on the screen.
    QScreen* screen = QGuiApplication::primaryScreen();
    fonts_ = MakeUiFonts(screen ? screen->logicalDotsPerInchY() : 96.0);
    // The main window, shown.
    window_ = std::make_unique<MainWindow>(session_, fonts_, readmePath_);
    ui_.SetMainWindow(window_.get());
    window_->SetSettingsStore(&store_);
    // The main window's labels name their fields; other labels there show values.
    FitLabels(window_.get(), true);
    QObject::connect(window_.get(), &MainWindow::Closing, window_.get(), [this] {
        closed_ = true;
        store_.Write(true);
    });
    window_->show();
    // A message about the document is centred over the window where the window manager
    // put it.
    WaitUntilExposed(window_.get());
    // The document named on the command line; when it cannot be opened the window is asked
    // to close the normal way, which ends the program.
    if (!document.empty()) {
        if (OpenDocument(session_, document)) {
            window_->AddRecentFile(session_.doc.documentPath);
        } else {
            window_->close();
            if (closed_) {
                return false;
            }
        }
    }
    window_->StartHistory();
    window_->RefreshMainWindow();
    window_->UpdateEditMenuState();
    return true;
}

int EditorApp::Run() {
    if (closed_) {
        return 0;
    }
    return QApplication::exec();
}

std::string ReadmePathFor(const std::string& executable) {
    const std::string name(UiStrings().Text(str::ReadmeName));
    std::string folder = DirPart(executable);
    std::string beside = folder + name;
    if (FileExists(beside)) {
        return beside;
    }
    // An installed program: bin/tracklore and share/tracklore/readme.txt (liesmich.txt).
    std::filesystem::path bin = std::filesystem::path(executable).parent_path();
    std::string installed = (bin.parent_path() / "share" / "tracklore" / name).string();
    if (FileExists(installed)) {
        return installed;
    }
    return beside;
}

int RunEditor(int argc, char** argv, const std::function<void(EditorApp&)>& started) {
    // The document is taken from the arguments before Qt removes the ones it knows.
    const std::string document = CommandLineDocument(argc, const_cast<const char* const*>(argv));
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tracklore"));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tracklore.Tracklore"));
    std::string executable = RunningExecutablePath();
    if (executable.empty()) {
        executable = ToPath(QCoreApplication::applicationFilePath());
    }
    // The language is chosen once, before the first text is shown: German or English by the
    // setting or the desktop's locale, for the program's texts and Qt's alike.
    const std::string settingsPath = SettingsFilePath(executable);
    const Language language = EditorLanguage(settingsPath);
    SetUiStrings(StringTable::Of(language));
    QTranslator qtTexts;
    UseQtLanguage(language, qtTexts);
    EditorApp editor(settingsPath, ReadmePathFor(executable));
    if (!editor.Start(document)) {
        return 0;
    }
    if (started) {
        started(editor);
    }
    return editor.Run();
}

}  // namespace tracklore::app
