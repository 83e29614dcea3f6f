#include "freedb/DatabaseHttp.h"

#include "resources/Version.h"

namespace tracklore {

std::string ClientVersion(const DatabaseClient& client) {
    if (!client.clientVersion.empty()) {
        return client.clientVersion;
    }
    std::string_view text = VersionText;
    const std::size_t v = text.rfind(" v");
    return std::string(v == std::string_view::npos ? text : text.substr(v + 2));
}

DatabaseProblem ProblemOfFailedRequest(DatabaseSource source, HttpOutcome outcome) {
    DatabaseProblem problem;
    problem.source = source;
    problem.status =
        outcome == HttpOutcome::Cancelled ? DatabaseStatus::Cancelled : DatabaseStatus::Unreachable;
    return problem;
}

std::string FirstLine(std::string_view text) {
    std::string_view line = text.substr(0, text.find_first_of("\r\n"));
    constexpr std::size_t MaxLine = 300;
    return std::string(line.substr(0, MaxLine));
}

}  // namespace tracklore
