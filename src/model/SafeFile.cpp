#include "model/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "model/Text.h"

namespace tracklore {

namespace {
mode_t CurrentUmask() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}
}  // namespace

SafeFile::~SafeFile() {
    Discard();
}

std::string ResolveLinks(const std::string& path) {
    std::string current = path;
    // As many links as the kernel follows before it gives up with ELOOP.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return current;
        }
        std::vector<char> buffer(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size());
        if (n < 0 || static_cast<std::size_t>(n) >= buffer.size()) {
            return current;
        }
        std::string next(buffer.data(), static_cast<std::size_t>(n));
        if (next.empty()) {
            return current;
        }
        // A relative link is relative to the folder that holds the link.
        const std::size_t slash = current.rfind('/');
        if (next[0] != '/' && slash != std::string::npos) {
            next = current.substr(0, slash + 1) + next;
        }
        current = next;
    }
    return current;
}

bool SafeFile::Create(const std::string& target) {
    Discard();
    renameFailed_ = false;
    // A symbolic link stays a link: its target is replaced, beside which the temporary
    // file then lives.
    target_ = ResolveLinks(target);
    // An existing file that its owner protected against writing is refused, as opening it
    // for writing would be, rather than replaced behind its protection.
    if (::faccessat(AT_FDCWD, target_.c_str(), F_OK, AT_EACCESS) == 0 &&
        ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
        error_ = errno;
        errno = error_;
        return false;
    }
    // A short hidden name in the same folder, so the rename stays on one file system and
    // the name fits whatever the target's name is; mkostemp makes it unique and creates it
    // exclusively.
    const std::size_t slash = target_.rfind('/');
    const std::string dir =
        slash == std::string::npos ? std::string() : target_.substr(0, slash + 1);
    std::string pattern = dir + TemporaryNamePrefix + "XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    fd_ = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd_ < 0) {
        error_ = errno;
        return false;
    }
    tempPath_ = buffer.data();
    error_ = 0;
    return true;
}

bool SafeFile::Write(const void* data, std::size_t size) {
    if (fd_ < 0) {
        if (error_ == 0) {
            error_ = EBADF;
        }
        errno = error_;
        return false;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd_, bytes, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error_ = errno;
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool SafeFile::Commit() {
    if (fd_ < 0 || error_ != 0) {
        int error = error_ != 0 ? error_ : EBADF;
        Discard();
        error_ = error;
        errno = error;
        return false;
    }
    struct stat st {};
    mode_t mode = 0666 & ~CurrentUmask();
    if (::stat(target_.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    }
    bool ok = ::fchmod(fd_, mode) == 0;
    ok = ok && ::fsync(fd_) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd_) != 0 && ok) {
        ok = false;
        error = errno;
    }
    fd_ = -1;
    if (ok && ::rename(tempPath_.c_str(), target_.c_str()) != 0) {
        ok = false;
        error = errno;
        renameFailed_ = true;
    }
    if (!ok) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
        error_ = error;
        errno = error;
        return false;
    }
    // Make the rename itself durable.
    const std::size_t slash = target_.rfind('/');
    const std::string dir =
        slash == std::string::npos ? std::string(".") : target_.substr(0, slash + 1);
    int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    tempPath_.clear();
    return true;
}

void SafeFile::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

bool WriteFileSafely(const std::string& path, std::string_view bytes, int* error) {
    SafeFile file;
    bool ok = file.Create(path) && file.Write(bytes) && file.Commit();
    if (!ok && error) {
        *error = file.Error();
    }
    return ok;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int error = S_ISDIR(st.st_mode) ? EISDIR : (errno ? errno : EINVAL);
        ::close(fd);
        errno = error;
        return false;
    }
    bytes.clear();
    char buffer[65536];
    while (true) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            int error = errno;
            ::close(fd);
            errno = error;
            return false;
        }
        if (n == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

std::uint64_t FileSizeOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return 0;
    }
    return static_cast<std::uint64_t>(st.st_size);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace tracklore
