#include "flows/EditingCommands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/Time.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::Fixture;

// Tracks named T1, T2 ... by P1, P2 ... at the given starts.
void Fill(TrackList& doc, const std::vector<std::int32_t>& starts, std::int32_t totalSeconds) {
    doc.trackCount = static_cast<int>(starts.size());
    for (std::size_t i = 0; i < starts.size(); ++i) {
        doc.tracks[i].start = starts[i];
        doc.tracks[i].title = "T" + std::to_string(i + 1);
        doc.tracks[i].performer = "P" + std::to_string(i + 1);
    }
    doc.cd.totalSeconds = totalSeconds;
    doc.cd.discId = ComputeDiscId(doc);
}

std::vector<std::int32_t> Starts(const TrackList& doc) {
    std::vector<std::int32_t> starts;
    for (int i = 0; i < doc.trackCount; ++i) {
        starts.push_back(doc.tracks[i].start);
    }
    return starts;
}

std::vector<std::string> Titles(const TrackList& doc) {
    std::vector<std::string> titles;
    for (int i = 0; i < doc.trackCount; ++i) {
        titles.push_back(doc.tracks[i].title.str());
    }
    return titles;
}

// ---- Insert ---------------------------------------------------------------------------

TEST(InsertNewTrack, OnEmptyListStartsAtLeadInWithThreeMinutes) {
    Fixture f;
    f.doc.cd.artist = "Die Band";
    int index = InsertNewTrack(f.session);
    ASSERT_EQ(index, 0);
    EXPECT_EQ(f.doc.trackCount, 1);
    EXPECT_EQ(f.doc.tracks[0].title, "Neuer Track");
    EXPECT_EQ(f.doc.tracks[0].performer, "Die Band");
    EXPECT_EQ(f.doc.tracks[0].start, 150);
    EXPECT_EQ(f.doc.cd.totalSeconds, 182);  // nearest(13650 / 75)
    EXPECT_EQ(f.doc.cd.discId, ComputeDiscId(f.doc));
    EXPECT_TRUE(f.doc.modified);
    EXPECT_EQ(f.ui.refreshCount, 1);
    EXPECT_EQ(f.ui.SelectedTrack(), 0);
    // What the properties dialog then shows.
    TrackProperties shown = LoadTrackProperties(f.doc, index, TimeFormat::Msf);
    EXPECT_EQ(shown.lengthText, "03:00:00");
    EXPECT_EQ(shown.number, 1);
    EXPECT_EQ(Number(shown.lengthLabelId), 1021);
}

TEST(InsertNewTrack, BeforeSelectedShiftsLaterStartsAndKnownTotal) {
    Fixture f;
    Fill(f.doc, {150, 15000, 30000}, 500);
    f.ui.SetSelection(1);
    int index = InsertNewTrack(f.session);
    ASSERT_EQ(index, 1);
    EXPECT_EQ(Starts(f.doc), (std::vector<std::int32_t>{150, 15000, 28500, 43500}));
    EXPECT_EQ(Titles(f.doc), (std::vector<std::string>{"T1", "Neuer Track", "T2", "T3"}));
    EXPECT_EQ(f.doc.cd.totalSeconds, 680);
    EXPECT_EQ(TrackLength(f.doc, 1), 13500);
    EXPECT_EQ(TrackLength(f.doc, 2), 15000);  // the old track 2 keeps its length
    EXPECT_EQ(f.doc.cd.discId, ComputeDiscId(f.doc));
}

TEST(InsertNewTrack, AppendsAfterLastOfKnownLength) {
    Fixture f;
    Fill(f.doc, {150, 15000}, 300);
    int index = InsertNewTrack(f.session);
    ASSERT_EQ(index, 2);
    EXPECT_EQ(f.doc.tracks[2].start, 22500);  // where the last track ended
    EXPECT_EQ(f.doc.cd.totalSeconds, 480);
}

TEST(InsertNewTrack, RefusedWhenLastLengthUnknownOrListFull) {
    Fixture f;
    Fill(f.doc, {150, 15000}, 0);
    EXPECT_EQ(InsertNewTrack(f.session), -1);
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{1091});
    EXPECT_EQ(f.doc.trackCount, 2);
    EXPECT_FALSE(f.doc.modified);

    Fixture full;
    std::vector<std::int32_t> starts;
    for (int i = 0; i < MaxTracks; ++i) {
        starts.push_back(150 + i * 1000);
    }
    Fill(full.doc, starts, 2000);
    EXPECT_EQ(InsertNewTrack(full.session), -1);
    EXPECT_EQ(full.ui.MessageIds(), std::vector<int>{1089});
    EXPECT_EQ(full.doc.trackCount, MaxTracks);
}

