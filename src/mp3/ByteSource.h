#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tracklore {

// A readable stream of bytes with a position: an open file, or bytes in memory (tests,
// fuzzing). Reads past the end give fewer bytes; moving past the end is allowed and makes
// later reads give none.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Reads up to `count` bytes at the position and advances it; returns the count read
    // (0 at the end). A read error also gives fewer bytes; Failed() tells them apart.
    virtual std::size_t Read(void* destination, std::size_t count) = 0;
    virtual std::uint64_t Position() const = 0;
    virtual void SeekTo(std::uint64_t position) = 0;
    virtual std::uint64_t Size() const = 0;
    virtual bool Failed() const { return false; }
    // errno of the last failed read, 0 after a good one.
    virtual int LastError() const { return 0; }
    // How many bytes a reader that walks the whole source should ask for at once; 0 when the
    // source reads any size equally well (bytes in memory).
    virtual std::size_t ReadBlockSize() const { return 0; }

    // Moves relative to the position; a move before the start stops at the start.
    void Skip(std::int64_t delta) {
        std::uint64_t pos = Position();
        if (delta < 0 && static_cast<std::uint64_t>(-delta) > pos) {
            SeekTo(0);
        } else {
            SeekTo(pos + static_cast<std::uint64_t>(delta));
        }
    }
};

class MemorySource : public ByteSource {
  public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::size_t Read(void* destination, std::size_t count) override;
    std::uint64_t Position() const override { return position_; }
    void SeekTo(std::uint64_t position) override { position_ = position; }
    std::uint64_t Size() const override { return bytes_.size(); }

  private:
    std::string_view bytes_;
    std::uint64_t position_ = 0;
};

// A regular file opened for reading (others may read and write it meanwhile). Folders,
// devices and other non-regular files are refused.
class FileSource : public ByteSource {
  public:
    // nullptr when the path does not name a regular file that can be opened for reading;
    // errno tells why.
    static std::unique_ptr<FileSource> Open(const std::string& path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::size_t Read(void* destination, std::size_t count) override;
    std::uint64_t Position() const override { return position_; }
    void SeekTo(std::uint64_t position) override { position_ = position; }
    std::uint64_t Size() const override { return size_; }
    bool Failed() const override { return failed_; }
    int LastError() const override { return lastError_; }
    // Large enough that the system calls cost little, small enough that what was read is
    // still in the processor's cache when it is searched.
    std::size_t ReadBlockSize() const override { return 512 << 10; }
    // The open file, for callers that copy from it without reading it themselves.
    int Descriptor() const { return fd_; }

  private:
    FileSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    int fd_;
    std::uint64_t size_;
    std::uint64_t position_ = 0;
    bool failed_ = false;
    int lastError_ = 0;
};

}  // namespace tracklore
