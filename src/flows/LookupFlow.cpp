#include "flows/LookupFlow.h"

#include <algorithm>

#include "freedb/Cddb.h"
#include "freedb/MusicBrainz.h"
#include "model/Text.h"

namespace tracklore {

namespace {

std::string_view SourceTitle(DatabaseSource source) {
    return source == DatabaseSource::Gnudb ? "gnudb" : "MusicBrainz";
}

bool Asks(LookupSources sources, DatabaseSource source) {
    return sources == LookupSources::Both ||
           (sources == LookupSources::Gnudb) == (source == DatabaseSource::Gnudb);
}

// Shows the problem of one database; true when it was one to show.
bool ShowProblem(Session& session, const DatabaseProblem& problem) {
    const std::string_view name = SourceTitle(problem.source);
    switch (problem.status) {
        case DatabaseStatus::Done:
        case DatabaseStatus::Cancelled:
            return false;
        case DatabaseStatus::Refused:
            ShowError(session, str::LookupRefused, {name, problem.serverText});
            return true;
        case DatabaseStatus::Unreachable:
            ShowError(session, str::LookupUnreachable, {name});
            return true;
        case DatabaseStatus::BadReply:
            ShowError(session, str::LookupBadReply, {name, problem.serverText});
            return true;
    }
    return false;
}

}  // namespace

DatabaseClient DatabaseClientFromSettings(const Settings& settings) {
    DatabaseClient client;
    client.cddbAddress = Trim(settings.CddbAddress);
    client.musicBrainzAddress = Trim(settings.MusicBrainzAddress);
    client.email = Trim(settings.Email);
    client.clientName = Trim(settings.ClientName);
    if (client.clientName.empty()) {
        client.clientName = DefaultClientName;
    }
    return client;
}

bool DatabaseEmailMissing(const Settings& settings) {
    return Trim(settings.Email).empty();
}

bool LooksLikeEmail(std::string_view text) {
    const std::size_t at = text.find('@');
    return at != std::string_view::npos && at > 0 && at + 1 < text.size() &&
           text.find('@', at + 1) == std::string_view::npos &&
           text.find_first_of(" \t\r\n") == std::string_view::npos;
}

LookupOutcome LookUpTrackList(const TrackList& list, LookupSources sources,
                              const DatabaseClient& client, const JobContext& job) {
    LookupOutcome outcome;
    const std::optional<DiscToc> toc = TocOfTrackList(list);
    if (!toc) {
        outcome.noToc = true;
        return outcome;
    }
    const int steps = sources == LookupSources::Both ? 2 : 1;
    int done = 0;
    for (DatabaseSource source : {DatabaseSource::Gnudb, DatabaseSource::MusicBrainz}) {
        if (!Asks(sources, source)) {
            continue;
        }
        if (job.Cancelled()) {
            break;
        }
        job.Report({100 * done / steps, str::LookupRunning});
        LookupResult result = source == DatabaseSource::Gnudb
                                  ? CddbLookup(list, client, &job.CancelFlag())
                                  : MusicBrainzLookup(*toc, client, &job.CancelFlag());
        ++done;
        for (Candidate& candidate : result.candidates) {
            outcome.candidates.push_back(std::move(candidate));
        }
        if (result.problem.status != DatabaseStatus::Done) {
            outcome.problems.push_back(result.problem);
        }
    }
    outcome.cancelled = job.Cancelled();
    job.Report({100, str::LookupRunning});
    return outcome;
}

CandidateApplied ApplyCandidate(TrackList& list, const Candidate& candidate) {
    CandidateApplied applied;
    list.cd.title = candidate.title;
    list.cd.artist = candidate.artist;
    list.cd.artistByDefault = false;
    // A database that names no year or genre leaves the list's own.
    if (!candidate.year.empty()) {
        list.cd.year = candidate.year;
    }
    if (!candidate.genre.empty()) {
        list.cd.genre = candidate.genre;
    }
    const int count = std::max(0, std::min({list.trackCount, candidate.TrackCount(), MaxTracks}));
    for (int k = 0; k < count; ++k) {
        const CandidateTrack& from = candidate.tracks[static_cast<std::size_t>(k)];
        list.tracks[k].title = from.title;
        // A track by the album artist names the album artist, as the readers fill it.
        list.tracks[k].performer = from.performer.empty() ? candidate.artist : from.performer;
    }
    applied.tracksFilled = count;
    applied.trackCountDiffers = candidate.TrackCount() != list.trackCount;
    return applied;
}

CandidateApplied ApplyCandidateToDocument(Session& session, const Candidate& candidate) {
    const CandidateApplied applied = ApplyCandidate(session.doc, candidate);
    SetModified(session, true);
    session.view.RefreshMainWindow();
    if (applied.trackCountDiffers) {
        ShowInfo(session, str::LookupTrackCountDiffers,
                 {candidate.TrackCount(), session.doc.trackCount, applied.tracksFilled});
    }
    return applied;
}

namespace {
// One error box per database that failed; LookupNothingFound when none failed and nothing
// was found. True when an error was shown.
bool ReportProblems(Session& session, const std::vector<DatabaseProblem>& problems,
                    bool foundNothing) {
    bool shown = false;
    for (const DatabaseProblem& problem : problems) {
        shown = ShowProblem(session, problem) || shown;
    }
    if (!shown && foundNothing) {
        ShowInfo(session, str::LookupNothingFound);
    }
    return shown;
}
}  // namespace

bool ReportLookupOutcome(Session& session, const LookupOutcome& outcome) {
    if (outcome.cancelled) {
        return false;
    }
    if (outcome.noToc) {
        ShowError(session, str::LookupNoToc);
        return true;
    }
    return ReportProblems(session, outcome.problems, outcome.candidates.empty());
}

std::string CandidateLine(const Candidate& candidate, const StringTable& strings) {
    std::string line = std::string(SourceTitle(candidate.source)) + "  " + candidate.artist +
                       " / " + candidate.title;
    if (!candidate.year.empty()) {
        line += "  (" + candidate.year + ")";
    }
    line += "  " + strings.Format(str::LookupTracksFormat, {candidate.TrackCount()});
    if (candidate.trackCountDifference != 0) {
        line += " (" + std::string(candidate.trackCountDifference > 0 ? "+" : "") +
                std::to_string(candidate.trackCountDifference) + ")";
    }
    line += "  " +
            std::string(strings.Text(candidate.match == TocMatch::DiscId ? str::LookupMatchExact
                                                                         : str::LookupMatchFuzzy));
    return line;
}

DatabaseSearchOutcome SearchDatabases(const SearchWords& words, LookupSources sources,
                                      const DatabaseClient& client, const JobContext& job) {
    DatabaseSearchOutcome outcome;
    for (DatabaseSource source : {DatabaseSource::Gnudb, DatabaseSource::MusicBrainz}) {
        if (!Asks(sources, source) || job.Cancelled()) {
            continue;
        }
        job.Report({-1, str::LookupRunning});
        SearchResult result = source == DatabaseSource::Gnudb
                                  ? CddbSearch(words, client, &job.CancelFlag())
                                  : MusicBrainzSearch(words, client, &job.CancelFlag());
        for (DatabaseHit& hit : result.hits) {
            outcome.hits.push_back(std::move(hit));
        }
        if (result.problem.status != DatabaseStatus::Done) {
            outcome.problems.push_back(result.problem);
        }
    }
    outcome.cancelled = job.Cancelled();
    return outcome;
}

bool ReportSearchProblems(Session& session, const DatabaseSearchOutcome& outcome) {
    if (outcome.cancelled) {
        return false;
    }
    return ReportProblems(session, outcome.problems, outcome.hits.empty());
}

}  // namespace tracklore
