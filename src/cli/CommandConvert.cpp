#include <iostream>

#include "cli/Cli.h"
#include "flows/DocumentFlow.h"

namespace tracklore::cli {
namespace {

int RunConvert(const std::vector<std::string>& argv) {
    Arguments args;
    std::string error;
    if (!args.Parse(argv, CommonFlags, {"-o", "--format"}, error)) {
        return UsageError(error);
    }
    auto out = args.Value("-o");
    auto format = args.Value("--format");
    if (args.Positional().size() != 1 || !out || out->empty()) {
        return UsageError(str::CliConvertNeeds);
    }
    if (format && *format != "cue" && *format != "xmcd") {
        return UsageError(str::CliConvertFormats);
    }
    CliApp app;
    app.ApplyCommonOptions(args);
    if (!OpenInput(app, args.Positional()[0])) {
        return ExitFailed;
    }
    // --format decides; without it the name does.
    bool saved = SaveDocumentAs(app, *out, format ? (*format == "xmcd" ? 2 : 1) : 0);
    return app.Finish(saved);
}

const RegisterCommand registration("convert", str::CliUsageConvert, RunConvert);

}  // namespace
}  // namespace tracklore::cli
