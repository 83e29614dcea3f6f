#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/ConsolePlatform.h"
#include "flows/LookupFlow.h"
#include "flows/Session.h"
#include "model/TrackList.h"
#include "settings/Settings.h"

namespace tracklore::cli {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

// The table of the language the console speaks, chosen once at start.
const StringTable& ConsoleStrings();

// The command line of one command: options and positional arguments.
class Arguments {
  public:
    // `flags` take no value, `valued` take the next argument. Unknown options are errors.
    bool Parse(const std::vector<std::string>& args, const std::set<std::string>& flags,
               const std::set<std::string>& valued, std::string& error);
    bool Has(const std::string& flag) const { return flags_.count(flag) > 0; }
    std::optional<std::string> Value(const std::string& option) const;
    const std::vector<std::string>& Positional() const { return positional_; }

  private:
    std::set<std::string> flags_;
    std::map<std::string, std::string> values_;
    std::vector<std::string> positional_;
};

// The application object of one command: the document, the settings and the console.
class CliApp {
  public:
    CliApp();
    TrackList doc;
    Settings settings;
    ConsolePlatform ui;
    Session session{doc, settings, ui, ConsoleStrings()};
    std::string out;  // standard output, written only when the command succeeds

    // Applies the options every command shares: --msh, --yes, --no.
    void ApplyCommonOptions(const Arguments& args);
    // Exit status after a command whose own verdict is `ok`: an error message counts too.
    int Finish(bool ok) const { return ok && !ui.ErrorShown() ? ExitOk : ExitFailed; }
};

// Opens the document named on the command line. True only when it was read without any error
// message: a command writes nothing on the back of an input that showed an error (the XMCD
// reader, for one, reports a bad line and still leaves an empty document behind).
bool OpenInput(CliApp& app, const std::string& path);

// The options every command accepts.
extern const std::set<std::string> CommonFlags;

// A file or folder argument made absolute, as a file dialog would hand it over.
std::string AbsolutePath(const std::string& path);

// The save dialog's filter for an output file named on the command line: ".xmcd" and ".txt"
// give XMCD (2), anything else a cue sheet (1).
int SaveFilterForName(const std::string& out);

// Saves the document as `out` through Save As, the filter chosen by the name (or forced).
bool SaveDocumentAs(CliApp& app, const std::string& out, int filterIndex = 0);

// The document as the JSON form of the command-line contract (UTF-8).
std::string DocumentJson(const TrackList& doc);
// The document as readable text (UTF-8).
std::string DocumentText(const TrackList& doc, TimeFormat format, const StringTable& strings);

// The end of an import command: when the import built a track list, saves it as `out` (when
// given) through SaveDocumentAs and prints it, as JSON or as text after what the platform
// printed (the rows of a results dialog). Returns the exit status.
int FinishImport(CliApp& app, bool imported, const std::optional<std::string>& out, bool json);

// A string-table text as the console prints it (UTF-8), filled with the arguments.
std::string ConsoleText(StringId id, std::initializer_list<FormatArg> args = {});

// The options of the database commands (lookup, search --source): --source, --server and
// --email applied to the settings and `sources`. False when the command must end with
// `status` (a usage error, or no e-mail address).
bool ApplyDatabaseOptions(const Arguments& args, CliApp& app, LookupSources& sources, int& status);

// Prints a usage error (UTF-8) to standard error and returns ExitUsage.
int UsageError(const std::string& text);
int UsageError(StringId text);

struct Command {
    std::string name;
    StringId usage;
    std::function<int(const std::vector<std::string>&)> run;
};

// Commands register themselves from their own source files.
std::vector<Command>& CommandRegistry();
struct RegisterCommand {
    RegisterCommand(std::string name, StringId usage,
                    std::function<int(const std::vector<std::string>&)> run);
};

}  // namespace tracklore::cli
