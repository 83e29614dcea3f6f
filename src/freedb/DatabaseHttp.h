#pragma once

#include <atomic>
#include <string>
#include <string_view>

#include "freedb/Database.h"

namespace tracklore {

// The program's version without its name ("1.6"), or the client's own when it names one.
std::string ClientVersion(const DatabaseClient& client);

// The problem a request ended with when it brought no answer to read: Unreachable, or
// Cancelled when the flag is set (which the answer's outcome also says).
DatabaseProblem ProblemOfFailedRequest(DatabaseSource source, HttpOutcome outcome);

// The first line of a text, without its line end, at most 300 bytes: a server's own words.
std::string FirstLine(std::string_view text);

}  // namespace tracklore
