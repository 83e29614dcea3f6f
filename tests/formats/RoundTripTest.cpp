// Writing a track list and reading it back must give the same list, for every list the two
// formats can carry. What they cannot carry, and the generator therefore avoids:
// - texts with line breaks or other control characters (lines end at LF);
// - leading or trailing blanks in texts that the readers trim (album title and artist,
//   year, genre and disc ID of a cue sheet; the artist/title splits of XMCD);
// - an artist/title separator (" / ", " - ", "/") where the readers split at it: in an XMCD
//   album artist or track performer, and in an XMCD track title whose performer is the album
//   artist;
// - an empty album artist or track performer (the readers fill them in), an empty disc ID
//   (computed on reading), an audio file name with a separator;
// - a ";" in a cue sheet's year, genre or disc ID (REM lines end at a comment), and a
//   double quote at the start of one (REM values are unquoted);
// - in a cue sheet, a first track that starts before frame 150 (no INDEX time reaches it),
//   starts that do not ascend, and M:S:H mode (INDEX hundredths are rounded down).
#include <gtest/gtest.h>
#include <algorithm>

#include <random>

#include "flows/DocumentFlow.h"
#include "flows/Reading.h"
#include "formats/CueSheet.h"
#include "formats/Xmcd.h"
#include "model/Text.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::Fixture;

class ListGenerator {
  public:
    explicit ListGenerator(unsigned seed) : rng_(seed) {}

    // Text of up to maxLength bytes from printable ASCII and Windows-1252 letters, without
    // control characters. `separators` allows "/" (and so " / " and " - ").
    std::string Text(std::size_t maxLength, bool separators, bool edgeBlanks) {
        static const std::string plain =
            "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,;:!?'\"()[]&#=+_*<>|"
            "\xc4\xd6\xdc\xe4\xf6\xfc\xdf\xe9\xe8\x80\x96\x93\x94\xa0\xe7";
        std::uniform_int_distribution<int> lengthKind(0, 9);
        std::size_t length = 0;
        switch (lengthKind(rng_)) {
            case 0:
                length = 1;
                break;
            case 1:
                length = maxLength;
                break;  // full field
            default:
                length = std::uniform_int_distribution<std::size_t>(
                    1, std::min<std::size_t>(maxLength, 40))(rng_);
        }
        std::uniform_int_distribution<std::size_t> pick(0, plain.size() - 1);
        std::string text;
        while (text.size() < length) {
            if (separators && std::uniform_int_distribution<int>(0, 30)(rng_) == 0) {
                text += std::uniform_int_distribution<int>(0, 1)(rng_) ? "/" : " - ";
            } else {
                text += plain[pick(rng_)];
            }
        }
        text.resize(length);
        if (!separators) {
            // no "/" at all, and no " - "
            for (char& c : text) {
                if (c == '/') {
                    c = '+';
                }
            }
            std::size_t at;
            while ((at = text.find(" - ")) != std::string::npos) {
                text[at + 1] = '~';
            }
        }
        if (!edgeBlanks) {
            text = Trim(text);
            while (!text.empty() && (text.front() == ' ')) {
                text.erase(text.begin());
            }
            if (text.empty()) {
                text = "x";
            }
        }
        return text;
    }

