#pragma once

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/ReadError.h"
#include "freedb/Download.h"
#include "model/Encoding.h"
#include "model/Job.h"
#include "model/TrackList.h"
#include "resources/Strings.h"

namespace tracklore {

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
    // The code page of a record that has no byte-order mark and is not UTF-8.
    std::string legacyCodePage = DefaultLegacyCodePage;
};

// How the transfer of a record ended.
enum class FetchStatus {
    Loaded,          // a record was read (or the reader refused a line of it: `error`)
    NotRecord,       // the answer is no XMCD record
    DownloadFailed,  // no answer, or a CDDB reply that is not a record
    Cancelled,
    TempFailed,  // the temporary file could not be made or read (`tempPath`)
};
struct FetchOutcome {
    FetchStatus status = FetchStatus::Cancelled;
    TrackList list;
    std::optional<ReadError> error;
    std::string tempPath;
};

// The transfer of one record, a job: downloads the record at the address made from the URL
// template into a temporary file, reads it and hands it to the XMCD reader. The status texts
// of its steps (FetchLoading, FetchParsing) are reported as progress. The temporary file is
// gone when the function returns.
FetchOutcome FetchRecord(std::string_view urlTemplate, const FetchRequest& request,
                         const JobContext& job, const TransferOptions& options = {});

}  // namespace tracklore
