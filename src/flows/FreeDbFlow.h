#pragma once

#include <string_view>

#include "flows/Session.h"
#include "freedb/Fetch.h"
#include "freedb/Search.h"

namespace tracklore {

// Applies the end of a record transfer: a record read replaces the document (marked modified,
// the window refreshed) and sets the loaded flag; a record in which the reader refused a line
// counts as loaded too (its message is shown and the document is empty). A failed download
// shows FetchFailed, a temporary file that cannot be used CannotOpenFile; a cancelled transfer
// and an answer that is no record leave the document as it was, without a message.
bool ApplyFetchOutcome(Session& session, const FetchOutcome& outcome, TransferFlags& flags);

// The transfer run to its end on the calling thread (the console, the tests): FetchRecord
// with the URL setting, then ApplyFetchOutcome. Returns the loaded flag.
bool RunTransferWorker(Session& session, const FetchRequest& request, TransferFlags& flags,
                       const TransferStatus& status = {}, const TransferOptions& options = {});

// The messages at the end of a search: SearchFailed for a failed download, CannotOpenFile
// for a temporary file that cannot be used. Returns the results the list shows.
SearchResults ReportSearchOutcome(Session& session, const SearchOutcome& outcome);

// The search run to its end on the calling thread: SearchDatabase, then ReportSearchOutcome.
SearchResults RunSearch(Session& session, std::string_view words,
                        const SearchOptions& options = {});

}  // namespace tracklore
