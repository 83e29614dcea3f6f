#include "cli/Cli.h"
#include "flows/CueTagFlow.h"
#include "flows/DocumentFlow.h"
#include "mp3/CueTag.h"

namespace tracklore::cli {
namespace {

// write-tag: the cue sheet and, unless --no-chapters, the chapter table into the MP3 file.
int RunWriteTag(const std::vector<std::string>& argv) {
    Arguments args;
    std::string error;
    std::set<std::string> flags = CommonFlags;
    flags.insert("--no-chapters");
    if (!args.Parse(argv, flags, {}, error)) {
        return UsageError(error);
    }
    if (args.Positional().size() != 2) {
        return UsageError(str::CliWriteTagNeeds);
    }
    CliApp app;
    app.ApplyCommonOptions(args);
    if (args.Has("--no-chapters")) {
        app.session.settings.WriteChapters = 0;
    }
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
