#include "cli/Cli.h"

#include <filesystem>
#include <iostream>

#include <nlohmann/json.hpp>

#include "flows/DocumentFlow.h"
#include "model/Encoding.h"
#include "model/Text.h"
#include "model/Time.h"
#include "resources/Strings.h"
#include "settings/SettingsFile.h"

namespace tracklore::cli {

const std::set<std::string> CommonFlags = {"--msh", "--yes", "--no"};

bool Arguments::Parse(const std::vector<std::string>& args, const std::set<std::string>& flags,
                      const std::set<std::string>& valued, std::string& error) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positional_.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (flags.count(arg)) {
            flags_.insert(arg);
            continue;
        }
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (std::size_t eq = arg.find('='); eq != std::string::npos && arg.rfind("--", 0) == 0) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        if (valued.count(name)) {
            if (inlineValue) {
                values_[name] = *inlineValue;
            } else if (i + 1 < args.size()) {
                values_[name] = args[++i];
            } else {
                error = ConsoleText(str::CliOptionNeedsValue, {name});
                return false;
            }
            continue;
        }
        error = ConsoleText(str::CliUnknownOption, {arg});
        return false;
    }
    return true;
}

std::optional<std::string> Arguments::Value(const std::string& option) const {
    auto it = values_.find(option);
    if (it == values_.end()) {
        return std::nullopt;
    }
    return it->second;
}

namespace {
// The editor's settings file, for the URL setting: the editor lives beside the command-line
// program when installed, and in the app folder below it in a build tree.
std::string EditorSettingsFile() {
    const std::string self = RunningExecutablePath();
    if (self.empty()) {
        return {};
    }
    const std::string folder = DirPart(self);
    for (const std::string& editorFolder : {folder, folder + "app/"}) {
        std::error_code ec;
        if (std::filesystem::exists(editorFolder + "tracklore", ec)) {
            std::string path = SettingsFilePathFor("tracklore", editorFolder);
            if (std::filesystem::exists(path, ec)) {
                return path;
            }
        }
    }
    return {};
}
}  // namespace

CliApp::CliApp() {
    ApplyDefaultSettings(settings);
    // Only the FreeDB and database settings come from the editor's settings; everything else
    // a command needs is given on its command line.
    if (std::string path = EditorSettingsFile(); !path.empty()) {
        Settings stored = settings;
        ReadSettings(stored, path, false);
        settings.URL = stored.URL;
        settings.Email = stored.Email;
        settings.ClientName = stored.ClientName;
        settings.CddbAddress = stored.CddbAddress;
        settings.MusicBrainzAddress = stored.MusicBrainzAddress;
    }
    ui.output = &out;
}

void CliApp::ApplyCommonOptions(const Arguments& args) {
    if (args.Has("--msh")) {
        settings.MSH = 1;
    }
    if (args.Has("--yes")) {
        ui.answerMode = AnswerMode::Yes;
    } else if (args.Has("--no")) {
        ui.answerMode = AnswerMode::No;
    }
}

