#pragma once

#include <optional>
#include <string>

#include "flows/Session.h"
#include "formats/ReadError.h"
#include "freedb/Database.h"
#include "model/Job.h"
#include "model/TrackList.h"

namespace tracklore {

// What reading a hit of a search by protocol gave: gnudb's whole record (it holds the disc
// positions of its tracks) or MusicBrainz's release as a candidate (it holds texts only).
struct DatabaseHitRead {
    bool cancelled = false;
    DatabaseProblem problem;  // status Done when the database answered
    std::optional<TrackList> record;
    std::optional<ReadError> recordError;  // the reader refused a line of the record
    std::optional<Candidate> release;
};

// The read of one hit, a job: "cddb read CATEGORY DISCID" for gnudb, the release by its ID for
// MusicBrainz. It does not touch the document.
// `trackCount`: the open list's, whose nearest medium a release gives its tracks from.
DatabaseHitRead ReadDatabaseHit(const DatabaseHit& hit, int trackCount,
                                const DatabaseClient& client, const JobContext& job);

// The flow's end of a hit read: gnudb's record replaces the document as a fetched record does;
// MusicBrainz's release fills the texts of the open track list (ApplyCandidateToDocument).
// A problem is shown as the look-up shows it; a cancelled read changes nothing. True when the
// document took the hit.
bool ApplyDatabaseHitRead(Session& session, const DatabaseHitRead& read);

}  // namespace tracklore
