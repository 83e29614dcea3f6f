#include <iostream>

#include "cli/Cli.h"
#include "flows/DocumentFlow.h"

namespace tracklore::cli {
namespace {

int RunShow(const std::vector<std::string>& argv) {
    Arguments args;
    std::string error;
    std::set<std::string> flags = CommonFlags;
    flags.insert("--json");
    if (!args.Parse(argv, flags, {}, error)) {
        return UsageError(error);
    }
    if (args.Positional().size() != 1) {
        return UsageError(str::CliShowNeeds);
    }
    CliApp app;
    app.ApplyCommonOptions(args);
    bool ok = OpenDocument(app.session, AbsolutePath(args.Positional()[0]));
    int status = app.Finish(ok);
    if (status == ExitOk) {
        std::cout << (args.Has("--json")
                          ? DocumentJson(app.doc)
                          : DocumentText(app.doc, app.session.timeFormat(), app.session.strings));
    }
    return status;
}

const RegisterCommand registration("show", str::CliUsageShow, RunShow);

}  // namespace
}  // namespace tracklore::cli
