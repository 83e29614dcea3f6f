#pragma once

#include <string>
#include <vector>

#include "flows/Session.h"
#include "mp3/Id3v1Split.h"
#include "mp3/Mp3Scan.h"

namespace tracklore {

// The results dialog of the ID3v1 split: shows the fragments found and answers Yes (build
// the track list from them) or No.
class FragmentChooser {
  public:
    virtual ~FragmentChooser() = default;
    virtual MsgResult ChooseFragments(const std::string& heading,
                                      const std::vector<FragmentRow>& rows) = 0;
};

// The checks of the options dialog's Start button: the file must exist (else FileNotFound
// with the path) and at least one method (the chapters counting as one) must be chosen (else
// NoMethodChosen). True when the
// scan may start.
bool CheckScanStart(Session& session, const Mp3ScanJob& job);

// The scan's questions asked through the platform (safe from the scan's thread): whether to
// extract what the tag holds (a cue sheet, an album-wrapper header, chapters: Yes/No/Cancel,
// Yes the default, caption ScanCaption), what to do about a chunk
// that cannot be read (Abort/Retry/Ignore with the system's text), and that a track of an
// album-wrapper header does not measure (NoMpegHeaderInFragment).
Mp3ScanHooks ScanHooks(Session& session);

// The end of a scan, on the thread that owns the document: a list taken from the tag replaces
// the document (with the cue sheet's message first when it refused a line); an archive or
// media signature is told; the fragments of the ID3v1 split go through the results dialog and,
// on Yes, become the track list; a scan that found nothing says so.
void FinishMp3Scan(Session& session, Mp3ScanJob& job, FragmentChooser& chooser,
                   const FileOpener& open = OpenFileForScan);

// The scan run to its end on the calling thread (the console, the tests): the job with
// ScanHooks, then FinishMp3Scan.
void RunMp3ScanWorker(Session& session, Mp3ScanJob& job, FragmentChooser& chooser,
                      const ScanProgress& progress = {}, const FileOpener& open = OpenFileForScan);

// Replaces the document by an album-wrapper header's track list (see ReadAlbumWrapHeader in
// mp3/Id3.h). False when a frame is missing (the document is then untouched) or a track does
// not measure (NoMpegHeaderInFragment; the tracks before it stay).
bool ReadAlbumWrapHeader(Session& session, ByteSource& file, const unsigned char* buffer,
                         std::size_t length);

}  // namespace tracklore
