#include "freedb/Download.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace tracklore {

namespace {

constexpr const char* UserAgent = "Tracklore/1.6";
// How long the transfer loop waits for network activity before it looks at the cancel flag.
constexpr int CancelPollMs = 50;

bool CurlReady() {
    // libcurl wants its global set-up done once, before any handle exists.
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

// The state of one transfer, shared with libcurl's callbacks.
struct Transfer {
    int fd = -1;
    std::size_t written = 0;
    std::size_t maxBytes = 0;
    bool writeFailed = false;
    const std::atomic<bool>* cancel = nullptr;

    bool Cancelled() const { return cancel != nullptr && cancel->load(); }
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    if (length > transfer.maxBytes - transfer.written) {
        return 0;  // longer than allowed: libcurl ends the transfer with a write error
    }
    std::size_t done = 0;
    while (done < length) {
        ssize_t n = ::write(transfer.fd, data + done, length - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            transfer.writeFailed = true;
            return 0;
        }
        done += static_cast<std::size_t>(n);
    }
    transfer.written += length;
    return length;
}

int WatchCancel(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Transfer*>(user)->Cancelled() ? 1 : 0;
}

// The hosts reached without a proxy: those of the environment plus the loopback addresses,
// which a proxy could never reach on the user's behalf.
std::string NoProxyHosts() {
    const char* fromEnvironment = std::getenv("no_proxy");
    if (fromEnvironment == nullptr) {
        fromEnvironment = std::getenv("NO_PROXY");
    }
    std::string hosts = fromEnvironment != nullptr ? fromEnvironment : "";
    if (hosts == "*") {
        return hosts;
    }
    if (!hosts.empty()) {
        hosts += ",";
    }
    return hosts + "localhost,127.0.0.1,::1";
}

// Runs the transfer on a multi handle, so that a cancel is seen within CancelPollMs even
// while the server sends nothing. The result of the transfer, or an error of its own.
CURLcode Perform(CURL* easy, const Transfer& transfer) {
    CURLM* multi = curl_multi_init();
    if (multi == nullptr) {
        return CURLE_OUT_OF_MEMORY;
    }
    CURLcode result = CURLE_ABORTED_BY_CALLBACK;
    if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
        curl_multi_cleanup(multi);
        return CURLE_FAILED_INIT;
    }
    int running = 1;
    while (!transfer.Cancelled()) {
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        if (running == 0) {
            int queued = 0;
            result = CURLE_RECV_ERROR;
            while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                    result = message->data.result;
                }
            }
            break;
        }
        if (curl_multi_poll(multi, nullptr, 0, CancelPollMs, nullptr) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
    }
    curl_multi_remove_handle(multi, easy);
    curl_multi_cleanup(multi);
    return result;
}

}  // namespace

bool DownloadToFile(const std::string& address, const std::string& path,
                    const std::atomic<bool>* cancel, const DownloadLimits& limits) {
    if (!CurlReady() || address.empty()) {
        return false;
    }
    Transfer transfer;
    transfer.maxBytes = limits.maxBytes;
    transfer.cancel = cancel;
    transfer.fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (transfer.fd < 0) {
        return false;
    }
    CURL* easy = curl_easy_init();
    bool ok = false;
    if (easy != nullptr) {
        const std::string noProxy = NoProxyHosts();
        curl_easy_setopt(easy, CURLOPT_URL, address.c_str());
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(limits.maxRedirects));
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs);
        curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
        curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_USERAGENT, UserAgent);
        curl_easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(easy, CURLOPT_NOPROXY, noProxy.c_str());
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, WriteBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
        curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, WatchCancel);
        curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &transfer);

        CURLcode result = Perform(easy, transfer);
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        ok = result == CURLE_OK && !transfer.writeFailed && !transfer.Cancelled() &&
             status >= 200 && status <= 299;
        curl_easy_cleanup(easy);
    }
    if (!ok) {
        // Leave nothing behind that could pass for an answer.
        int truncated = ::ftruncate(transfer.fd, 0);
        (void)truncated;
    }
    if (::close(transfer.fd) != 0) {
        ok = false;
    }
    return ok;
}

TemporaryFile::TemporaryFile(const std::string& prefix, const std::string& folder) {
    std::filesystem::path dir = folder;
    if (dir.empty()) {
        std::error_code ec;
        dir = std::filesystem::temp_directory_path(ec);
        if (ec) {
            dir = "/tmp";
        }
    }
    path_ = (dir / (prefix + "XXXXXX")).string();
    std::vector<char> name(path_.begin(), path_.end());
    name.push_back('\0');
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        return;
    }
    ::close(fd);
    path_ = name.data();
    ok_ = true;
}

TemporaryFile::~TemporaryFile() {
    if (ok_) {
        ::unlink(path_.c_str());
    }
}

}  // namespace tracklore
