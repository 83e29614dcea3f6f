#pragma once

#include "resources/Version.h"

#include <string>
#include <vector>

#include "model/Encoding.h"
#include "model/TrackList.h"

namespace tracklore {

constexpr const char* DefaultClientName = "Tracklore";
constexpr const char* DefaultCddbAddress = "https://gnudb.gnudb.org/~cddb/cddb.cgi";
constexpr const char* DefaultMusicBrainzAddress = "https://musicbrainz.org/ws/2/";

// The program's settings, one field per INI key. The nine keys of section State, the
// recent files and the window's geometry are read at start and written at exit; URL, Email,
// ClientName, CddbAddress, MusicBrainzAddress, MSH, LegacyCodePage, SaveEncoding, Priority,
// WriteChapters and Language are shared by every running copy.
struct Settings {
    // [State]
    std::string LastDir;
    std::string LastMP3Dir;
    std::string LastFileMask = "*.mp3";
    int ScanID3v2 = 1;
    int ScanID3v1 = 1;
    int ScanArchives = 1;
    int LastSaveFilter = 1;
    int LastExportFilter = 1;
    int SearchKeep = 0;
    // [Recent] File1 … File8: the documents last opened or saved, the most recent first.
    std::vector<std::string> RecentFiles;
    // [Window] Geometry: the main window's size and place as the toolkit saves them (Base64).
    std::string WindowGeometry;
    // [FreeDB]
    std::string URL;  // default: string 1084
    // The CD databases asked by protocol: the user's e-mail address (gnudb refuses requests
    // without one; MusicBrainz wants a contact), the client name sent in gnudb's hello, and the
    // two addresses.
    std::string Email;
    std::string ClientName = DefaultClientName;
    std::string CddbAddress = DefaultCddbAddress;
    std::string MusicBrainzAddress = DefaultMusicBrainzAddress;
    // [Formats]
    int MSH = 0;
    // The code page of text files without a byte-order mark that are not UTF-8 (iconv's name).
    std::string LegacyCodePage = DefaultLegacyCodePage;
    // The encoding of every saved document: SaveEncodingAutomatic keeps the one it was read in
    // where every character fits (see DocumentSaveEncoding); the others force one.
    int SaveEncoding = 0;
    // [MP3Scan]
    int Priority = 0;
    // The cue tag also holds the track list as chapters (CTOC and CHAP frames).
    int WriteChapters = 1;
    // [Interface]
    // The language of the texts: "auto" follows the desktop's locale, "de" and "en" force one
    // (see ChooseLanguage). Read once at start.
    std::string Language = "auto";

    TimeFormat timeFormat() const { return MSH == 1 ? TimeFormat::Msh : TimeFormat::Msf; }
};

// The defaults of every key (URL from the string table).
void ApplyDefaultSettings(Settings& settings);
Settings DefaultSettings();

// How many documents the list of recent files holds.
constexpr std::size_t MaxRecentFiles = 8;
// Puts `path` at the head of the list of recent files: an entry for the same path moves up
// instead of appearing twice, and the oldest falls off beyond MaxRecentFiles.
void AddRecentFile(std::vector<std::string>& list, const std::string& path);
// Takes `path` out of the list.
void RemoveRecentFile(std::vector<std::string>& list, const std::string& path);

}  // namespace tracklore