    // `firstStart` is the first track's start; -1 picks one.
    TrackList List(bool forCue, std::int32_t firstStart = -1) {
        TrackList doc;
        doc.cd.title = Text(127, true, false);
        doc.cd.artist = Text(127, false, false);
        doc.cd.year = Text(4, true, false);
        doc.cd.genre = Text(52, true, false);
        doc.cd.discId = Text(9, true, false);
        doc.cd.audioFile = Text(60, false, false);
        // A cue sheet's REM values and FILE name go through Unquote: avoid a leading quote.
        auto noLeadingQuote = [forCue](auto& field) {
            if (!forCue) {
                return;
            }
            std::string value = field.str();
            if (value.front() == '"') {
                value[0] = 'q';
            }
            for (char& c : value) {
                if (c == ';') {
                    c = ',';  // a REM value ends at its first ";"
                }
            }
            field = value;
        };
        noLeadingQuote(doc.cd.year);
        noLeadingQuote(doc.cd.genre);
        noLeadingQuote(doc.cd.discId);
        // A comma separates the IDs of a record that lists several.
        std::string id = doc.cd.discId.str();
        std::replace(id.begin(), id.end(), ',', '.');
        doc.cd.discId = id;
        std::string audio = doc.cd.audioFile;
        for (char& c : audio) {
            if (c == '\\') {
                c = '-';
            }
        }
        doc.cd.audioFile = audio;
        doc.trackCount = std::uniform_int_distribution<int>(0, MaxTracks)(rng_);
        std::int32_t start = firstStart >= 0 ? firstStart
                             : forCue        ? std::uniform_int_distribution<int>(150, 30000)(rng_)
                                             : std::uniform_int_distribution<int>(0, 300)(rng_);
        for (int i = 0; i < doc.trackCount; ++i) {
            Track& track = doc.tracks[i];
            bool sameArtist = std::uniform_int_distribution<int>(0, 2)(rng_) == 0;
            track.performer = sameArtist ? doc.cd.artist.str() : Text(299, false, forCue);
            if (!sameArtist && track.performer == doc.cd.artist.str()) {
                track.performer = track.performer.str().substr(0, 298) + "p";
            }
            // XMCD keeps a title with separators only behind a performer of its own.
            bool titleSeparators = !forCue ? !sameArtist : true;
            track.title = Text(299, titleSeparators, forCue);
            if (!forCue) {
                track.title = Trim(track.title);
                if (track.title.empty()) {
                    track.title = "t";
                }
                std::string title = track.title;
                while (!title.empty() && title.front() == ' ') {
                    title.erase(title.begin());
                }
                track.title = title;
            }
            track.start = start;
            start += std::uniform_int_distribution<int>(150, 30000)(rng_);
        }
        doc.cd.totalSeconds =
            std::uniform_int_distribution<int>(0, 3)(rng_) == 0 ? 0 : start / FramesPerSecond + 1;
        return doc;
    }

  private:
    std::mt19937 rng_;
};

void ExpectSameList(const TrackList& expected, const TrackList& actual, bool compareAudioFile) {
    ASSERT_EQ(actual.trackCount, expected.trackCount);
    EXPECT_EQ(actual.cd.title, expected.cd.title);
    EXPECT_EQ(actual.cd.artist, expected.cd.artist);
    EXPECT_EQ(actual.cd.year, expected.cd.year);
    EXPECT_EQ(actual.cd.genre, expected.cd.genre);
    EXPECT_EQ(actual.cd.discId, expected.cd.discId);
    EXPECT_EQ(actual.cd.totalSeconds, expected.cd.totalSeconds);
    if (compareAudioFile) {
        EXPECT_EQ(actual.cd.audioFile, expected.cd.audioFile);
    }
    for (int i = 0; i < expected.trackCount; ++i) {
        EXPECT_EQ(actual.tracks[i].start, expected.tracks[i].start) << "track " << i;
        EXPECT_EQ(actual.tracks[i].title, expected.tracks[i].title) << "track " << i;
        EXPECT_EQ(actual.tracks[i].performer, expected.tracks[i].performer) << "track " << i;
    }
}

TEST(RoundTrip, CueSheetsOfGeneratedLists) {
    // First starts at the usual lead-in, just after it, ten seconds in, and anywhere later.
    const std::int32_t firstStarts[] = {150, 182, 900, -1};
    for (unsigned seed = 1; seed <= 300; ++seed) {
        ListGenerator generator(seed);
        TrackList original = generator.List(true, firstStarts[seed % 4]);
        TrackList written = original;
        std::string text = WriteCueSheet(written, TimeFormat::Msf);
        test::Fixture f;
        ASSERT_TRUE(ReadCueSheet(f.session, text, "")) << "seed " << seed << "\n" << text;
        SCOPED_TRACE("seed " + std::to_string(seed));
        ExpectSameList(original, f.doc, true);
        if (HasFailure()) {
            ADD_FAILURE() << text;
            return;
        }
    }
}

TEST(RoundTrip, XmcdOfGeneratedLists) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        ListGenerator generator(seed);
        TrackList original = generator.List(false);
        std::string text = WriteXmcd(original);
        test::Fixture f;
        ASSERT_TRUE(ReadXmcd(f.session, text));
        ASSERT_TRUE(f.ui.messages.empty()) << f.ui.messages[0].text << "\n" << text;
        SCOPED_TRACE("seed " + std::to_string(seed));
        ExpectSameList(original, f.doc, false);
        if (HasFailure()) {
            ADD_FAILURE() << text;
            return;
        }
    }
}

