#include "flows/Reading.h"

#include <filesystem>

#include "formats/Xmcd.h"
#include "model/Encoding.h"
#include "model/Text.h"
#include "mp3/ByteSource.h"
#include "mp3/Mpeg.h"

namespace tracklore {

namespace {

bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

// The MP3 named by a FILE line: as written when that is an absolute path, else beside the
// sheet as written (a sheet's relative names are relative to the sheet, not to the folder
// the program was started in), else by its bare file name beside the sheet.
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
    return legacy.ok() && IsRegularFile(named) ? named : std::string();
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
        if (path.empty()) {
            return 0;
        }
        auto file = FileSource::Open(path);
        if (!file) {
            return 0;
        }
        float seconds = MpegDuration(*file, static_cast<std::int64_t>(file->Size()));
        return seconds < 0 ? 0 : static_cast<int>(seconds);
    };
}

void ApplyTrackList(Session& session, const TrackList& list) {
    ClearTrackList(session);
    session.doc.cd = list.cd;
    session.doc.trackCount = list.trackCount;
    session.doc.tracks = list.tracks;
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

bool CheckCueSheetTimes(Session& session) {
    if (int track = FirstTrackBeforeCueOrigin(session.doc); track != 0) {
        ShowError(session, str::TrackBeforeFirst, {track});
        return false;
    }
    return true;
}

}  // namespace tracklore
