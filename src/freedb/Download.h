#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tracklore {

// Bounds of one download. The defaults are those of the program; tests use shorter ones.
struct DownloadLimits {
    long connectTimeoutMs = 15000;
    long totalTimeoutMs = 60000;
    std::size_t maxBytes = 8 * 1024 * 1024;
    int maxRedirects = 5;
};

// Downloads `address` (http or https; redirects are followed only to http or https) into
// the file at `path`, which is created or truncated. Synchronous. True exactly when the
// server answered with a 2xx status and the whole body, at most limits.maxBytes bytes, now
// stands in the file. Any other outcome (no connection, a timeout, an error status, too
// many redirects, a body that is too long, a failed write, a cancel) is false and leaves
// the file empty. A set `cancel` flag ends the transfer within a fraction of a second.
bool DownloadToFile(const std::string& address, const std::string& path,
                    const std::atomic<bool>* cancel = nullptr, const DownloadLimits& limits = {});

// The answer of an HTTP GET held in memory.
enum class HttpOutcome {
    Answered,   // the server answered: `status` and `body` hold its answer, whatever the status
    Failed,     // no answer: no connection, a timeout, a broken transfer, too many redirects
    TooLarge,   // the body was longer than the limit
    Cancelled,  // the cancel flag was set
};
struct HttpAnswer {
    HttpOutcome outcome = HttpOutcome::Failed;
    long status = 0;
    std::string body;  // at most limits.maxBytes bytes
    // The Retry-After header in seconds (its number form), when the answer had one.
    std::optional<long> retryAfterSeconds;
};

struct HttpRequest {
    std::string address;
    // Extra header lines, name and value ("User-Email", "a@b.org").
    std::vector<std::pair<std::string, std::string>> headers;
    std::string userAgent;  // empty: the program's own
    DownloadLimits limits;
};

// Sends a GET request and keeps the answer in memory (no file is written). Redirects are
// followed as by DownloadToFile. An error status is an answer too: the caller reads the
// server's own text from the body. A set `cancel` flag ends the transfer within a fraction of
// a second.
HttpAnswer HttpGet(const HttpRequest& request, const std::atomic<bool>* cancel = nullptr);

// A file created exclusively (mode 0600, unpredictable name) in a folder, by default the
// system's temporary folder ($TMPDIR, else /tmp), with a name that starts with `prefix`.
// The file is removed when the object goes, on every path.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::string& prefix, const std::string& folder = "");
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // False when the file could not be created; path() then names the pattern that failed.
    bool ok() const { return ok_; }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
    bool ok_ = false;
};

}  // namespace tracklore
