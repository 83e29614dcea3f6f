#include "cli/Cli.h"
#include "export/Export.h"
#include "flows/ExportFlow.h"
#include "flows/DocumentFlow.h"

namespace tracklore::cli {
namespace {

int RunExport(const std::vector<std::string>& argv) {
    Arguments args;
    std::string error;
    if (!args.Parse(argv, CommonFlags, {"-o", "--format"}, error)) {
        return UsageError(error);
    }
    auto out = args.Value("-o");
    auto format = args.Value("--format");
    if (args.Positional().size() != 1 || !out || out->empty() || !format) {
        return UsageError(str::CliExportNeeds);
    }
    const ExportFormat* chosen = ExportFormatNamed(*format);
    if (!chosen) {
        return UsageError(str::CliExportFormats);
    }
    CliApp app;
    app.ApplyCommonOptions(args);
    if (!OpenInput(app, args.Positional()[0])) {
        return ExitFailed;
    }
    app.ui.PresetSaveFile(AbsolutePath(*out), chosen->filterIndex);
    return app.Finish(ExportDocument(app.session));
}

const RegisterCommand registration("export", str::CliUsageExport, RunExport);

}  // namespace
}  // namespace tracklore::cli
