#include "ScanGuiSupport.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QDialog>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>

#include "app/QtText.h"

namespace tracklore::app::test {

void ModalDriver::Let() {
    Then([](QWidget*) {});
}

bool ModalDriver::Known(QWidget* widget) {
    known_.erase(std::remove_if(known_.begin(), known_.end(),
                                [](const QPointer<QWidget>& w) { return w.isNull(); }),
                 known_.end());
    return std::any_of(known_.begin(), known_.end(),
                       [widget](const QPointer<QWidget>& w) { return w == widget; });
}

void ModalDriver::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) {
        return;
    }
    // A modal window may have opened another before this poll saw it (a short scan's
    // progress dialog under its results): the owners come first, outermost first.
    std::vector<QWidget*> chain;
    for (QWidget* w = modal; w && !Known(w);
         w = w->parentWidget() ? w->parentWidget()->window() : nullptr) {
        if (w->isModal() && w->isVisible()) {
            chain.push_back(w);
        }
    }
    // A progress dialog does not own the message that comes up over it, yet it came first.
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top != modal && top->isModal() && top->isVisible() &&
            top->property("passingWindow").toBool() && !Known(top) &&
            std::find(chain.begin(), chain.end(), top) == chain.end()) {
            chain.insert(chain.begin() + 1, top);
        }
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        known_.emplace_back(*it);
        Take(*it);
    }
}

QWidget* Control(QWidget* root, int id) {
    for (QWidget* child : root->findChildren<QWidget*>()) {
        if (child->property("controlId").toInt() == id) {
            return child;
        }
    }
    return nullptr;
}

QString Shown(int id) {
    return WithPlainLineBreaks(Text(id));
}

std::size_t PatternSource::Read(void* destination, std::size_t count) {
    if (position_ >= size_) {
        return 0;
    }
    if (gate && position_ == gate->offset) {
        gate->reached = true;
        std::unique_lock<std::mutex> lock(gate->mutex);
        gate->opened.wait(lock, [this] { return gate->open; });
    }
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(count, size_ - position_));
    // Bytes 0x20..0x2F only: no "TAG", no frame sync, no archive signature. Copied in
    // pieces of a ready period so that a large source costs little more than a memcpy.
    constexpr std::size_t Piece = 1 << 16;
    static const std::string period = [] {
        std::string bytes(Piece + 16, '\0');
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = static_cast<char>(0x20 + (i & 0x0F));
        }
        return bytes;
    }();
    auto* out = static_cast<unsigned char*>(destination);
    for (std::size_t done = 0; done < n;) {
        const std::size_t phase = static_cast<std::size_t>((position_ + done) & 0x0F);
        const std::size_t step = std::min(Piece, n - done);
        std::memcpy(out + done, period.data() + phase, step);
        done += step;
    }
    position_ += n;
    if (busyPerRead.count() > 0) {
        const auto until = std::chrono::steady_clock::now() + busyPerRead;
        while (std::chrono::steady_clock::now() < until) {
        }
    }
    return n;
}

void PatternSource::Gate::Open() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        open = true;
    }
    opened.notify_all();
}

std::string JpegBytes() {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QPainter painter(&image);
    painter.fillRect(8, 8, 30, 20, Qt::yellow);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPG", 90)) {
        ADD_FAILURE() << "no JPEG writer";
    }
    return bytes.toStdString();
}

}  // namespace tracklore::app::test