TEST(InsertTrack, UnknownLengthBeforeOthersAndQuietFlag) {
    Fixture f;
    Fill(f.doc, {150, 15000}, 300);
    f.ui.SetSelection(0);
    NewTrack open{"X", "Y", UnknownLength};
    EXPECT_EQ(InsertTrack(f.session, open, false), -1);
    EXPECT_EQ(InsertTrack(f.session, open, true), -1);
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{1093});  // the quiet one said nothing
    // The warning about an unknown last length is given even when quiet.
    Fixture g;
    Fill(g.doc, {150}, 0);
    EXPECT_EQ(InsertTrack(g.session, NewTrack{"X", "Y", 1000}, true), -1);
    EXPECT_EQ(g.ui.MessageIds(), std::vector<int>{1091});
    // Insert changes neither the modified mark nor the window.
    EXPECT_FALSE(g.doc.modified);
    EXPECT_EQ(g.ui.refreshCount, 0);
}

TEST(InsertTrack, AppendOfUnknownLengthClearsTotalAndTextsAreCut) {
    Fixture f;
    Fill(f.doc, {150}, 100);
    NewTrack track{std::string(400, 't'), std::string(400, 'p'), UnknownLength};
    EXPECT_EQ(InsertTrack(f.session, track, false), 1);
    EXPECT_EQ(f.doc.cd.totalSeconds, 0);
    EXPECT_EQ(f.doc.tracks[1].start, 7500);
    EXPECT_EQ(f.doc.tracks[1].title.size(), 299u);
    EXPECT_EQ(f.doc.tracks[1].performer.size(), 299u);
    EXPECT_EQ(f.doc.cd.discId, "00000000");
}

// ---- Delete ---------------------------------------------------------------------------

TEST(DeleteTrack, OnlyTrackWithKnownTotalLeavesTwoSecondsThenInsertStartsAgain) {
    Fixture f;
    Fill(f.doc, {150}, 300);
    f.ui.SetSelection(0);
    DeleteTrack(f.session);
    EXPECT_EQ(f.doc.trackCount, 0);
    EXPECT_EQ(f.doc.cd.totalSeconds, 2);  // nearest(150 / 75)
    EXPECT_EQ(f.doc.cd.discId, ComputeDiscId(f.doc));
    EXPECT_NE(f.doc.cd.discId, "00000000");
    EXPECT_EQ(f.ui.SelectedTrack(), -1);
    EXPECT_TRUE(f.doc.modified);
    ASSERT_EQ(InsertNewTrack(f.session), 0);
    EXPECT_EQ(f.doc.tracks[0].start, 150);
    EXPECT_EQ(f.doc.cd.totalSeconds, 182);
}

TEST(DeleteTrack, MiddleTrackPullsLaterStartsBack) {
    Fixture f;
    Fill(f.doc, {150, 15000, 30000}, 500);
    f.ui.SetSelection(1);
    DeleteTrack(f.session);
    EXPECT_EQ(Starts(f.doc), (std::vector<std::int32_t>{150, 15000}));
    EXPECT_EQ(Titles(f.doc), (std::vector<std::string>{"T1", "T3"}));
    EXPECT_EQ(f.doc.cd.totalSeconds, 300);
    EXPECT_TRUE(f.doc.tracks[2].title.empty());  // the record that was last is cleared
}

TEST(DeleteTrack, LastOfUnknownLengthGivesPreviousTrackAnEnd) {
    Fixture f;
    Fill(f.doc, {150, 15000, 30037}, 0);
    f.ui.SetSelection(2);
    DeleteTrack(f.session);
    EXPECT_EQ(f.doc.trackCount, 2);
    EXPECT_EQ(f.doc.cd.totalSeconds, 400);  // nearest(30037 / 75) = nearest(400.49)
    EXPECT_EQ(TrackLength(f.doc, 1), 15000);
}

TEST(DeleteTrack, NothingSelectedDoesNothing) {
    Fixture f;
    Fill(f.doc, {150, 15000}, 300);
    DeleteTrack(f.session);
    CutTrack(f.session);
    CopyTrack(f.session);
    EXPECT_EQ(f.doc.trackCount, 2);
    EXPECT_FALSE(f.doc.modified);
    EXPECT_FALSE(f.ui.ClipboardHasText());
    EXPECT_EQ(f.ui.refreshCount, 0);
}

