#include "cli/Cli.h"
#include "flows/FolderScanFlow.h"
#include "mp3/FolderScan.h"

namespace tracklore::cli {
namespace {

// scan-folder: one track per MP3 file of a folder that matches the mask.
int RunScanFolder(const std::vector<std::string>& argv) {
    Arguments args;
    std::string error;
    std::set<std::string> flags = CommonFlags;
    flags.insert("--json");
    if (!args.Parse(argv, flags, {"--mask", "-o"}, error)) {
        return UsageError(error);
    }
    auto out = args.Value("-o");
    if (args.Positional().size() != 1 || args.Positional()[0].empty() || (out && out->empty())) {
        return UsageError(str::CliScanFolderNeeds);
    }
    CliApp app;
    app.ApplyCommonOptions(args);
    std::string mask = args.Value("--mask").value_or(app.settings.LastFileMask);
    if (mask.empty()) {
        return UsageError(str::CliMaskNeeded);
    }

    bool ok = RunFolderScan(app.session, AbsolutePath(args.Positional()[0]), mask);
    return FinishImport(app, ok, out, args.Has("--json"));
}

const RegisterCommand registration("scan-folder", str::CliUsageScanFolder, RunScanFolder);

}  // namespace
}  // namespace tracklore::cli
