#include <iostream>

#include "cli/CancelOnInterrupt.h"
#include "cli/Cli.h"
#include "flows/FreeDbFlow.h"
#include "freedb/Search.h"
#include "model/Cp1252.h"
#include "model/Text.h"

namespace tracklore::cli {
namespace {

int RunSearchCommand(const std::vector<std::string>& argv) {
    Arguments args;
    std::string error;
    if (!args.Parse(argv, CommonFlags, {"--endpoint"}, error)) {
        return UsageError(error);
    }
    // The words as the search field would hold them: joined by blanks, in Windows-1252.
    std::string words;
    for (const auto& word : args.Positional()) {
        words += (words.empty() ? "" : " ") + word;
    }
    if (Trim(words).empty()) {
        return UsageError(str::CliSearchNeeds);
    }
    auto endpoint = args.Value("--endpoint");
    if (endpoint && endpoint->empty()) {
        return UsageError("--endpoint braucht eine Adresse.");
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
            std::cout << entry.category << '\t' << entry.discId << '\t' << entry.title << '\n';
        }
    }
    return status;
}

const RegisterCommand registration("search", str::CliUsageSearch, RunSearchCommand);

}  // namespace
}  // namespace tracklore::cli