// ---- Move -----------------------------------------------------------------------------

TEST(MoveTrack, UpKeepsLengthsAndFollowsTheTrack) {
    Fixture f;
    Fill(f.doc, {150, 15000, 20000}, 500);
    f.ui.SetSelection(1);
    EXPECT_TRUE(MoveTrackUp(f.session));
    EXPECT_EQ(Titles(f.doc), (std::vector<std::string>{"T2", "T1", "T3"}));
    EXPECT_EQ(Starts(f.doc), (std::vector<std::int32_t>{150, 5150, 20000}));
    EXPECT_EQ(TrackLength(f.doc, 0), 5000);
    EXPECT_EQ(TrackLength(f.doc, 1), 14850);
    EXPECT_EQ(f.ui.SelectedTrack(), 0);
    EXPECT_EQ(f.ui.trackTextRefreshCount, 1);
    EXPECT_TRUE(f.doc.modified);
    // The first track does not move up; the focus still goes to the list.
    EXPECT_TRUE(MoveTrackUp(f.session));
    EXPECT_EQ(Titles(f.doc), (std::vector<std::string>{"T2", "T1", "T3"}));
}

TEST(MoveTrack, DownKeepsLengthsAndLastDoesNotMove) {
    Fixture f;
    Fill(f.doc, {150, 15000, 20000}, 500);
    f.ui.SetSelection(1);
    EXPECT_TRUE(MoveTrackDown(f.session));
    EXPECT_EQ(Titles(f.doc), (std::vector<std::string>{"T1", "T3", "T2"}));
    EXPECT_EQ(Starts(f.doc), (std::vector<std::int32_t>{150, 15000, 32500}));
    EXPECT_EQ(TrackLength(f.doc, 1), 17500);
    EXPECT_EQ(TrackLength(f.doc, 2), 5000);
    EXPECT_EQ(f.ui.SelectedTrack(), 2);
    EXPECT_TRUE(MoveTrackDown(f.session));
    EXPECT_EQ(Titles(f.doc), (std::vector<std::string>{"T1", "T3", "T2"}));
}

TEST(MoveTrack, TrackOfUnknownLengthNeverMoves) {
    Fixture f;
    Fill(f.doc, {150, 15000, 20000}, 0);
    f.ui.SetSelection(2);
    EXPECT_FALSE(MoveTrackUp(f.session));
    f.ui.SetSelection(1);
    EXPECT_FALSE(MoveTrackDown(f.session));
    EXPECT_EQ(f.ui.MessageIds(), (std::vector<int>{1088, 1088}));
    EXPECT_EQ(Titles(f.doc), (std::vector<std::string>{"T1", "T2", "T3"}));
    EXPECT_EQ(Starts(f.doc), (std::vector<std::int32_t>{150, 15000, 20000}));
    EXPECT_FALSE(f.doc.modified);
}

TEST(SwapTitles, TwiceRestoresTheListButStaysModified) {
    Fixture f;
    Fill(f.doc, {150, 15000}, 300);
    f.ui.SetSelection(1);
    SwapTitles(f.session);
    EXPECT_EQ(f.doc.tracks[0].title, "P1");
    EXPECT_EQ(f.doc.tracks[0].performer, "T1");
    SwapTitles(f.session);
    EXPECT_EQ(Titles(f.doc), (std::vector<std::string>{"T1", "T2"}));
    EXPECT_EQ(f.doc.tracks[1].performer, "P2");
    EXPECT_EQ(Starts(f.doc), (std::vector<std::int32_t>{150, 15000}));
    EXPECT_EQ(f.ui.SelectedTrack(), 1);
    EXPECT_TRUE(f.doc.modified);
}

// ---- Clipboard ------------------------------------------------------------------------

TEST(Clipboard, CopyWritesOneLineAndPasteInsertsBeforeSelection) {
    Fixture f;
    Fill(f.doc, {150, 4803}, 200);  // track 1 lasts 4653 frames
    f.ui.SetSelection(0);
    CopyTrack(f.session);
    EXPECT_EQ(f.ui.Clipboard(), "P1\tT1\t01:02:03\r\n");
    EXPECT_FALSE(f.doc.modified);
    EXPECT_EQ(f.ui.SelectedTrack(), 0);

    PasteTracks(f.session);
    EXPECT_EQ(f.doc.trackCount, 3);
    EXPECT_EQ(Titles(f.doc), (std::vector<std::string>{"T1", "T1", "T2"}));
    EXPECT_EQ(TrackLength(f.doc, 0), 4653);
    EXPECT_EQ(f.doc.tracks[2].start, 4803 + 4653);
    EXPECT_EQ(f.ui.SelectedTrack(), 0);  // the first pasted track
    EXPECT_TRUE(f.ui.messages.empty());
}

