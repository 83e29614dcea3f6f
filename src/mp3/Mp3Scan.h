#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "formats/ReadError.h"
#include "model/Encoding.h"
#include "model/TrackList.h"
#include "mp3/ByteSource.h"
#include "mp3/Id3v1Split.h"

namespace tracklore {

// The scan of one MP3 file that holds a whole album. The file is read once, front to back,
// in chunks of ScanChunkSize bytes. The first chunk is searched for a cue sheet stored in
// the ID3v2 tag (a sheet that starts there and runs on past it is read on to its end) and
// for an album-wrapper header, and tested for archive and media signatures; every chunk is searched
// for the ID3v1 records of joined tracks.
//
// The scan is a job: one synchronous call that asks its questions through hooks and leaves
// what it found in the Mp3ScanJob; it never touches the document. The editor runs it on a
// thread while its progress dialog is shown and may request a cancel from the user-interface
// thread; the scan flow (flows/Mp3ScanFlow.h) then shows the results and applies them.
struct Mp3ScanJob {
    std::string path;
    bool findCueTag = true;      // cue sheet or album-wrapper header in the ID3v2 tag
    bool findChapters = true;    // the chapter table of the ID3v2 tag (mp3/Chapters.h)
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
    // The time format the cue sheet in the tag is read with.
    TimeFormat timeFormat = TimeFormat::Msf;

    // What the scan found, for the flow to apply:
    bool openFailed = false;  // the file could not be opened
    // The last track list taken from the tag: a cue sheet or an album-wrapper header (with
    // the audio file name and total completed from the MP3 file), or the tracks of such a
    // header before the first one that did not measure.
    std::optional<TrackList> list;
    bool listExtracted = false;             // the list was taken over (not a partial header)
    std::optional<ReadError> extractError;  // the cue sheet in the tag refused a line
    StringId signature = StringId::None;    // the archive or media message that ended the scan
};

// The answers to the scan's questions.
enum class ExtractAnswer { Yes, No, Cancel };
enum class ReadErrorAnswer { Abort, Retry, Ignore };

// A find in the ID3v2 tag that is offered for extraction: a cue sheet (with the name of the
// program that wrote it, when the tag names one), an album-wrapper header (with its album) or
// a chapter table (with its number of chapters).
struct ExtractOffer {
    enum class Kind { CueSheet, CueSheetByWriter, AlbumWrap, Chapters };
    Kind kind = Kind::CueSheet;
    std::string name;
    int count = 0;
};

// How the scan asks while it runs. Without an answer it takes "No" to an offer (go on
// searching) and "Abort" for a read error.
struct Mp3ScanHooks {
    std::function<ExtractAnswer(const ExtractOffer&)> offer;
    // A chunk could not be read (`error` holds errno).
    std::function<ReadErrorAnswer(int error)> readError;
    // A track of an album-wrapper header taken over does not measure as MPEG audio.
    std::function<void(int track)> trackNotMeasured;
    // The code page of texts in the tag that carry no mark and are not UTF-8 (the legacy
    // code page setting): a cue sheet is decoded as a cue sheet file is opened.
    std::string legacyCodePage = DefaultLegacyCodePage;
};

// Told the percentage of the file read so far, only when it changed.
using ScanProgress = std::function<void(int percent)>;
// Opens a file for reading; nullptr when it cannot be opened.
using FileOpener = std::function<std::unique_ptr<ByteSource>(const std::string& path)>;

// The string number of the text that names the chosen methods in the progress dialog:
// MethodBothTags, MethodId3v2 (the ID3v2 tag only), MethodId3v1 (the ID3v1 records only),
// MethodArchivesOnly.
StringId ScanMethodTextId(const Mp3ScanJob& job);

// Opens a regular file as a FileSource. Anything else (a folder, a pipe, a device) is
// refused before it is opened, so that a pipe cannot block the scan.
std::unique_ptr<ByteSource> OpenFileForScan(const std::string& path);

// Shows a percentage unless it is the one shown last.
void ShowScanProgress(Mp3ScanJob& job, int percent, const ScanProgress& progress);

// The whole scan, a job: reads the file chunk by chunk, asks through the hooks, and leaves its
// finds in the job (the fragments of the ID3v1 split complete, the file's end included).
void ScanMp3File(Mp3ScanJob& job, const Mp3ScanHooks& hooks, const ScanProgress& progress = {},
                 const FileOpener& open = OpenFileForScan);

// After a cue sheet or an album-wrapper header was taken over: names the audio file after
// the MP3 file (its name as text) when the list names none, measures the total when it is
// not known.
void CompleteExtractedList(TrackList& list, const Mp3ScanJob& job, ByteSource& file);

// The text of a system error code in the user's language.
std::string SystemErrorText(int errorCode);

}  // namespace tracklore
