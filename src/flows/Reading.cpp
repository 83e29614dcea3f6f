#include "flows/Reading.h"

#include <filesystem>

#include "audio/AudioLength.h"
#include "formats/Xmcd.h"
#include "model/Encoding.h"
#include "model/Text.h"

namespace tracklore {

namespace {

bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

// The audio file named by a FILE line: as written when that is an absolute path, else beside
// the sheet as written (a sheet's relative names are relative to the sheet, not to the folder
// the program was started in), else by its bare file name beside the sheet, else by the same
// name with the extension of another audio format (a sheet written for a WAVE rip whose
// files were compressed to FLAC afterwards).
std::string ResolveAudioPath(const std::string& written, const std::string& directory) {
    if (!written.empty() && written.front() == '/' && IsRegularFile(written)) {
        return written;
    }
    std::string relative = written;
    for (char& c : relative) {
        if (c == '\\') {
            c = '/';
        }
    }
    std::string dir = WithTrailingSeparator(directory);
    if (!relative.empty() && relative.front() != '/' && IsRegularFile(dir + relative)) {
        return dir + relative;
    }
    std::string beside = dir + FileNamePart(written);
    if (IsRegularFile(beside)) {
        return beside;
    }
    // A file copied from Windows may still carry its Windows-1252 name.
    const EncodedText legacy = EncodeText(FileNamePart(written), TextEncoding{});
    const std::string named = dir + legacy.bytes;
    if (legacy.ok() && IsRegularFile(named)) {
        return named;
    }
    const std::string stem = dir + StripExtension(FileNamePart(written));
    for (const char* extension : {".flac", ".wav", ".ape", ".wv", ".mp3", ".ogg", ".opus"}) {
        if (IsRegularFile(stem + extension)) {
            return stem + extension;
        }
    }
    return {};
}

}  // namespace

void ShowReadError(Session& session, const ReadError& error) {
    if (error.quotesLine) {
        ShowError(session, error.text, {error.line, error.lineText});
    } else {
        ShowError(session, error.text, {error.line});
    }
}

AudioLengthProbe MeasureBeside(const std::string& directory) {
    if (directory.empty()) {
        return {};
    }
    return [directory](const std::string& audioPath) {
        const std::string path = ResolveAudioPath(audioPath, directory);
        return path.empty() ? -1.0 : MeasureAudioFile(path);
    };
}

void ApplyTrackList(Session& session, const TrackList& list) {
    ClearTrackList(session);
    session.doc.cd = list.cd;
    session.doc.trackCount = list.trackCount;
    session.doc.tracks = list.tracks;
    session.doc.encoding = list.encoding;
}

bool ReadCueSheet(Session& session, std::string_view text, const std::string& directory) {
    CueSheetRead read = ParseCueSheet(text, session.timeFormat(), MeasureBeside(directory));
    ClearTrackList(session);
    if (read.error) {
        ShowReadError(session, *read.error);
        return false;
    }
    ApplyTrackList(session, read.list);
    return true;
}

bool ReadXmcd(Session& session, std::string_view text) {
    XmcdRead read = ParseXmcd(text);
    ClearTrackList(session);
    if (read.error) {
        ShowReadError(session, *read.error);
    } else if (read.recognised) {
        ApplyTrackList(session, read.list);
    }
    return read.recognised;
}

bool CheckDiscPositions(Session& session) {
    if (const AudioFileLine* file = UnplacedFile(session.doc)) {
        ShowError(session, str::NeedsDiscPositions, {FileNameText(file->name)});
        return false;
    }
    return true;
}

bool CheckCueSheetTimes(Session& session) {
    if (int track = FirstTrackBeforeCueOrigin(session.doc); track != 0) {
        ShowError(session, str::TrackBeforeFirst, {track});
        return false;
    }
    return true;
}

}  // namespace tracklore
