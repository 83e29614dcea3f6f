#include "DialogSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QPushButton>

namespace tracklore::app::test {

MessageBoxWatch::MessageBoxWatch() {
    timer_.setInterval(5);
    connect(&timer_, &QTimer::timeout, this, &MessageBoxWatch::Poll);
    timer_.start();
}

void MessageBoxWatch::Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || box == current_ || !box->isVisible()) {
        return;
    }
    current_ = box;
    seen.push_back({box->windowTitle(), box->text(), box->icon()});
    QPointer<QMessageBox> target = box;
    QTimer::singleShot(0, this, [target] {
        if (target && target->defaultButton()) {
            target->defaultButton()->click();
        } else if (target) {
            target->reject();
        }
    });
}

Watcher::Watcher(std::function<bool()> step) : step_(std::move(step)) {
    timer_.setInterval(2);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (!done_ && step_()) {
            done_ = true;
            timer_.stop();
        }
    });
    timer_.start();
}

LinkCatcher::LinkCatcher(const QString& scheme) : scheme_(scheme) {
    QDesktopServices::setUrlHandler(scheme_, this, "Open");
}

LinkCatcher::~LinkCatcher() {
    QDesktopServices::unsetUrlHandler(scheme_);
}

void LinkCatcher::Open(const QUrl& url) {
    urls << url;
}

}  // namespace tracklore::app::test

#include "moc_DialogSupport.cpp"
