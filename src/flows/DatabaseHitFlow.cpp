#include "flows/DatabaseHitFlow.h"

#include "flows/FreeDbFlow.h"
#include "flows/LookupFlow.h"
#include "freedb/Cddb.h"
#include "freedb/MusicBrainz.h"

namespace tracklore {

DatabaseHitRead ReadDatabaseHit(const DatabaseHit& hit, int trackCount,
                                const DatabaseClient& client, const JobContext& job) {
    DatabaseHitRead read;
    if (hit.source == DatabaseSource::Gnudb) {
        CddbRecord record = CddbReadRecord(hit.id, hit.discId, client, &job.CancelFlag());
        read.problem = std::move(record.problem);
        read.record = std::move(record.list);
        read.recordError = std::move(record.error);
    } else {
        LookupResult release = MusicBrainzRelease(hit.id, trackCount, client, &job.CancelFlag());
        read.problem = std::move(release.problem);
        if (!release.candidates.empty()) {
            read.release = std::move(release.candidates.front());
        }
    }
    read.cancelled = job.Cancelled() || read.problem.status == DatabaseStatus::Cancelled;
    return read;
}

bool ApplyDatabaseHitRead(Session& session, const DatabaseHitRead& read) {
    if (read.cancelled) {
        return false;
    }
    if (read.problem.status != DatabaseStatus::Done || (!read.record && !read.release)) {
        LookupOutcome failed;
        if (read.problem.status != DatabaseStatus::Done) {
            failed.problems.push_back(read.problem);
        }
        ReportLookupOutcome(session, failed);
        return false;
    }
    if (read.release) {
        ApplyCandidateToDocument(session, *read.release);
        return true;
    }
    FetchOutcome loaded;
    loaded.status = FetchStatus::Loaded;
    loaded.list = *read.record;
    loaded.error = read.recordError;
    TransferFlags flags;
    ApplyFetchOutcome(session, loaded, flags);
    return flags.loaded;
}

}  // namespace tracklore
