#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cli/Cli.h"
#include "formats/CueSheet.h"
#include "model/Text.h"

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
        return UsageError("show braucht genau eine Datei.");
    }
    CliApp app;
    app.ApplyCommonOptions(args);
    std::string path = AbsolutePath(args.Positional()[0]);

    std::ifstream file(path, std::ios::binary);
    std::error_code ec;
    if (!file || std::filesystem::is_directory(path, ec)) {
        ShowError(app.session, str::CannotOpenFile, {path});
        return app.Finish(false);
    }
    std::stringstream content;
    content << file.rdbuf();
    bool ok = ReadCueSheet(app.session, content.str(), DirPart(path));
    if (ok) {
        app.doc.documentPath = path;
        app.doc.documentKind = DocumentKindCue;
        app.doc.modified = false;
    }
    int status = app.Finish(ok);
    if (status == ExitOk) {
        std::cout << (args.Has("--json") ? DocumentJson(app.doc)
                                         : DocumentText(app.doc, app.session.timeFormat()));
    }
    return status;
}

const RegisterCommand registration("show", "show [--json] [--msh] DATEI", RunShow);

}  // namespace
}  // namespace tracklore::cli
