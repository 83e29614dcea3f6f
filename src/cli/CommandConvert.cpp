#include <iostream>

#include "cli/Cli.h"
#include "formats/Document.h"
#include "model/Text.h"

namespace tracklore::cli {
namespace {

// The save dialog's filter for OUT: --format decides; without it ".xmcd" and ".txt" give
// XMCD and anything else a cue sheet.
int SaveFilterFor(const std::string& out, const std::optional<std::string>& format) {
    if (format) {
        return *format == "xmcd" ? 2 : 1;
    }
    std::string lower = ToLowerAscii(FileNamePart(out));
    auto endsWith = [&lower](const std::string& suffix) {
        return lower.size() >= suffix.size() &&
               lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    return endsWith(".xmcd") || endsWith(".txt") ? 2 : 1;
}

int RunConvert(const std::vector<std::string>& argv) {
    Arguments args;
    std::string error;
    if (!args.Parse(argv, CommonFlags, {"-o", "--format"}, error)) {
        return UsageError(error);
    }
    auto out = args.Value("-o");
    auto format = args.Value("--format");
    if (args.Positional().size() != 1 || !out || out->empty()) {
        return UsageError("convert braucht eine Datei und -o AUSGABE.");
    }
    if (format && *format != "cue" && *format != "xmcd") {
        return UsageError("--format ist cue oder xmcd.");
    }
    CliApp app;
    app.ApplyCommonOptions(args);
    if (!OpenDocument(app.session, AbsolutePath(args.Positional()[0]))) {
        return ExitFailed;
    }
    std::string target = AbsolutePath(*out);
    app.ui.PresetSaveFile(target, SaveFilterFor(target, format));
    bool saved = SaveDocument(app.session, true);
    return app.Finish(saved);
}

const RegisterCommand registration("convert",
                                   "convert DATEI -o AUSGABE [--format cue|xmcd] [--yes]",
                                   RunConvert);

}  // namespace
}  // namespace tracklore::cli