TEST(Clipboard, LastOfUnknownLengthCopiesBisEofAndHundredthsFollowTheFormat) {
    Fixture f;
    Fill(f.doc, {150, 4803}, 0);
    EXPECT_EQ(TrackClipboardText(f.doc, 1, TimeFormat::Msf, German()), "P2\tT2\t(bis EOF)\r\n");
    EXPECT_EQ(TrackClipboardText(f.doc, 0, TimeFormat::Msh, German()), "P1\tT1\t01:02:04\r\n");
}

TEST(Clipboard, CutCopiesThenDeletes) {
    Fixture f;
    Fill(f.doc, {150, 15000, 30000}, 500);
    f.ui.SetSelection(2);
    CutTrack(f.session);
    EXPECT_EQ(f.ui.Clipboard(), "P3\tT3\t01:40:00\r\n");
    EXPECT_EQ(f.doc.trackCount, 2);
    EXPECT_EQ(f.doc.cd.totalSeconds, 400);
}

TEST(Paste, ThreeLinesWithOneBadReportsCounts) {
    Fixture f;
    f.ui.SetClipboard("A\tEins\t01:00:00\r\nB only one tab\t01:00:00\r\nC\tDrei\t02:00:00\r\n");
    PasteTracks(f.session);
    EXPECT_EQ(f.doc.trackCount, 2);
    EXPECT_EQ(Titles(f.doc), (std::vector<std::string>{"Eins", "Drei"}));
    EXPECT_EQ(f.doc.tracks[0].performer, "A");
    EXPECT_EQ(Starts(f.doc), (std::vector<std::int32_t>{150, 4650}));
    EXPECT_EQ(f.doc.cd.totalSeconds, 182);  // nearest((150 + 4500 + 9000) / 75)
    ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{1092});
    EXPECT_EQ(f.ui.messages[0].text,
              "2 Tracks erfolgreich eingef\u00fcgt. 1 von 3 Zeilen waren unzul\u00e4ssig.");
    EXPECT_EQ(f.ui.messages[0].captionId, 1001);
    EXPECT_EQ(f.ui.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(f.ui.SelectedTrack(), 0);
    EXPECT_TRUE(f.doc.modified);
}

TEST(Paste, LinesLandInOrderBeforeTheSelection) {
    Fixture f;
    Fill(f.doc, {150, 15000}, 300);
    f.ui.SetSelection(1);
    f.ui.SetClipboard(" A \t Eins \t 00:10:00\r\nB\tZwei\t00:20:00\r\n");
    PasteTracks(f.session);
    EXPECT_EQ(Titles(f.doc), (std::vector<std::string>{"T1", "Eins", "Zwei", "T2"}));
    EXPECT_EQ(f.doc.tracks[1].performer, "A");  // trimmed
    EXPECT_EQ(Starts(f.doc), (std::vector<std::int32_t>{150, 15000, 15750, 17250}));
    EXPECT_EQ(f.doc.cd.totalSeconds, 330);
    EXPECT_EQ(f.ui.SelectedTrack(), 1);
    EXPECT_TRUE(f.ui.messages.empty());
}

TEST(Paste, LineWithoutFinalLineEndIsIgnoredSilently) {
    Fixture f;
    f.ui.SetClipboard("A\tEins\t01:00:00");
    PasteTracks(f.session);
    EXPECT_EQ(f.doc.trackCount, 0);
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_FALSE(f.doc.modified);
    // Text after the last line end is ignored; the lines before count.
    f.ui.SetClipboard("A\tEins\t01:00:00\r\nB\tZwei\t01:00:00");
    PasteTracks(f.session);
    EXPECT_EQ(Titles(f.doc), std::vector<std::string>{"Eins"});
}

TEST(Paste, LinuxLineEndsCountAsLineEnds) {
    Fixture f;
    f.ui.SetClipboard("A\tEins\t01:00:00\nB\tZwei\t01:00:00\n");
    PasteTracks(f.session);
    EXPECT_EQ(Titles(f.doc), (std::vector<std::string>{"Eins", "Zwei"}));
}

