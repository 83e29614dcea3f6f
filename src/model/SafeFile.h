#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tracklore {

// Temporary files are named this prefix and six random letters or digits.
constexpr const char* TemporaryNamePrefix = ".tracklore-";

// The file a write to `path` replaces: a symbolic link (also a chain of them, also one whose
// target does not exist yet) is followed to its target; any other path is itself.
std::string ResolveLinks(const std::string& path);

// Writes a file so that a crash, a full disk or a failing write never leaves a half-written
// file in place of a good one: the bytes go to a new temporary file in the target's folder
// (created exclusively, unpredictable name), are flushed to disk, and the temporary file is
// renamed over the target in one step. Until Commit() the target is untouched; a file that
// is destroyed without a successful Commit() removes its temporary file.
class SafeFile {
  public:
    SafeFile() = default;
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    // Creates the temporary file beside `target` (beside the file a symbolic link names). False
    // (errno set) when that fails, and EACCES when the target exists but may not be written.
    bool Create(const std::string& target);
    bool Write(const void* data, std::size_t size);
    bool Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }
    // Flushes, keeps the permissions of an existing target (else the usual 0666 & ~umask),
    // and renames over the target. False (errno set) on any failure; the temporary file is
    // then removed and the target stays as it was.
    bool Commit();
    // Removes the temporary file; the target stays as it was.
    void Discard();

    const std::string& TemporaryPath() const { return tempPath_; }
    // The file that Commit() replaces: the target with its symbolic links followed.
    const std::string& Target() const { return target_; }
    // The open temporary file (-1 when none), for callers that fill it by other means than
    // Write(), e.g. an in-kernel copy; they write at the file position.
    int Descriptor() const { return fd_; }
    // errno of the first failure, 0 when none happened.
    int Error() const { return error_; }
    // Whether the last Commit() failed at the rename itself (the target could not be
    // replaced), rather than while writing or flushing.
    bool RenameFailed() const { return renameFailed_; }

  private:
    int fd_ = -1;
    std::string target_;
    std::string tempPath_;
    int error_ = 0;
    bool renameFailed_ = false;
};

// The whole job in one call: true when `bytes` now stand in `path`.
bool WriteFileSafely(const std::string& path, std::string_view bytes, int* error = nullptr);

// Reads a whole regular file; false when it cannot be opened or read (errno set).
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Size of the file at path; 0 when it does not exist or is not a regular file.
std::uint64_t FileSizeOf(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace tracklore
