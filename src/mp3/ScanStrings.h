#pragma once

// Numbers of the string-table texts that the MP3 and folder scans show.
namespace tracklore::scanstr {

constexpr int Untitled = 1016;
constexpr int UnnamedArtist = 1017;
constexpr int FileNotFound = 1046;
constexpr int NoMethodChosen = 1047;
constexpr int ScanCaption = 1053;  // "MP3 Suchergebnisse"
constexpr int AlbumWrapQuestion = 1065;
constexpr int CueSheetQuestion = 1063;
constexpr int CueSheetByWriterQuestion = 1064;
constexpr int FragmentSize = 1070;
constexpr int NothingUsable = 1071;
constexpr int NoMpegHeaderInFragment = 1072;
constexpr int TrackLimitReached = 1089;
constexpr int TimeLimitReached = 1090;
constexpr int FolderHasNoMp3 = 1096;
constexpr int FolderResultCaption = 1097;
constexpr int FolderSummary = 1098;
constexpr int FragmentResultsHeading = 5301;

}  // namespace tracklore::scanstr
