#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tracklore::test {

struct CommandResult {
    int status = -1;  // exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Environment variables set (name, value) for one program, over the test's own environment.
using Environment = std::vector<std::pair<std::string, std::string>>;

// Runs a program with arguments (no shell), feeding `input` to its standard input. The
// programs the tests start speak German whatever the locale the tests run in (LANGUAGE=de is
// set for the whole test process when it loads), unless `environment` says otherwise.
CommandResult RunCommand(const std::vector<std::string>& argv, const std::string& input = "",
                         const Environment& environment = {});

// Runs tracklore-cli with the arguments.
CommandResult RunCli(const std::vector<std::string>& args, const std::string& input = "");

// True when a program is found on PATH.
bool HaveProgram(const std::string& name);

}  // namespace tracklore::test
