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

// Copies everything of `source` from `from` on into `fd` at `to`. The kernel copies the bytes
// itself where it can (no trip through this process, as cp does it; on a file system that
// shares blocks between files, block-aligned stretches are shared rather than copied);
// otherwise, or when it gives up part way, the rest goes through a buffer in large blocks.
// Every few megabytes the disk is told to start writing what was copied, so that the flush
// before the rename finds little left to do.
bool CopyFrom(FileSource& source, std::uint64_t from, int fd, std::uint64_t to, int& error) {
    constexpr std::size_t KernelChunk = 8 << 20;
    std::uint64_t copied = 0;
    std::uint64_t flushed = 0;
    auto startWriteback = [&](bool all) {
        if (copied - flushed >= KernelChunk || (all && copied > flushed)) {
            ::sync_file_range(fd, static_cast<off_t>(to + flushed),
                              static_cast<off_t>(copied - flushed), SYNC_FILE_RANGE_WRITE);
            flushed = copied;
        }
    };

    auto in = static_cast<off_t>(from);
    auto out = static_cast<off_t>(to);
    while (true) {
        ssize_t n = ::copy_file_range(source.Descriptor(), &in, fd, &out, KernelChunk, 0);
        if (n > 0) {
            copied += static_cast<std::uint64_t>(n);
            startWriteback(false);
            continue;
        }
        if (n == 0 && static_cast<std::uint64_t>(in) >= source.Size()) {
            startWriteback(true);
            return true;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        // A copy that stops short of the end is finished through the buffer.
        if (n < 0 && errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP &&
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
        if (!WriteAllAt(fd, block.data(), n, static_cast<off_t>(to + copied))) {
            error = errno;
            return false;
        }
        copied += n;
        startWriteback(false);
    }
}

// The block size that the new file's layout follows: the file system's preferred one when it
// is a plausible power of two, else the usual 4 KiB.
std::uint64_t LayoutBlock(int fd) {
    constexpr std::uint64_t Usual = 4096;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_blksize < 512 || st.st_blksize > (1 << 20)) {
        return Usual;
    }
    const auto block = static_cast<std::uint64_t>(st.st_blksize);
    return (block & (block - 1)) == 0 ? block : Usual;
}

// The new file is the old one whole, placed at a block boundary D, with the new tag in front
// of it. The tag reaches over the old tag's bytes up to the audio (it is D + L bytes long for
// an old tag of L bytes): its frames come first, and its padding, at least CueTagPadding
// bytes, covers the rest of the first D bytes and the old tag, which is overwritten with
// zeros. Since both files then hold the audio at the same place within a block, a file system
// that shares blocks between files copies the audio without moving it. D is the smallest
// block multiple that leaves room for the padding. Returns false (the tag kept as planned and
// the audio copied right behind it) when the longer tag could not be stated in its header.
bool PlaceBehindBlockAlignedTag(std::string& tag, std::uint64_t oldTagLength, std::uint64_t block,
                                std::uint64_t& offset) {
    const std::uint64_t planned = tag.size();
    const std::uint64_t needed = planned > oldTagLength ? planned - oldTagLength : 1;
    offset = (needed + block - 1) / block * block;
    const std::uint64_t length = offset + oldTagLength;
    if (length - TagHeaderSize > MaxSyncsafeValue) {
        return false;
    }
    tag.resize(static_cast<std::size_t>(length), '\0');
    SyncsafeEncode(reinterpret_cast<unsigned char*>(tag.data()) + 6,
                   static_cast<std::uint32_t>(length - TagHeaderSize));
    return true;
}

TagWriteOutcome Rewrite(const std::string& path, FileSource& source, std::uint64_t audioStart,
                        std::string tag) {
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

    const int fd = out.Descriptor();
    std::uint64_t copyFrom = audioStart;
    std::uint64_t copyTo = tag.size();
    std::uint64_t offset = 0;
    if (PlaceBehindBlockAlignedTag(tag, audioStart, LayoutBlock(fd), offset)) {
        copyFrom = 0;
        copyTo = offset;
    }
    int error = 0;
    if (!CopyFrom(source, copyFrom, fd, copyTo, error)) {
        return {TagWriteStatus::SystemError, error};
    }
    // The tag goes in after the copy: over the old tag's bytes when the old file was copied
    // whole.
    if (!WriteAllAt(fd, tag.data(), tag.size(), 0)) {
        return {TagWriteStatus::SystemError, errno};
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
