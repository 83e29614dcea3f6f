#include <algorithm>
// Arbitrary track lists written as CUE and XMCD and read back must come back the same, for
// every value the formats can carry. Values they cannot carry are made carriable first:
// - no control characters (lines end at LF) in any text;
// - texts the readers trim lose their blanks at both ends (album fields; XMCD splits);
// - no artist/title separator where a reader splits at it (XMCD album artist and performers,
//   XMCD titles of tracks by the album artist);
// - album artist and performers not empty, disc ID not empty (readers fill these in);
// - in a cue sheet: no ";" and no leading double quote in year, genre and disc ID (REM
//   lines), the first track at frame 150 or later, ascending starts, M:S:F mode;
// - a total of at most MaxTotalSeconds (readers hold larger ones at that bound).
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "FuzzSupport.h"
#include "flows/Reading.h"
#include "formats/CueSheet.h"
#include "formats/Xmcd.h"
#include "model/Text.h"

namespace tracklore {
namespace {

std::string Printable(std::string text) {
    std::string out;
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 32 && c != 0x7F) {
            out += c;
        }
    }
    return out;
}

std::string NoSeparators(std::string text) {
    for (char& c : text) {
        if (c == '/') {
            c = '+';
        }
    }
    std::size_t at;
    while ((at = text.find(" - ")) != std::string::npos) {
        text[at + 1] = '~';
    }
    return text;
}

std::string Solid(std::string text, const char* fallback) {
    text = Trim(text);
    while (!text.empty() && text.front() == ' ') {
        text.erase(text.begin());
    }
    return text.empty() ? std::string(fallback) : text;
}

std::string RemValue(std::string text, const char* fallback) {
    for (char& c : text) {
        if (c == ';') {
            c = ',';
        }
    }
    if (!text.empty() && text.front() == '"') {
        text[0] = 'q';
    }
    return Solid(text, fallback);
}

template <typename Field>
std::string Cut(FuzzedDataProvider& in, std::size_t max) {
    return Printable(in.ConsumeRandomLengthString(max));
}

bool Same(const TrackList& a, const TrackList& b) {
    if (a.trackCount != b.trackCount || a.cd.title != b.cd.title || a.cd.artist != b.cd.artist ||
        a.cd.year != b.cd.year || a.cd.genre != b.cd.genre || a.cd.discId != b.cd.discId ||
        a.cd.totalSeconds != b.cd.totalSeconds) {
        return false;
    }
    for (int i = 0; i < a.trackCount; ++i) {
        if (a.tracks[i].title != b.tracks[i].title ||
            a.tracks[i].performer != b.tracks[i].performer ||
            a.tracks[i].start != b.tracks[i].start) {
            return false;
        }
    }
    return true;
}

}  // namespace
}  // namespace tracklore

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tracklore;
    FuzzedDataProvider in(data, size);
    const bool forCue = in.ConsumeBool();
    TrackList doc;
    std::string artist = Solid(NoSeparators(Cut<void>(in, 127)), "Band");
    doc.cd.artist = artist;
    doc.cd.artist = Solid(doc.cd.artist.str(), "Band");
    std::string title = Solid(Cut<void>(in, 127), "Album");
    doc.cd.title = title;
    doc.cd.title = Solid(doc.cd.title.str(), "Album");
    doc.cd.year = forCue ? RemValue(Cut<void>(in, 4), "2000") : Cut<void>(in, 4);
    doc.cd.genre = forCue ? RemValue(Cut<void>(in, 52), "Pop") : Cut<void>(in, 52);
    doc.cd.discId = forCue ? RemValue(Cut<void>(in, 9), "id") : Cut<void>(in, 9);
    if (doc.cd.discId.empty()) {
        doc.cd.discId = "id";
    }
    // A comma separates the IDs of an XMCD record that lists several discs.
    std::string id = doc.cd.discId.str();
    std::replace(id.begin(), id.end(), ',', '.');
    doc.cd.discId = id;
    if (forCue) {
        // re-cut values may end in a blank again
        doc.cd.year = RemValue(doc.cd.year.str(), "2000");
        doc.cd.genre = RemValue(doc.cd.genre.str(), "Pop");
        doc.cd.discId = RemValue(doc.cd.discId.str(), "id");
    }
    doc.trackCount = in.ConsumeIntegralInRange<int>(0, MaxTracks);
    std::int32_t start = forCue ? in.ConsumeIntegralInRange<std::int32_t>(LeadInFrames, 1000000)
                                : in.ConsumeIntegralInRange<std::int32_t>(-1000000, 1000000);
    for (int i = 0; i < doc.trackCount; ++i) {
        Track& track = doc.tracks[i];
        bool albumArtist = in.ConsumeBool();
        std::string performer = albumArtist ? doc.cd.artist.str() : Cut<void>(in, 299);
        std::string trackTitle = Cut<void>(in, 299);
        if (forCue) {
            track.performer = performer.empty() ? std::string("P") : performer;
            track.title = trackTitle;
        } else {
            track.performer = Solid(NoSeparators(performer), "P");
            if (track.performer.str() != doc.cd.artist.str()) {
                track.title = Solid(trackTitle, "T");
            } else {
                track.title = Solid(NoSeparators(trackTitle), "T");
            }
            track.title = Solid(track.title.str(), "T");
        }
        track.start = start;
        start += forCue ? in.ConsumeIntegralInRange<std::int32_t>(0, 400000)
                        : in.ConsumeIntegralInRange<std::int32_t>(-400000, 400000);
    }
    doc.cd.totalSeconds = in.ConsumeIntegralInRange<std::int32_t>(0, MaxTotalSeconds);

    fuzz::Harness h;
    if (forCue) {
        TrackList written = doc;
        std::string text = WriteCueSheet(written, TimeFormat::Msf);
        FUZZ_CHECK(ReadCueSheet(h.session, text, ""));
    } else {
        FUZZ_CHECK(ReadXmcd(h.session, WriteXmcd(doc)));
        FUZZ_CHECK(h.ui.messages.empty());
    }
    FUZZ_CHECK(Same(doc, h.doc));
    return 0;
}
