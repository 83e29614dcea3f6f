#pragma once

#include <string>
#include <vector>

namespace tracklore::test {

struct CommandResult {
    int status = -1;  // exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs a program with arguments (no shell), feeding `input` to its standard input.
CommandResult RunCommand(const std::vector<std::string>& argv, const std::string& input = "");

// Runs tracklore-cli with the arguments.
CommandResult RunCli(const std::vector<std::string>& args, const std::string& input = "");

// True when a program is found on PATH.
bool HaveProgram(const std::string& name);

}  // namespace tracklore::test
