#include <string>

#include "FuzzSupport.h"
#include "flows/DocumentFlow.h"
#include "flows/EditingCommands.h"
#include "flows/Reading.h"
#include "formats/CueSheet.h"
#include "formats/Xmcd.h"
#include "model/WindowTexts.h"

// The content recognition of opening a file: bytes as read from disk, text-mode conversion,
// XMCD first, then CUE. Whatever was read is then written, shown and edited as the editor
// would, so that hostile totals and offsets meet every place that computes with them.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tracklore;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzz::Harness h;
    int kind = ReadDocumentText(h.session, DecodeDocumentBytes(bytes, "windows-1252").text, "");
    FUZZ_CHECK(kind == 0 || kind == DocumentKindCue || kind == DocumentKindXmcd);
    fuzz::CheckTrackList(h.doc);
    if (kind == 0) {
        FUZZ_CHECK(h.doc.trackCount == 0);
        return 0;
    }
    if (FirstTrackBeforeCueOrigin(h.doc) == 0) {
        TrackList copy = h.doc;
        const std::string sheet = WriteCueSheet(copy, TimeFormat::Msf);
        // No time line holds a minus sign.
        for (std::size_t pos = 0; pos < sheet.size();) {
            std::size_t end = sheet.find("\r\n", pos);
            std::string_view line(sheet.data() + pos, end - pos);
            if (line.starts_with("    INDEX 01 ") || line.starts_with("    PREGAP ") ||
                line.starts_with("REM Time  : ")) {
                FUZZ_CHECK(line.find('-') == std::string_view::npos);
            }
            pos = end + 2;
        }
    }
    WriteXmcd(h.doc);
    StatusBarTexts(h.doc, TimeFormat::Msh, h.session.strings);
    for (int i = 0; i < h.doc.trackCount; ++i) {
        TrackRowTexts(h.doc, i, TimeFormat::Msf, h.session.strings);
        h.ui.SetSelection(i);
        MoveTrackDown(h.session);
        h.ui.SetSelection(i);
        MoveTrackUp(h.session);
        TrackProperties shown = LoadTrackProperties(h.doc, i, TimeFormat::Msf);
        ConfirmTrackProperties(h.session, i, shown, {"99:59:74", "t", "p"}, {});
    }
    h.ui.SetSelection(0);
    InsertNewTrack(h.session);
    DeleteTrack(h.session);
    fuzz::CheckTrackList(h.doc);
    return 0;
}
