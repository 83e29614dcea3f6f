#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Cli.h"

using namespace tracklore;
using namespace tracklore::cli;

namespace {
void PrintUsage(std::ostream& stream) {
    auto commands = CommandRegistry();
    std::stable_sort(commands.begin(), commands.end(),
                     [](const Command& a, const Command& b) { return a.name < b.name; });
    stream << ConsoleText(str::CliUsageHead) << "\n";
    for (const auto& command : commands) {
        stream << "  " << ConsoleText(command.usage) << "\n";
    }
    stream << "\n" << ConsoleText(str::CliCommonOptions) << "\n";
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintUsage(std::cerr);
        return ExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintUsage(std::cout);
        return ExitOk;
    }
    for (const auto& command : CommandRegistry()) {
        if (command.name == args[0]) {
            args.erase(args.begin());
            return command.run(args);
        }
    }
    std::cerr << "tracklore-cli: " << ConsoleText(str::CliUnknownCommand, {args[0]}) << "\n";
    PrintUsage(std::cerr);
    return ExitUsage;
}