TEST(Paste, BisEofAppendsAndClearsTheTotal) {
    Fixture f;
    Fill(f.doc, {150}, 100);
    f.ui.SetClipboard("A\tOffen\t(bis EOF)\r\n");
    PasteTracks(f.session);
    EXPECT_EQ(f.doc.trackCount, 2);
    EXPECT_EQ(f.doc.tracks[1].start, 7500);
    EXPECT_EQ(f.doc.cd.totalSeconds, 0);
    EXPECT_EQ(TrackLength(f.doc, 1), UnknownLength);
    // An empty length field means the same.
    Fixture g;
    g.ui.SetClipboard("A\tOffen\t\r\n");
    PasteTracks(g.session);
    EXPECT_EQ(g.doc.trackCount, 1);
    EXPECT_EQ(g.doc.cd.totalSeconds, 0);
}

TEST(Paste, SingleLineWarnsMultiLineStopsSilently) {
    Fixture f;
    Fill(f.doc, {150, 15000}, 300);
    f.ui.SetSelection(0);
    f.ui.SetClipboard("A\tOffen\t(bis EOF)\r\n");
    PasteTracks(f.session);
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{1093});
    EXPECT_EQ(f.doc.trackCount, 2);

    Fixture g;
    Fill(g.doc, {150, 15000}, 300);
    g.ui.SetSelection(0);
    g.ui.SetClipboard("A\tEins\t01:00:00\r\nB\tOffen\t(bis EOF)\r\nC\tDrei\t01:00:00\r\n");
    PasteTracks(g.session);
    EXPECT_EQ(Titles(g.doc), (std::vector<std::string>{"Eins", "T1", "T2"}));
    EXPECT_EQ(g.ui.MessageIds(), std::vector<int>{1092});  // 1 pasted, 2 of 3 not
    EXPECT_EQ(g.ui.messages[0].text,
              "1 Tracks erfolgreich eingef\u00fcgt. 2 von 3 Zeilen waren unzul\u00e4ssig.");
}

TEST(Paste, StopsAtFullListAndUnreadableLengthsAreSkipped) {
    Fixture f;
    std::vector<std::int32_t> starts;
    for (int i = 0; i < MaxTracks - 1; ++i) {
        starts.push_back(150 + i * 1000);
    }
    Fill(f.doc, starts, 1500);
    f.ui.SetClipboard("A\tEins\t1:2:3\r\nB\tZwei\t01:00:00\r\nC\tDrei\t01:00:00\r\n");
    PasteTracks(f.session);
    EXPECT_EQ(f.doc.trackCount, MaxTracks);
    EXPECT_EQ(f.doc.tracks[MaxTracks - 1].title, "Zwei");
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{1092});  // no 1089 in multi-line paste
}

TEST(Paste, TooLargeClipboardIsSeenAsEmpty) {
    Fixture f;
    std::string line = "A\tEins\t01:00:00\r\n";  // 17 bytes
    std::string text;
    while (text.size() + line.size() <= 2047) {
        text += line;
    }
    ASSERT_EQ(text.size(), 2040u);
    text += "123456\r\n";  // 2048 bytes: with its terminator past the limit
    f.ui.SetClipboard(text);
    PasteTracks(f.session);
    EXPECT_EQ(f.doc.trackCount, 0);
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_EQ(LimitClipboardText(std::string(2046, 'x')).size(), 2046u);
    EXPECT_TRUE(LimitClipboardText(std::string(2047, 'x')).empty());
}

// ---- Track properties -----------------------------------------------------------------

struct PropertiesCase {
    std::vector<std::int32_t> starts;
    std::int32_t total;
    int index;
    std::string length;
    int message;
};

TEST(TrackProperties, WarningsKeepTheDocumentAndFocusTheLength) {
    const PropertiesCase cases[] = {
        {{150, 15000, 30000}, 500, 1, "", 1086},          // cleared length of a middle track
        {{150, 15000, 30000}, 500, 1, "00:01:00", 1087},  // shorter than two seconds
        {{150, 15000, 30000}, 500, 1, "1:2:3", 1085},     // five characters
        {{150, 15000, 30000}, 500, 2, "01:02:75", 1085},  // frames past 74
        {{150, 15000, 30000}, 500, 0, "00:01:74", 1087},
    };
    for (const auto& c : cases) {
        Fixture f;
        Fill(f.doc, c.starts, c.total);
        TrackProperties shown = LoadTrackProperties(f.doc, c.index, TimeFormat::Msf);
        TrackPropertiesEdit edit{c.length, "Neu", "Wer"};
        int focused = 0;
        EXPECT_FALSE(ConfirmTrackProperties(f.session, c.index, shown, edit, [&] {
            EXPECT_TRUE(f.ui.messages.empty());  // the focus moves before the warning
            ++focused;
        })) << c.length;
        EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{c.message}) << c.length;
        EXPECT_EQ(focused, 1);
        EXPECT_EQ(Starts(f.doc), c.starts);
        EXPECT_EQ(f.doc.cd.totalSeconds, c.total);
        EXPECT_EQ(f.doc.tracks[c.index].title, "T" + std::to_string(c.index + 1));
        EXPECT_FALSE(f.doc.modified);
    }
}