// Documents as other programs wrote them, opened and saved as a cue sheet unedited, read back
// with the same starts and performers.
TEST(RoundTrip, OpenedDocumentsSavedAsCueSheets) {
    struct Case {
        const char* name;
        std::string text;
    };
    const Case cases[] = {
        {"example",
         test::ReadFileBytes(std::string(TRACKLORE_SOURCE_DIR) + "/examples/beispiel.cue")},
        // A DJ mix whose music starts ten seconds into the file.
        {"mix",
         "PERFORMER \"DJ Kurt\"\nTITLE \"Nachtschicht\"\nFILE \"mix.mp3\" MP3\n"
         "  TRACK 01 AUDIO\n    TITLE \"Intro\"\n    INDEX 01 00:10:00\n"
         "  TRACK 02 AUDIO\n    TITLE \"Zwei\"\n    PERFORMER \"Gast\"\n"
         "    INDEX 01 04:31:17\n  TRACK 03 AUDIO\n    TITLE \"Drei\"\n"
         "    INDEX 01 09:02:74\n"},
        // Performers that equal the album artist, under an album title with a separator.
        {"separator",
         "TITLE \"Schiller - Leben\"\nPERFORMER \"Schiller\"\nFILE \"a.mp3\" MP3\n"
         "TRACK 01 AUDIO\nTITLE \"Eins\"\nPERFORMER \"Schiller\"\nINDEX 01 00:00:00\n"
         "TRACK 02 AUDIO\nTITLE \"Zwei\"\nPERFORMER \"Schiller\"\nINDEX 01 03:00:00\n"},
        // CD database records whose first track starts after the usual lead-in.
        {"xmcd 182",
         "# xmcd\n# Track frame offsets:\n#\t182\n#\t21057\n#\t38311\n#\n"
         "# Disc length: 812 seconds\n#\nDISCID=2a032c03\n"
         "DTITLE=Various / Sampler - Sommer\nTTITLE0=Eins / Erster\n"
         "TTITLE1=Zwei\nTTITLE2=Drei - Dritter\n"},
        {"xmcd 15370",
         "# xmcd\n# Track frame offsets:\n# 15370\n# 60112\n#\n"
         "# Disc length: 1500 seconds\n#\nDTITLE=Band / Live\nTTITLE0=A\n"
         "TTITLE1=B\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture opened;
        ASSERT_NE(ReadDocumentText(opened.session, DocumentTextFromBytes(c.text), ""), 0);
        ASSERT_TRUE(opened.ui.messages.empty());
        ASSERT_GE(opened.doc.tracks[0].start, LeadInFrames);
        TrackList written = opened.doc;
        const std::string sheet = WriteCueSheet(written, TimeFormat::Msf);
        Fixture again;
        ASSERT_TRUE(ReadCueSheet(again.session, sheet, "")) << sheet;
        ASSERT_EQ(again.doc.trackCount, opened.doc.trackCount);
        for (int i = 0; i < opened.doc.trackCount; ++i) {
            EXPECT_EQ(again.doc.tracks[i].start, opened.doc.tracks[i].start) << i << "\n" << sheet;
            EXPECT_EQ(again.doc.tracks[i].performer, opened.doc.tracks[i].performer) << i;
            EXPECT_EQ(again.doc.tracks[i].title, opened.doc.tracks[i].title) << i;
        }
    }
}

TEST(RoundTrip, MaximumFieldsThroughBothFormats) {
    TrackList doc;
    doc.cd.title = std::string(127, '\xe4');
    doc.cd.artist = std::string(127, '"');
    doc.cd.year = "9999";
    doc.cd.genre = std::string(52, 'g');
    doc.cd.discId = "ffffffff0";
    doc.cd.totalSeconds = 99 * 4000;
    doc.trackCount = 99;
    for (int i = 0; i < 99; ++i) {
        doc.tracks[i].title = std::string(299, static_cast<char>('a' + i % 26));
        doc.tracks[i].performer = std::string(299, '\xdf');
        doc.tracks[i].start = 150 + i * 4000 * 75;
    }
    TrackList written = doc;
    test::Fixture cue;
    ASSERT_TRUE(ReadCueSheet(cue.session, WriteCueSheet(written, TimeFormat::Msf), ""));
    ExpectSameList(doc, cue.doc, false);
    test::Fixture xmcd;
    ASSERT_TRUE(ReadXmcd(xmcd.session, WriteXmcd(doc)));
    ExpectSameList(doc, xmcd.doc, false);
}

}  // namespace
}  // namespace tracklore
