#include "mp3/ByteSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tracklore {

std::size_t MemorySource::Read(void* destination, std::size_t count) {
    if (position_ >= bytes_.size()) {
        return 0;
    }
    std::size_t available = static_cast<std::size_t>(bytes_.size() - position_);
    std::size_t n = count < available ? count : available;
    std::memcpy(destination, bytes_.data() + position_, n);
    position_ += n;
    return n;
}

std::unique_ptr<FileSource> FileSource::Open(const std::string& path) {
    // Non-blocking, so that opening a FIFO or a device does not wait; only regular files
    // are kept, and for them the flag makes no difference.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        int error = errno;
        ::close(fd);
        errno = error;
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        return nullptr;
    }
    return std::unique_ptr<FileSource>(new FileSource(fd, static_cast<std::uint64_t>(st.st_size)));
}

FileSource::~FileSource() {
    ::close(fd_);
}

std::size_t FileSource::Read(void* destination, std::size_t count) {
    auto* out = static_cast<unsigned char*>(destination);
    std::size_t total = 0;
    failed_ = false;
    lastError_ = 0;
    while (total < count) {
        ssize_t n = ::pread(fd_, out + total, count - total, static_cast<off_t>(position_));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            failed_ = true;
            lastError_ = errno;
            break;
        }
        if (n == 0) {
            break;
        }
        total += static_cast<std::size_t>(n);
        position_ += static_cast<std::uint64_t>(n);
    }
    return total;
}

}  // namespace tracklore