TEST(TrackProperties, NewLengthOfMiddleTrackShiftsFollowersAndTotal) {
    Fixture f;
    Fill(f.doc, {150, 15000, 30000}, 500);
    TrackProperties shown = LoadTrackProperties(f.doc, 1, TimeFormat::Msf);
    EXPECT_EQ(shown.lengthText, "03:20:00");
    EXPECT_TRUE(ConfirmTrackProperties(f.session, 1, shown, {"03:00:37", "Neu", "Wer"}));
    EXPECT_EQ(TrackLength(f.doc, 1), 13537);
    EXPECT_EQ(Starts(f.doc), (std::vector<std::int32_t>{150, 15000, 28537}));
    EXPECT_EQ(f.doc.cd.totalSeconds, 480);  // nearest((37500 - 1463) / 75) = nearest(480.49)
    EXPECT_EQ(f.doc.tracks[1].title, "Neu");
    EXPECT_EQ(f.doc.tracks[1].performer, "Wer");
    EXPECT_EQ(f.doc.cd.discId, ComputeDiscId(f.doc));
    EXPECT_TRUE(f.doc.modified);
    EXPECT_EQ(f.ui.trackTextRefreshCount, 1);
    EXPECT_TRUE(f.ui.messages.empty());
}

TEST(TrackProperties, LastTrackFromUnknownToKnownAndBack) {
    Fixture f;
    Fill(f.doc, {150, 15038}, 0);
    TrackProperties shown = LoadTrackProperties(f.doc, 1, TimeFormat::Msf);
    EXPECT_EQ(shown.lengthText, "");
    EXPECT_EQ(shown.originalLength, UnknownLength);
    EXPECT_TRUE(ConfirmTrackProperties(f.session, 1, shown, {"02:00:00", "T2", "P2"}));
    EXPECT_EQ(f.doc.cd.totalSeconds, 321);  // nearest((15038 + 9000) / 75) = nearest(320.51)
    shown = LoadTrackProperties(f.doc, 1, TimeFormat::Msf);
    EXPECT_TRUE(ConfirmTrackProperties(f.session, 1, shown, {"", "T2", "P2"}));
    EXPECT_EQ(f.doc.cd.totalSeconds, 0);
    EXPECT_EQ(f.doc.cd.discId, "00000000");
}

TEST(TrackProperties, UnchangedLengthIsNotCheckedAgain) {
    // A track already shorter than two seconds keeps its length when only the title changes.
    Fixture f;
    Fill(f.doc, {150, 200, 15000}, 300);
    TrackProperties shown = LoadTrackProperties(f.doc, 0, TimeFormat::Msf);
    EXPECT_EQ(shown.lengthText, "00:00:50");
    EXPECT_TRUE(ConfirmTrackProperties(f.session, 0, shown, {"00:00:50", "Kurz", "P1"}));
    EXPECT_EQ(Starts(f.doc), (std::vector<std::int32_t>{150, 200, 15000}));
    EXPECT_EQ(f.doc.tracks[0].title, "Kurz");
}

TEST(TrackProperties, HundredthsModeReadsAndShowsHundredths) {
    Fixture f;
    f.settings.MSH = 1;
    Fill(f.doc, {150, 4803}, 200);
    TrackProperties shown = LoadTrackProperties(f.doc, 0, TimeFormat::Msh);
    EXPECT_EQ(shown.lengthText, "01:02:04");
    EXPECT_EQ(Number(shown.lengthLabelId), 1022);
    EXPECT_TRUE(ConfirmTrackProperties(f.session, 0, shown, {"01:02:75", "T1", "P1"}));
    EXPECT_EQ(TrackLength(f.doc, 0), 4706);
}

}  // namespace
}  // namespace tracklore
