#include "freedb/Download.h"

#include <curl/curl.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

namespace tracklore {

namespace {

constexpr const char* UserAgent = "Tracklore/1.6";
// How long the transfer loop waits for network activity before it looks at the cancel flag.
constexpr int CancelPollMs = 50;

// libcurl and its TLS stack take a good part of a program start to load, and most commands
// never download anything: the library is opened on the first download instead of at start.
// The headers still supply the types and constants; the functions come from this table.
// Calls through it miss the argument checks that curl.h's macros give direct calls of
// curl_easy_setopt: each value must have the type libcurl reads for its option (long,
// curl_off_t, a pointer or a callback of the documented signature).
struct CurlApi {
    decltype(&::curl_global_init) global_init = nullptr;
    decltype(&::curl_easy_init) easy_init = nullptr;
    decltype(&::curl_easy_setopt) easy_setopt = nullptr;
    decltype(&::curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&::curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&::curl_multi_init) multi_init = nullptr;
    decltype(&::curl_multi_add_handle) multi_add_handle = nullptr;
    decltype(&::curl_multi_perform) multi_perform = nullptr;
    decltype(&::curl_multi_info_read) multi_info_read = nullptr;
    decltype(&::curl_multi_poll) multi_poll = nullptr;
    decltype(&::curl_multi_remove_handle) multi_remove_handle = nullptr;
    decltype(&::curl_multi_cleanup) multi_cleanup = nullptr;
    decltype(&::curl_slist_append) slist_append = nullptr;
    decltype(&::curl_slist_free_all) slist_free_all = nullptr;
};

template <typename Function>
bool Resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
}

// Opens libcurl, resolves the functions and does libcurl's global set-up. The library stays
// loaded for the life of the process: libcurl and its TLS library do not support unloading.
std::optional<CurlApi> LoadCurl() {
    void* library = ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return std::nullopt;
    }
    CurlApi api;
    const bool resolved = Resolve(library, "curl_global_init", api.global_init) &&
                          Resolve(library, "curl_easy_init", api.easy_init) &&
                          Resolve(library, "curl_easy_setopt", api.easy_setopt) &&
                          Resolve(library, "curl_easy_getinfo", api.easy_getinfo) &&
                          Resolve(library, "curl_easy_cleanup", api.easy_cleanup) &&
                          Resolve(library, "curl_multi_init", api.multi_init) &&
                          Resolve(library, "curl_multi_add_handle", api.multi_add_handle) &&
                          Resolve(library, "curl_multi_perform", api.multi_perform) &&
                          Resolve(library, "curl_multi_info_read", api.multi_info_read) &&
                          Resolve(library, "curl_multi_poll", api.multi_poll) &&
                          Resolve(library, "curl_multi_remove_handle", api.multi_remove_handle) &&
                          Resolve(library, "curl_multi_cleanup", api.multi_cleanup) &&
                          Resolve(library, "curl_slist_append", api.slist_append) &&
                          Resolve(library, "curl_slist_free_all", api.slist_free_all);
    // libcurl wants its global set-up done once, before any handle exists.
    if (!resolved || api.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        return std::nullopt;
    }
    return api;
}

// The loaded library, or nullptr when it cannot be loaded or set up; then every download
// fails like one that found no server. The first call loads it, once for all threads.
const CurlApi* Curl() {
    static const std::optional<CurlApi> api = LoadCurl();
    return api ? &*api : nullptr;
}

// The state of one transfer, shared with libcurl's callbacks.
struct Transfer {
    int fd = -1;
    std::string* memory = nullptr;  // the body is kept here instead of in `fd`
    std::size_t written = 0;
    std::size_t maxBytes = 0;
    bool writeFailed = false;
    bool tooLarge = false;
    std::optional<long> retryAfter;
    const std::atomic<bool>* cancel = nullptr;

