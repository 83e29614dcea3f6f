#include <iostream>

#include "cli/CancelOnInterrupt.h"
#include "cli/Cli.h"
#include "flows/LookupFlow.h"

namespace tracklore::cli {

// The options the database commands share: --source names the database(s), --server and
// --email override the settings. False (with the usage error printed) when one is wrong.
bool ApplyDatabaseOptions(const Arguments& args, CliApp& app, LookupSources& sources, int& status) {
    if (auto source = args.Value("--source")) {
        const std::optional<DatabaseSource> named = DatabaseSourceFromName(*source);
        if (!named) {
            status = UsageError(str::CliSourceValues);
            return false;
        }
        sources =
            *named == DatabaseSource::Gnudb ? LookupSources::Gnudb : LookupSources::MusicBrainz;
    }
    if (auto server = args.Value("--server")) {
        // One address can only be one database's.
        if (server->empty() || sources == LookupSources::Both) {
            status = UsageError(str::CliServerNeedsSource);
            return false;
        }
        (sources == LookupSources::Gnudb ? app.settings.CddbAddress
                                         : app.settings.MusicBrainzAddress) = *server;
    }
    if (auto email = args.Value("--email")) {
        app.settings.Email = *email;
    }
    if (DatabaseEmailMissing(app.settings)) {
        ShowError(app.session, str::LookupEmailMissing);
        status = ExitFailed;
        return false;
    }
    return true;
}

namespace {

int RunLookup(const std::vector<std::string>& argv) {
    Arguments args;
    std::string error;
    std::set<std::string> flags = CommonFlags;
    flags.insert("--json");
    if (!args.Parse(argv, flags, {"--source", "--server", "--email", "--pick", "-o"}, error)) {
        return UsageError(error);
    }
    auto out = args.Value("-o");
    if (args.Positional().size() != 1 || (out && out->empty())) {
        return UsageError(str::CliLookupNeeds);
    }
    int pick = 1;
    if (auto value = args.Value("--pick")) {
        if (value->empty() || value->find_first_not_of("0123456789") != std::string::npos ||
            value->size() > 4 || (pick = std::stoi(*value)) < 1) {
            return UsageError(ConsoleText(str::CliPickRange, {9999}));
        }
    }
    CliApp app;
    app.ApplyCommonOptions(args);
    LookupSources sources = LookupSources::Both;
    int status = ExitOk;
    if (!ApplyDatabaseOptions(args, app, sources, status)) {
        return status;
    }
    if (!OpenInput(app, args.Positional()[0])) {
        return ExitFailed;
    }

    std::atomic<bool> cancelled{false};
    LookupOutcome outcome;
    {
        CancelOnInterrupt interrupt(cancelled);
        JobContext job(cancelled);
        outcome = LookUpTrackList(app.doc, sources, DatabaseClientFromSettings(app.settings), job);
    }
    if (outcome.cancelled || ReportLookupOutcome(app.session, outcome) ||
        outcome.candidates.empty()) {
        return ExitFailed;
    }
    const int count = static_cast<int>(outcome.candidates.size());
    if (pick > count) {
        ShowError(app.session, str::CliPickRange, {count});
        return ExitFailed;
    }
    // The list the editor's dialog shows, numbered as --pick counts, above the result.
    for (int i = 0; i < count; ++i) {
        const Candidate& candidate = outcome.candidates[static_cast<std::size_t>(i)];
        app.out += (i + 1 == pick ? "* " : "  ") + std::to_string(i + 1) + "  " +
                   CandidateLine(candidate, app.session.strings) + "\n";
    }
    app.out += "\n";
    ApplyCandidateToDocument(app.session, outcome.candidates[static_cast<std::size_t>(pick - 1)]);
    return FinishImport(app, true, out, args.Has("--json"));
}

const RegisterCommand registration("lookup", str::CliUsageLookup, RunLookup);

}  // namespace
}  // namespace tracklore::cli
