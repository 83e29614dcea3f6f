#include "cli/Cli.h"
#include "flows/DocumentFlow.h"
#include "mp3/CueTag.h"
#include "flows/CueTagFlow.h"

namespace tracklore::cli {
namespace {

int RunWriteTag(const std::vector<std::string>& argv) {
    Arguments args;
    std::string error;
    if (!args.Parse(argv, CommonFlags, {}, error)) {
        return UsageError(error);
    }
    if (args.Positional().size() != 2) {
        return UsageError(str::CliWriteTagNeeds);
    }
    CliApp app;
    app.ApplyCommonOptions(args);
    if (!OpenInput(app, args.Positional()[0])) {
        return ExitFailed;
    }
    app.ui.PresetOpenFile(AbsolutePath(args.Positional()[1]));
    bool written = WriteCueToMp3(app.session);
    return app.Finish(written);
}

const RegisterCommand registration("write-tag", str::CliUsageWriteTag, RunWriteTag);

}  // namespace
}  // namespace tracklore::cli
