#include "cli/Cli.h"
#include "flows/Mp3ScanFlow.h"
#include "mp3/Mp3Scan.h"

namespace tracklore::cli {
namespace {

// scan-mp3: the scan of one MP3 file with the methods of the options dialog and the chapter
// table of the tag (all on unless switched off), answered on the console.
int RunScanMp3(const std::vector<std::string>& argv) {
    Arguments args;
    std::string error;
    std::set<std::string> flags = CommonFlags;
    flags.insert({"--json", "--no-cue-tag", "--no-chapters", "--no-id3v1", "--no-archives"});
    if (!args.Parse(argv, flags, {"-o"}, error)) {
        return UsageError(error);
    }
    auto out = args.Value("-o");
    if (args.Positional().size() != 1 || args.Positional()[0].empty() || (out && out->empty())) {
        return UsageError(str::CliScanMp3Needs);
    }
    CliApp app;
    app.ApplyCommonOptions(args);
    const bool json = args.Has("--json");
    // The results dialog's rows go to standard output ahead of the track list, not into JSON.
    app.ui.printFragmentRows = !json;

    Mp3ScanJob job;
    job.path = AbsolutePath(args.Positional()[0]);
    job.findCueTag = !args.Has("--no-cue-tag");
    job.findChapters = !args.Has("--no-chapters");
    job.splitAtId3v1 = !args.Has("--no-id3v1");
    job.detectArchives = !args.Has("--no-archives");
    if (!CheckScanStart(app.session, job)) {
        return ExitFailed;
    }
    RunMp3ScanWorker(app.session, job, app.ui);
    return FinishImport(app, job.trackListBuilt, out, json);
}

const RegisterCommand registration("scan-mp3", str::CliUsageScanMp3, RunScanMp3);

}  // namespace
}  // namespace tracklore::cli
