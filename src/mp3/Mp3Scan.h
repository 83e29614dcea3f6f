#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "flows/Session.h"
#include "mp3/ByteSource.h"
#include "mp3/Id3v1Split.h"

namespace tracklore {

// The scan of one MP3 file that holds a whole album. The file is read once, front to back,
// in chunks of ScanChunkSize bytes. The first chunk is searched for a cue sheet stored in
// the ID3v2 tag (a sheet that starts there and runs on past it is read on to its end) and
// for an album-wrapper header, and tested for archive and media signatures; every chunk is searched
// for the ID3v1 records of joined tracks.
//
// The scan runs as one synchronous call; the editor runs it on a worker thread while its
// progress dialog is shown, and may request a cancel from the user-interface thread.
struct Mp3ScanJob {
    std::string path;
    bool findCueTag = true;      // cue sheet or album-wrapper header in the ID3v2 tag
    bool splitAtId3v1 = true;    // ID3v1 records between joined tracks
    bool detectArchives = true;  // archive and media signatures

    // Written by the user-interface thread, read by the scan before each chunk.
    std::atomic<bool> cancelRequested{false};
    // Written by the scan: it ended because a result or a signature message ended it or
    // because the whole file was read (not after a cancel).
    std::atomic<bool> finished{false};
    // A result was produced, or a message ended the scan.
    std::atomic<bool> done{false};
    // The document was replaced by a complete track list.
    std::atomic<bool> trackListBuilt{false};

    int lastPercent = -1;
    // Sizes and offsets are 64-bit, so files of 4 GiB and more are read whole.
    std::uint64_t fileSize = 0;
    std::uint64_t remaining = 0;
    std::uint64_t processed = 0;  // also the file offset of the next chunk
    FragmentTable split;
};

// Told the percentage of the file read so far, only when it changed.
using ScanProgress = std::function<void(int percent)>;
// Opens a file for reading; nullptr when it cannot be opened.
using FileOpener = std::function<std::unique_ptr<ByteSource>(const std::string& path)>;

// The checks of the options dialog's Start button: the file must exist (else message 1046
// with the path) and at least one method must be chosen (else 1047). True when the scan
// may start.
bool CheckScanStart(Session& session, const Mp3ScanJob& job);

// The string number of the text that names the chosen methods in the progress dialog:
// 1042 both tag searches, 1043 the ID3v2 tag only, 1044 the ID3v1 records only, 1045 none
// (archives only).
StringId ScanMethodTextId(const Mp3ScanJob& job);

// Opens a regular file as a FileSource. Anything else (a folder, a pipe, a device) is
// refused before it is opened, so that a pipe cannot block the scan.
std::unique_ptr<ByteSource> OpenFileForScan(const std::string& path);

// Shows a percentage unless it is the one shown last.
void ShowScanProgress(Mp3ScanJob& job, int percent, const ScanProgress& progress);

// The whole scan. Questions and messages go to session.ui; a track list found replaces
// the document.
void RunMp3ScanWorker(Session& session, Mp3ScanJob& job, const ScanProgress& progress = {},
                      const FileOpener& open = OpenFileForScan);

// After a cue sheet or an album-wrapper header was taken over: names the audio file after
// the MP3 file when the list names none, measures the total when it is not known.
void CompleteExtractedList(Session& session, const Mp3ScanJob& job, ByteSource& file);

// The text of a system error code in the user's language (Windows-1252).
std::string SystemErrorText(int errorCode);

}  // namespace tracklore
