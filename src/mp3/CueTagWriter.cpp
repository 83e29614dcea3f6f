#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

#include "formats/CueSheet.h"
#include "model/SafeFile.h"
#include "model/Text.h"
#include "mp3/ByteSource.h"
#include "mp3/CueTag.h"
#include "mp3/Mpeg.h"

namespace tracklore {

namespace {

// A file descriptor closed on every path.
class FileHandle {
  public:
    explicit FileHandle(int fd = -1) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int get() const { return fd_; }
    // Closes now; false (errno set) when the close reports an error.
    bool Close() {
        int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int fd_;
};

bool WriteAllAt(int fd, const char* bytes, std::size_t size, off_t offset) {
    while (size > 0) {
        ssize_t n = ::pwrite(fd, bytes, size, offset);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes += n;
        size -= static_cast<std::size_t>(n);
        offset += n;
    }
    return true;
}

// A rewrite's temporary file has the short name of every safely written file (SafeFile.h).
// While the writer works it holds an exclusive lock on it, and the file carries a marker
// attribute whose value is the name of the MP3 file it will become. A writer that was killed
// leaves its file behind, marked and unlocked; such leftovers of the same MP3 are removed
// before the next rewrite. A file without the marker (a document being saved, a user's own
// file), one marked for another MP3, or one that anybody holds locked is left alone. On a
// file system without extended attributes nothing is marked, so nothing is removed; the same
// holds for the empty file of a writer killed between creating and marking it.
constexpr const char* PartialMarker = "user.tracklore.partial";

bool HasTemporaryName(std::string_view entry) {
    constexpr std::size_t RandomPart = 6;
    const std::string_view prefix = TemporaryNamePrefix;
    if (entry.size() != prefix.size() + RandomPart || entry.substr(0, prefix.size()) != prefix) {
        return false;
    }
    for (char c : entry.substr(prefix.size())) {
        bool alnum = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!alnum) {
            return false;
        }
    }
    return true;
}

// Whether the open file carries the marker naming `fileName`.
bool MarkedFor(int fd, const std::string& fileName) {
    std::string value(fileName.size() + 1, '\0');
    ssize_t n = ::fgetxattr(fd, PartialMarker, value.data(), value.size());
    return n >= 0 && static_cast<std::size_t>(n) == fileName.size() &&
           value.compare(0, fileName.size(), fileName) == 0;
}

std::string BaseNameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void RemoveAbandonedTemporaries(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::string dir =
        slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = BaseNameOf(target);
    std::unique_ptr<DIR, int (*)(DIR*)> folder(::opendir(dir.empty() ? "." : dir.c_str()),
                                               ::closedir);
    if (!folder) {
        return;
    }
    while (const dirent* entry = ::readdir(folder.get())) {
        if (!HasTemporaryName(entry->d_name)) {
            continue;
        }
        const std::string path = dir + entry->d_name;
        FileHandle file(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st {};
        if (file.get() < 0 || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
            continue;
        }
        if (MarkedFor(file.get(), name) && ::flock(file.get(), LOCK_EX | LOCK_NB) == 0) {
            ::unlink(path.c_str());
        }
    }
}

TagWriteOutcome WriteInPlace(const std::string& path, const std::string& tag) {
    FileHandle file(::open(path.c_str(), O_WRONLY | O_CLOEXEC));
    if (file.get() < 0) {
        return {TagWriteStatus::CannotOpen};
    }
    if (!WriteAllAt(file.get(), tag.data(), tag.size(), 0) || ::fsync(file.get()) != 0 ||
        !file.Close()) {
        return {TagWriteStatus::SystemError, errno};
    }
    return {TagWriteStatus::Written};
}

// Appends everything of `source` from `offset` on to `out`, whose first `written` bytes are
// already there. The kernel copies the bytes itself where it can (no trip through this
// process, as cp does it); otherwise, or when it gives up part way, the rest goes through a
// buffer in large blocks. Every few megabytes the disk is told to start writing what was
// copied, so that the flush before the rename finds little left to do.
bool CopyTail(FileSource& source, std::uint64_t offset, SafeFile& out, std::uint64_t written,
              int& error) {
    constexpr std::size_t KernelChunk = 8 << 20;
    const int fd = out.Descriptor();
    std::uint64_t flushed = 0;
    auto startWriteback = [&](bool all) {
        if (written - flushed >= KernelChunk || (all && written > flushed)) {
            ::sync_file_range(fd, static_cast<off_t>(flushed),
                              static_cast<off_t>(written - flushed), SYNC_FILE_RANGE_WRITE);
            flushed = written;
        }
    };

    auto in = static_cast<off_t>(offset);
    while (true) {
        ssize_t n = ::copy_file_range(source.Descriptor(), &in, fd, nullptr, KernelChunk, 0);
        if (n > 0) {
            written += static_cast<std::uint64_t>(n);
            startWriteback(false);
            continue;
        }
        if (n == 0) {
            startWriteback(true);
            return true;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP &&
            errno != EBADF) {
            error = errno;
            return false;
        }
        break;
    }

    std::vector<char> block(CueTagCopyBlock);
    source.SeekTo(static_cast<std::uint64_t>(in));
    while (true) {
        std::size_t n = source.Read(block.data(), block.size());
        if (source.Failed()) {
            error = source.LastError();
            return false;
        }
        if (n == 0) {
            startWriteback(true);
            return true;
        }
        if (!out.Write(block.data(), n)) {
            error = out.Error();
            return false;
        }
        written += n;
        startWriteback(false);
    }
}

TagWriteOutcome Rewrite(const std::string& path, FileSource& source, std::uint64_t audioStart,
                        const std::string& tag) {
    // A symbolic link stays a link to the new file.
    const std::string target = ResolveLinks(path);
    // A write-protected file is not replaced behind its protection, just as it is not
    // written in place.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        return {TagWriteStatus::CannotOpen};
    }
    RemoveAbandonedTemporaries(target);
    SafeFile out;
    if (!out.Create(target)) {
        return {TagWriteStatus::CannotCreateTemp, out.Error(), DirPart(target)};
    }
    // Marks the temporary file as ours and as in use for as long as this writer lives.
    FileHandle lock(::open(out.TemporaryPath().c_str(), O_RDONLY | O_CLOEXEC));
    if (lock.get() >= 0 && ::flock(lock.get(), LOCK_EX | LOCK_NB) == 0) {
        const std::string name = BaseNameOf(target);
        ::fsetxattr(lock.get(), PartialMarker, name.data(), name.size(), 0);
    }

    if (!out.Write(tag)) {
        return {TagWriteStatus::SystemError, out.Error()};
    }
    int error = 0;
    if (!CopyTail(source, audioStart, out, tag.size(), error)) {
        return {TagWriteStatus::SystemError, error};
    }
    if (!out.Commit()) {
        if (out.RenameFailed()) {
            return {TagWriteStatus::CannotReplace, out.Error()};
        }
        return {TagWriteStatus::SystemError, out.Error()};
    }
    // The file now stands under the MP3's name; it is no leftover any more.
    if (lock.get() >= 0) {
        ::fremovexattr(lock.get(), PartialMarker);
    }
    return {TagWriteStatus::Written};
}

}  // namespace

TagWriteOutcome WriteTagFile(FrameTable& table, const std::string& path,
                             const std::function<bool()>& replaceOtherVersion) {
    std::unique_ptr<FileSource> source = FileSource::Open(path);
    if (!source) {
        return {TagWriteStatus::CannotOpen};
    }
    const std::uint64_t fileSize = source->Size();
    const MpegStreamInfo info = ProbeMpegStream(*source, static_cast<std::int64_t>(fileSize));
    if (source->Failed()) {
        return {TagWriteStatus::SystemError, source->LastError()};
    }
    if (!info.isMpeg) {
        return {TagWriteStatus::NotMp3};
    }

    // The old tag, read whole; a tag that claims more bytes than the file has counts as none.
    std::string oldTag;
    if (info.hasId3v2 && info.id3v2Size > 0 &&
        static_cast<std::uint64_t>(info.id3v2Size) <= fileSize) {
        oldTag.resize(static_cast<std::size_t>(info.id3v2Size));
        source->SeekTo(0);
        std::size_t got = source->Read(oldTag.data(), oldTag.size());
        if (source->Failed()) {
            return {TagWriteStatus::SystemError, source->LastError()};
        }
        if (got < oldTag.size()) {
            oldTag.clear();
        }
    }
    if (!oldTag.empty()) {
        if (oldTag[3] != 3 || oldTag[4] != 0) {
            if (!replaceOtherVersion || !replaceOtherVersion()) {
                return {TagWriteStatus::Declined};
            }
        } else {
            CarryOverFrames(table, oldTag);
        }
    }

    const TagPlan plan = PlanTag(table.FramesEnd(), oldTag.size());
    if (!plan.fits) {
        return {TagWriteStatus::TooLarge};
    }
    const std::string tag = AssembleTag(table, plan.length);
    if (plan.inPlace) {
        source.reset();
        return WriteInPlace(path, tag);
    }
    return Rewrite(path, *source, oldTag.size(), tag);
}

}  // namespace tracklore
