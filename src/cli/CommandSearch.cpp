#include <iostream>

#include "cli/CancelOnInterrupt.h"
#include "cli/Cli.h"
#include "flows/FreeDbFlow.h"
#include "flows/LookupFlow.h"
#include "freedb/Search.h"
#include "model/Cp1252.h"
#include "model/Text.h"

namespace tracklore::cli {
namespace {

// The search of gnudb's protocol and MusicBrainz: one hit per line, source, category or
// release ID, disc ID ("-" when none), artist / title.
int RunDatabaseSearch(const Arguments& args, const std::string& words) {
    CliApp app;
    app.ApplyCommonOptions(args);
    LookupSources sources = LookupSources::Both;
    int status = ExitOk;
    if (!ApplyDatabaseOptions(args, app, sources, status)) {
        return status;
    }
    std::atomic<bool> cancelled{false};
    DatabaseSearchOutcome outcome;
    {
        CancelOnInterrupt interrupt(cancelled);
        JobContext job(cancelled);
        outcome = SearchDatabases(SplitSearchWords(words), sources,
                                  DatabaseClientFromSettings(app.settings), job);
    }
    const bool failed = outcome.cancelled || ReportSearchProblems(app.session, outcome);
    status = app.Finish(!failed);
    if (status == ExitOk) {
        for (const DatabaseHit& hit : outcome.hits) {
            std::cout << DatabaseSourceName(hit.source) << '\t' << hit.id << '\t' << hit.discId
                      << '\t' << hit.artistTitle << '\n';
        }
    }
    return status;
}

int RunSearchCommand(const std::vector<std::string>& argv) {
    Arguments args;
    std::string error;
    if (!args.Parse(argv, CommonFlags, {"--endpoint", "--source", "--server", "--email"}, error)) {
        return UsageError(error);
    }
    const auto source = args.Value("--source");
    const bool web = source && *source == "web";
    if (source ? args.Value("--endpoint").has_value()
               : args.Value("--server") || args.Value("--email")) {
        return UsageError(str::CliDatabaseSearchOptions);
    }
    // The words as the search field would hold them: joined by blanks, in Windows-1252.
    std::string words;
    for (const auto& word : args.Positional()) {
        words += (words.empty() ? "" : " ") + word;
    }
    if (Trim(words).empty()) {
        return UsageError(str::CliSearchNeeds);
    }
    if (source && !web) {
        return RunDatabaseSearch(args, words);
    }
    // The web page search: --server names its endpoint there.
    auto endpoint = web ? args.Value("--server") : args.Value("--endpoint");
    if (endpoint && endpoint->empty()) {
        return UsageError(str::CliEndpointNeedsAddress);
    }
    CliApp app;
    app.ApplyCommonOptions(args);

    std::atomic<bool> cancelled{false};
    SearchOptions options;
    options.addressFormat = SearchAddressFormat(app.session.strings, endpoint.value_or(""));
    options.cancel = &cancelled;
    SearchResults results;
    {
        CancelOnInterrupt interrupt(cancelled);
        results = RunSearch(app.session, words, options);
    }
    if (results.messageLine == str::SearchNothingFound) {
        std::cerr << "tracklore-cli: " << ConsoleText(str::SearchNothingFound) << "\n";
    }
    const int status = app.Finish(!cancelled && results.messageLine != str::SearchIdle);
    if (status == ExitOk) {
        for (const auto& entry : results.entries) {
            if (web) {
                std::cout << "web\t";
            }
            std::cout << entry.category << '\t' << entry.discId << '\t' << entry.title << '\n';
        }
    }
    return status;
}

const RegisterCommand registration("search", str::CliUsageSearch, RunSearchCommand);
// The help lists the database form of the command on a line of its own.
const RegisterCommand databaseForm("search", str::CliUsageDatabaseSearch, RunSearchCommand);

}  // namespace
}  // namespace tracklore::cli