    bool Cancelled() const { return cancel != nullptr && cancel->load(); }
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    if (length > transfer.maxBytes - transfer.written) {
        transfer.tooLarge = true;
        return 0;  // longer than allowed: libcurl ends the transfer with a write error
    }
    if (transfer.memory != nullptr) {
        transfer.memory->append(data, length);
        transfer.written += length;
        return length;
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

// Keeps the Retry-After header of the last answer (after a redirect, of the final one), in
// its number form; the date form is not used by the servers asked.
std::size_t ReadHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    std::string_view line(data, length);
    if (line.substr(0, 5) == "HTTP/") {
        transfer.retryAfter.reset();
        return length;
    }
    constexpr std::string_view name = "retry-after:";
    if (line.size() > name.size()) {
        std::string lower(line.substr(0, name.size()));
        for (char& c : lower) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c - 'A' + 'a');
            }
        }
        if (lower == name) {
            std::size_t i = name.size();
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
                ++i;
            }
            long seconds = 0;
            bool digits = false;
            while (i < line.size() && line[i] >= '0' && line[i] <= '9' && seconds < 1000000) {
                seconds = seconds * 10 + (line[i] - '0');
                digits = true;
                ++i;
            }
            if (digits) {
                transfer.retryAfter = seconds;
            }
        }
    }
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
CURLcode Perform(const CurlApi& curl, CURL* easy, const Transfer& transfer) {
    CURLM* multi = curl.multi_init();
    if (multi == nullptr) {
        return CURLE_OUT_OF_MEMORY;
    }
    CURLcode result = CURLE_ABORTED_BY_CALLBACK;
    if (curl.multi_add_handle(multi, easy) != CURLM_OK) {
        curl.multi_cleanup(multi);
        return CURLE_FAILED_INIT;
    }
    int running = 1;
    while (!transfer.Cancelled()) {
        if (curl.multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        if (running == 0) {
            int queued = 0;
            result = CURLE_RECV_ERROR;
            while (CURLMsg* message = curl.multi_info_read(multi, &queued)) {
                if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                    result = message->data.result;
                }
            }
            break;
        }
        if (curl.multi_poll(multi, nullptr, 0, CancelPollMs, nullptr) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
    }
    curl.multi_remove_handle(multi, easy);
    curl.multi_cleanup(multi);
    return result;
}

// The options every transfer shares.
void SetCommonOptions(const CurlApi& curl, CURL* easy, const std::string& address,
                      const DownloadLimits& limits, const std::string& noProxy,
                      Transfer& transfer) {
    curl.easy_setopt(easy, CURLOPT_URL, address.c_str());
    curl.easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl.easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl.easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl.easy_setopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(limits.maxRedirects));
    curl.easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
    curl.easy_setopt(easy, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs);
    curl.easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    curl.easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl.easy_setopt(easy, CURLOPT_ACCEPT_ENCODING, "");
    curl.easy_setopt(easy, CURLOPT_NOPROXY, noProxy.c_str());
    curl.easy_setopt(easy, CURLOPT_WRITEFUNCTION, WriteBody);
    curl.easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    curl.easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl.easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, WatchCancel);
    curl.easy_setopt(easy, CURLOPT_XFERINFODATA, &transfer);
}

}  // namespace

HttpAnswer HttpGet(const HttpRequest& request, const std::atomic<bool>* cancel) {
    HttpAnswer answer;
    const CurlApi* api = Curl();
    if (api == nullptr || request.address.empty()) {
        return answer;
    }
    const CurlApi& curl = *api;
    Transfer transfer;
    transfer.memory = &answer.body;
    transfer.maxBytes = request.limits.maxBytes;
    transfer.cancel = cancel;
    CURL* easy = curl.easy_init();
    if (easy == nullptr) {
        return answer;
    }
    curl_slist* headers = nullptr;
    bool headersOk = true;
    for (const auto& [name, value] : request.headers) {
        // A line break in a value would smuggle in a header line of its own.
        if (name.find_first_of("\r\n:") != std::string::npos ||
            value.find_first_of("\r\n") != std::string::npos) {
            headersOk = false;
            break;
        }
        curl_slist* more = curl.slist_append(headers, (name + ": " + value).c_str());
        if (more == nullptr) {
            headersOk = false;
            break;
        }
        headers = more;
    }
    if (headersOk && request.userAgent.find_first_of("\r\n") == std::string::npos) {
        const std::string noProxy = NoProxyHosts();
        SetCommonOptions(curl, easy, request.address, request.limits, noProxy, transfer);
        curl.easy_setopt(easy, CURLOPT_USERAGENT,
                         request.userAgent.empty() ? UserAgent : request.userAgent.c_str());
        curl.easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
        curl.easy_setopt(easy, CURLOPT_HEADERFUNCTION, ReadHeader);
        curl.easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
        const CURLcode result = Perform(curl, easy, transfer);
        curl.easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &answer.status);
        if (transfer.Cancelled()) {
            answer.outcome = HttpOutcome::Cancelled;
        } else if (transfer.tooLarge || result == CURLE_FILESIZE_EXCEEDED) {
            answer.outcome = HttpOutcome::TooLarge;
        } else if (result == CURLE_OK && answer.status > 0) {
            answer.outcome = HttpOutcome::Answered;
            answer.retryAfterSeconds = transfer.retryAfter;
        }
    }
    curl.easy_cleanup(easy);
    if (headers != nullptr) {
        curl.slist_free_all(headers);
    }
    if (answer.outcome != HttpOutcome::Answered) {
        answer.body.clear();
        answer.status = 0;
    }
    return answer;
}

bool DownloadToFile(const std::string& address, const std::string& path,
                    const std::atomic<bool>* cancel, const DownloadLimits& limits) {
    const CurlApi* api = Curl();
    if (api == nullptr || address.empty()) {
        return false;
    }
    const CurlApi& curl = *api;
    Transfer transfer;
    transfer.maxBytes = limits.maxBytes;
    transfer.cancel = cancel;
    transfer.fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (transfer.fd < 0) {
        return false;
    }
    CURL* easy = curl.easy_init();
    bool ok = false;
    if (easy != nullptr) {
        const std::string noProxy = NoProxyHosts();
        SetCommonOptions(curl, easy, address, limits, noProxy, transfer);
        curl.easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
        curl.easy_setopt(easy, CURLOPT_USERAGENT, UserAgent);

        CURLcode result = Perform(curl, easy, transfer);
        long status = 0;
        curl.easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        ok = result == CURLE_OK && !transfer.writeFailed && !transfer.Cancelled() &&
             status >= 200 && status <= 299;
        curl.easy_cleanup(easy);
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
