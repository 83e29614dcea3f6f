#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/QtText.h"

#include "app/EditorApp.h"
#include "app/MainWindow.h"
#include "support/TestSupport.h"

namespace tracklore::app {
// Tests name string-table texts by their numbers, as messages record them.
inline QString Text(int number) {
    return Text(IdOfNumber(number));
}
}  // namespace tracklore::app

namespace tracklore::app::test {

// A modal window the code under test showed.
struct SeenModal {
    QString className;
    QString title;
    QString text;  // a message box's text
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Answers the modal windows that the code under test opens, one handler for each window
// taken, in order. A taken window without a handler is recorded as unexpected and rejected,
// so no test hangs. Which windows are taken is up to the subclass.
class ModalResponder : public QObject {
  public:
    using Handler = std::function<void(QWidget* modal)>;
    ~ModalResponder() override;

    void Then(Handler handler);
    // Clicks a standard button of the next message box.
    void Answer(QMessageBox::StandardButton button);

    std::vector<SeenModal> seen;
    int unexpected = 0;
    bool Finished() const { return handlers_.empty(); }

  protected:
    // failOnUnexpected: an unexpected window also fails the test.
    explicit ModalResponder(bool failOnUnexpected);
    virtual void Poll() = 0;
    // Records the window and hands it to the next handler.
    void Take(QWidget* modal);

  private:
    bool failOnUnexpected_;
    QTimer timer_;
    std::deque<Handler> handlers_;
};

// Takes a modal window each time one comes to the top (a dialog that comes back to the top
// after a warning counts again).
class ModalScript : public ModalResponder {
  public:
    ModalScript() : ModalResponder(false) {}

  private:
    void Poll() override;
    QPointer<QWidget> current_;
};

// The editor with its settings file in a fresh folder.
class Editor {
  public:
    // iniText: the settings file's text before start (none when empty).
    explicit Editor(const std::string& iniText = "");
    ~Editor();

    // Start-up as the program does it; the window is shown and active.
    bool Start(const std::string& document = "");

    EditorApp& app() { return *app_; }
    MainWindow& window() { return app_->Window(); }
    TrackList& doc() { return app_->Document(); }
    const tracklore::test::TempDir& dir() const { return dir_; }
    std::string settingsPath() const { return dir_.file("tracklore.ini"); }
    std::string readmePath() const { return dir_.file("liesmich.txt"); }

    // Writes a cue sheet with `count` tracks (starts 150 + i * 15000, total given) and
    // returns its path.
    std::string WriteCue(const std::string& name, int count, int totalSeconds = 0) const;

    // The title, status and rows as shown.
    QString Title() { return window().windowTitle(); }
    QString Cell(int row, int column);
    int Rows();

  private:
    tracklore::test::TempDir dir_;
    std::unique_ptr<EditorApp> app_;
};

// Types a full path into a file dialog's name field and accepts it.
void ChooseFile(QWidget* fileDialog, const std::string& path);

// Drags the files onto the widget and drops them there, as a file manager does. Returns
// whether the widget accepted the drag.
bool DropFilesOn(QWidget* widget, const std::vector<std::string>& paths);

// Sends a key to the widget after giving it the focus.
void PressKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

}  // namespace tracklore::app::test
