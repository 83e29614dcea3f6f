#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "flows/Session.h"
#include "freedb/Download.h"

namespace tracklore {

namespace str {}  // namespace str

// The categories the fetch dialog offers, in the order of the list (empty pieces skipped).
std::vector<std::string> FetchCategories(const StringTable& strings);

// A record named by its category and disc ID, both in lower case.
struct FetchRequest {
    std::string category;
    std::string discId;
};

// Accepts a category of at least one ASCII letter or digit and nothing else, and a disc ID
// of exactly eight hexadecimal digits; answers both in lower case, or nothing.
std::optional<FetchRequest> ValidateFetchRequest(std::string_view category,
                                                 std::string_view discId);

// The download address: the URL template with every "%x" replaced by the category, then
// every "%y" by the disc ID (exact case). A template without the markers stays as it is.
std::string FetchAddress(std::string_view urlTemplate, const FetchRequest& request);

// The record text of a downloaded answer, with LF line ends only (CR LF becomes LF) and a
// final LF. An answer in the CDDB protocol's reply form gives its body when the status is
// 210 and the closing "." line is there; any other CDDB reply gives nothing. Every other
// answer is handed on as it stands: whether it is XMCD is for the reader to say.
std::optional<std::string> RecordText(std::string_view answer);

// True when the text is an XMCD record as the reader recognises it (it begins with
// "# xmcd", after an optional UTF-8 byte-order mark).
bool IsXmcdText(std::string_view text);

// The two flags that a transfer shares with whoever shows it. Each has one writer: the
// cancelled flag is set by the person waiting, the loaded flag by the transfer.
struct TransferFlags {
    std::atomic<bool> cancelled{false};
    std::atomic<bool> loaded{false};

    // Both flags are cleared before every transfer.
    void Clear() {
        cancelled = false;
        loaded = false;
    }
};

// Receives the string number of the transfer's status text (FetchLoading, FetchParsing).
using TransferStatus = std::function<void(StringId text)>;

struct TransferOptions {
    DownloadLimits limits;
    std::string tempFolder;  // empty: the system's temporary folder
};

// The transfer of one record, synchronous (the editor runs it on a worker thread while its
// transfer dialog is up): downloads the record at the address made from the URL setting
// into a temporary file, reads it and hands it to the XMCD reader, which replaces the
// document; then marks the document modified, refreshes the main window and sets the
// loaded flag. A failed download shows message 1081 unless the transfer was cancelled; a
// cancelled transfer reads nothing; an answer that is not an XMCD record leaves the
// document as it was, without a message. A record in which the reader finds an error counts
// as loaded (the reader has shown its message and the document is empty). The temporary
// file is gone when the function returns. Returns the loaded flag.
bool RunTransferWorker(Session& session, const FetchRequest& request, TransferFlags& flags,
                       const TransferStatus& status = {}, const TransferOptions& options = {});

}  // namespace tracklore
