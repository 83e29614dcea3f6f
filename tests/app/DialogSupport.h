#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <vector>

namespace tracklore::app::test {

// Answers every message box that comes up with its default button and records it; other
// modal windows (the transfer dialog, the dialog under test) are left alone, so a test can
// drive them itself whatever their timing.
class MessageBoxWatch : public QObject {
  public:
    struct Seen {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };

    MessageBoxWatch();
    std::vector<Seen> seen;

  private:
    void Poll();
    QTimer timer_;
    QPointer<QMessageBox> current_;
};

// Runs `step` every few milliseconds while the code under test sits in a modal loop, until
// it answers true (then it runs no more).
class Watcher : public QObject {
  public:
    explicit Watcher(std::function<bool()> step);
    bool Done() const { return done_; }

  private:
    QTimer timer_;
    std::function<bool()> step_;
    bool done_ = false;
};

// Catches the addresses the program hands to the desktop for one URL scheme.
class LinkCatcher : public QObject {
    Q_OBJECT
  public:
    explicit LinkCatcher(const QString& scheme);
    ~LinkCatcher() override;
    QList<QUrl> urls;
  public slots:
    void Open(const QUrl& url);

  private:
    QString scheme_;
};

}  // namespace tracklore::app::test
