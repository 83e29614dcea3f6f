#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/ReadError.h"
#include "freedb/Database.h"

namespace tracklore {

// A reply of the CDDB protocol: the three-digit code, the whole status line as the server sent
// it, and for the codes that announce one (2x0, 2x1 with a list) the lines up to the closing
// "." (without it). Nothing when the first line is no status line, or a list is not closed.
struct CddbReply {
    int code = 0;
    std::string statusLine;
    std::vector<std::string> lines;
};
std::optional<CddbReply> ParseCddbReply(std::string_view answer);

// The command "cddb query DISCID N OFFSET… SECONDS" for a track list: its disc ID as
// ComputeDiscId gives it, the starts in frames and the total length in seconds. Nothing when
// the list has no table of contents (see TocOfTrackList).
std::optional<std::string> CddbQueryCommand(const TrackList& list);

// The request address: the CDDB address with cmd=COMMAND&hello=USER+HOST+CLIENT+VERSION&proto=6
// (USER and HOST are the parts of the e-mail address around its "@").
std::string CddbRequestAddress(const DatabaseClient& client, std::string_view command);
// The search request: cmd=search&artist=…&album=… with the same hello and proto.
std::string CddbSearchAddress(const DatabaseClient& client, const SearchWords& words);

// One line of a query list or search result: "CATEGORY DISCID ARTIST / TITLE".
struct CddbMatch {
    std::string category;
    std::string discId;
    std::string artistTitle;
};
std::optional<CddbMatch> ParseCddbMatchLine(std::string_view line);

// The whole gnudb look-up of a track list: the query, then a read of every match (inexact
// matches marked Fuzzy). Each record goes through the XMCD reader. Candidates in the order of
// the server's list.
LookupResult CddbLookup(const TrackList& list, const DatabaseClient& client,
                        const std::atomic<bool>* cancel = nullptr);

// The read of one record ("cddb read CATEGORY DISCID") as a track list: the record as the XMCD
// reader read it (`error` when it refused a line; the list then holds what came before), or the
// problem that kept it away (a reply that is no record is BadReply).
struct CddbRecord {
    DatabaseProblem problem;
    std::optional<TrackList> list;
    std::optional<ReadError> error;
    std::string statusLine;  // the reply's status line
};
CddbRecord CddbReadRecord(std::string_view category, std::string_view discId,
                          const DatabaseClient& client, const std::atomic<bool>* cancel = nullptr);

// The read of one record ("cddb read CATEGORY DISCID") as a candidate.
LookupResult CddbRead(std::string_view category, std::string_view discId,
                      const DatabaseClient& client, const std::atomic<bool>* cancel = nullptr);

// The search by artist and album words.
SearchResult CddbSearch(const SearchWords& words, const DatabaseClient& client,
                        const std::atomic<bool>* cancel = nullptr);

}  // namespace tracklore
