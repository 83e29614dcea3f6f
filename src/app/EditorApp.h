#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "app/QtPlatform.h"
#include "app/UiMetrics.h"
#include "flows/Session.h"
#include "model/TrackList.h"
#include "settings/Settings.h"

namespace tracklore::app {

class MainWindow;

// The settings file of the running program and its watch: whenever the file is written (by
// this copy or another), the shared keys are read again, as every running copy must see a
// confirmed settings dialog at once.
class SettingsStore : public QObject {
  public:
    SettingsStore(Settings& settings, std::string path);
    const std::string& Path() const { return path_; }

    // Defaults, then every key of the file.
    void Load();
    // Writes the state keys when asked, then the shared keys. False when the file could
    // not be written (not reported; the values stay in memory).
    bool Write(bool withState);
    // Reads the shared keys again when the file changed since it was last seen.
    void FileMaybeChanged();
    // How often the shared keys were read again.
    int SharedReads() const { return sharedReads_; }

  private:
    void Watch();
    std::string Signature() const;

    Settings& settings_;
    std::string path_;
    QFileSystemWatcher watcher_;
    std::string signature_;
    int sharedReads_ = 0;
};

// The application object: the document, the settings, the platform and the main window.
class EditorApp {
  public:
    // settingsPath: the settings file; readmePath: the read-me file that command 214 opens.
    EditorApp(std::string settingsPath, std::string readmePath);
    ~EditorApp();
    EditorApp(const EditorApp&) = delete;
    EditorApp& operator=(const EditorApp&) = delete;

    // Start-up up to the event loop: settings, fonts, the main window shown, the document
    // named on the command line opened (empty: none) and the window refreshed. False when
    // the document could not be opened and the window closed, which ends the program.
    bool Start(const std::string& document);
    // The event loop; its result is the exit code.
    int Run();

    MainWindow& Window() { return *window_; }
    Session& GetSession() { return session_; }
    TrackList& Document() { return doc_; }
    Settings& GetSettings() { return settings_; }
    QtPlatform& Ui() { return ui_; }
    SettingsStore& Store() { return store_; }
    const UiFonts& Fonts() const { return fonts_; }
    bool Closed() const { return closed_; }

  private:
    TrackList doc_;
    Settings settings_;
    QtPlatform ui_;
    Session session_{doc_, settings_, ui_};
    SettingsStore store_;
    std::string readmePath_;
    UiFonts fonts_;
    std::unique_ptr<MainWindow> window_;
    bool closed_ = false;
};

// The language the editor speaks: the one the settings file at `settingsPath` forces, else the
// desktop's (ChooseLanguage).
Language EditorLanguage(const std::string& settingsPath);

// Where the editor finds its read-me file: beside the executable, else in the data folder of
// an installed program (../share/tracklore).
std::string ReadmePathFor(const std::string& executablePath);

// The whole program: start-up, event loop, shutdown. `started` runs after start-up, before
// the event loop (the start-up benchmark uses it).
int RunEditor(int argc, char** argv, const std::function<void(EditorApp&)>& started = {});

}  // namespace tracklore::app
