#include <iostream>

#include "cli/CancelOnInterrupt.h"
#include "cli/Cli.h"
#include "flows/DocumentFlow.h"
#include "freedb/Fetch.h"
#include "flows/FreeDbFlow.h"
#include "model/Cp1252.h"
#include "model/Text.h"

namespace tracklore::cli {
namespace {

int RunFetch(const std::vector<std::string>& argv) {
    Arguments args;
    std::string error;
    std::set<std::string> flags = CommonFlags;
    flags.insert("--json");
    if (!args.Parse(argv, flags, {"--url", "-o"}, error)) {
        return UsageError(error);
    }
    auto out = args.Value("-o");
    if (args.Positional().size() != 2 || (out && out->empty())) {
        return UsageError(str::CliFetchNeeds);
    }
    auto request = ValidateFetchRequest(args.Positional()[0], args.Positional()[1]);
    if (!request) {
        return UsageError(str::CliFetchRequest);
    }
    CliApp app;
    app.ApplyCommonOptions(args);
    if (auto url = args.Value("--url")) {
        app.settings.URL = *url;
    }

    TransferFlags transfer;
    transfer.Clear();
    {
        CancelOnInterrupt interrupt(transfer.cancelled);
        RunTransferWorker(app.session, *request, transfer);
    }
    if (!transfer.loaded) {
        if (!app.ui.ErrorShown() && !transfer.cancelled) {
            std::cerr << "tracklore-cli: " << ConsoleText(str::ReplyNotXmcd) << "\n";
        }
        return ExitFailed;
    }
    bool ok = !app.ui.ErrorShown();
    if (ok && out) {
        ok = SaveDocumentAs(app, *out);
    }
    const int status = app.Finish(ok);
    if (status == ExitOk) {
        std::cout << (args.Has("--json")
                          ? DocumentJson(app.doc)
                          : DocumentText(app.doc, app.session.timeFormat(), app.session.strings));
    }
    return status;
}

const RegisterCommand registration("fetch", str::CliUsageFetch, RunFetch);

}  // namespace
}  // namespace tracklore::cli
