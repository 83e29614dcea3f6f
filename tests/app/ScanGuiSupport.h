#pragma once

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "GuiSupport.h"
#include "mp3/ByteSource.h"

namespace tracklore::app::test {

// Drives the modal windows of one flow. Each handler takes the next modal window that comes
// to the top for the first time; a window that comes back to the top after a nested one
// (the options dialog after its progress dialog, the progress dialog after a question) is
// left alone. A new modal window without a handler is recorded as unexpected and rejected.
class ModalDriver : public ModalResponder {
  public:
    ModalDriver() : ModalResponder(true) {}
    // Leaves the next modal window to run by itself (a progress dialog).
    void Let();

  private:
    void Poll() override;
    bool Known(QWidget* widget);
    std::vector<QPointer<QWidget>> known_;
};

// The child of `root` that carries the control number.
QWidget* Control(QWidget* root, int id);
template <typename T>
T* ControlAs(QWidget* root, int id) {
    return qobject_cast<T*>(Control(root, id));
}

// A string-table text as a message box shows it.
QString Shown(int id);

// `size` bytes of a repeating pattern that holds no tag, no MPEG frame and no signature,
// made as they are read. When a gate is set, the read at the gate's offset waits until the
// gate is opened. With busyPerRead, every read keeps its thread busy for at least that
// long, like a scan that has a core to itself, so the scan lasts long enough to watch.
class PatternSource : public ByteSource {
  public:
    explicit PatternSource(std::uint64_t size) : size_(size) {}
    std::size_t Read(void* destination, std::size_t count) override;
    std::uint64_t Position() const override { return position_; }
    void SeekTo(std::uint64_t position) override { position_ = position; }
    std::uint64_t Size() const override { return size_; }

    struct Gate {
        std::uint64_t offset = 0;
        std::mutex mutex;
        std::condition_variable opened;
        bool open = false;
        std::atomic<bool> reached{false};
        void Open();
    };
    Gate* gate = nullptr;
    std::chrono::microseconds busyPerRead{0};

  private:
    std::uint64_t size_;
    std::uint64_t position_ = 0;
};

// A small JPEG picture, made by Qt's image writer.
std::string JpegBytes();

}  // namespace tracklore::app::test