std::string AbsolutePath(const std::string& path) {
    std::error_code ec;
    auto absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

std::string DocumentJson(const TrackList& doc) {
    nlohmann::ordered_json json;
    if (doc.documentPath.empty()) {
        json["kind"] = nullptr;
    } else {
        json["kind"] = doc.documentKind == DocumentKindXmcd ? "xmcd" : "cue";
    }
    json["title"] = ValidUtf8(doc.cd.title.str());
    json["artist"] = ValidUtf8(doc.cd.artist.str());
    json["year"] = ValidUtf8(doc.cd.year.str());
    json["genre"] = ValidUtf8(doc.cd.genre.str());
    json["discId"] = ValidUtf8(doc.cd.discId.str());
    json["totalSeconds"] = doc.cd.totalSeconds;
    json["audioFile"] = ValidUtf8(doc.cd.audioFile.str());
    json["tracks"] = nlohmann::ordered_json::array();
    for (int i = 0; i < doc.trackCount && i <= MaxTracks; ++i) {
        const Track& track = doc.tracks[i];
        nlohmann::ordered_json entry;
        entry["number"] = i + 1;
        entry["title"] = ValidUtf8(track.title.str());
        entry["performer"] = ValidUtf8(track.performer.str());
        entry["start"] = track.start;
        entry["length"] = ShownTrackLength(doc, i);
        json["tracks"].push_back(entry);
    }
    return json.dump(2) + "\n";
}

std::string DocumentText(const TrackList& doc, TimeFormat format, const StringTable& strings) {
    auto line = [&strings](StringId labelId, const std::string& value) {
        return strings.Format(labelId, {value}) + "\n";
    };
    std::string text;
    if (!doc.documentPath.empty()) {
        text += line(str::CliFileLine, FileNameText(doc.documentPath));
    }
    text += line(str::CliTitleLine, doc.cd.title);
    text += line(str::CliArtistLine, doc.cd.artist);
    text += line(str::CliYearLine, doc.cd.year);
    text += line(str::CliGenreLine, doc.cd.genre);
    text += line(str::CliDiscIdLine, doc.cd.discId);
    text += line(str::CliTotalLine,
                 doc.cd.totalSeconds != 0
                     ? FormatTimeShort(std::int64_t{doc.cd.totalSeconds} * FramesPerSecond, format)
                     : std::string(strings.Text(str::UnknownLength)));
    text += line(str::CliAudioFileLine, doc.cd.audioFile);
    text += "\n" + std::string(strings.Text(str::CliTrackHeading)) + "\n";
    for (int i = 0; i < doc.trackCount && i <= MaxTracks; ++i) {
        const Track& track = doc.tracks[i];
        std::int32_t length = ShownTrackLength(doc, i);
        std::string lengthText = length == UnknownLength
                                     ? std::string(strings.Text(str::UnknownLength))
                                     : FormatTime(length, format);
        text +=
            (strings.Format(str::CliTrackLine, {i + 1, FormatTime(track.start, format), lengthText,
                                                track.performer.str(), track.title.str()})) +
            "\n";
    }
    return text;
}

int SaveFilterForName(const std::string& out) {
    const std::string name = ToLowerAscii(FileNamePart(out));
    auto endsWith = [&name](const std::string& suffix) {
        return name.size() >= suffix.size() &&
               name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    return endsWith(".xmcd") || endsWith(".txt") ? 2 : 1;
}

bool SaveDocumentAs(CliApp& app, const std::string& out, int filterIndex) {
    const std::string target = AbsolutePath(out);
    app.ui.PresetSaveFile(target, filterIndex != 0 ? filterIndex : SaveFilterForName(target));
    return SaveDocument(app.session, true);
}

bool OpenInput(CliApp& app, const std::string& path) {
    return OpenDocument(app.session, AbsolutePath(path)) && !app.ui.ErrorShown();
}

int FinishImport(CliApp& app, bool imported, const std::optional<std::string>& out, bool json) {
    // An import that showed an error saves nothing.
    bool ok = imported && !app.ui.ErrorShown() && (!out || SaveDocumentAs(app, *out));
    int status = app.Finish(ok);
    if (status == ExitOk) {
        std::cout << (json ? DocumentJson(app.doc)
                           : app.out + DocumentText(app.doc, app.session.timeFormat(),
                                                    app.session.strings));
    }
    return status;
}

const StringTable& ConsoleStrings() {
    // As the editor: the language its settings force, else the desktop's; chosen once.
    static const StringTable& table = []() -> const StringTable& {
        Settings stored;
        if (std::string path = EditorSettingsFile(); !path.empty()) {
            ReadSettings(stored, path, false);
        }
        return StringTable::Of(ChooseLanguage(stored.Language, CurrentLocaleEnvironment()));
    }();
    return table;
}

std::string ConsoleText(StringId id, std::initializer_list<FormatArg> args) {
    return FormatText(ConsoleStrings().Text(id), args);
}

int UsageError(const std::string& text) {
    std::cerr << "tracklore-cli: " << text << "\n";
    return ExitUsage;
}

int UsageError(StringId text) {
    return UsageError(ConsoleText(text));
}

std::vector<Command>& CommandRegistry() {
    static std::vector<Command> commands;
    return commands;
}

RegisterCommand::RegisterCommand(std::string name, StringId usage,
                                 std::function<int(const std::vector<std::string>&)> run) {
    CommandRegistry().push_back({std::move(name), std::move(usage), std::move(run)});
}

}  // namespace tracklore::cli
