#include <gtest/gtest.h>

#include <cerrno>

#include "mp3/Mp3Scan.h"
#include "mp3/Mpeg.h"
#include "settings/Settings.h"
#include "support/Mp3Album.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using namespace test::mp3;
using test::FailingSource;
using test::ScanRun;

// Two joined tagged tracks: what the ID3v1 split would turn into a track list.
std::string TwoTracks() {
    return TaggedTrack(3, "One", "Ann") + TaggedTrack(3, "Two", "Bob");
}

const std::string Cue =
    "PERFORMER \"The Band\"\r\nTITLE \"Live\"\r\nFILE \"live.mp3\" MP3\r\n"
    "TRACK 01 AUDIO\r\nTITLE \"Intro\"\r\nINDEX 01 00:00:00\r\n"
    "TRACK 02 AUDIO\r\nTITLE \"Song\"\r\nINDEX 01 00:02:00\r\n";

TEST(Mp3Scan, ArchiveAndMediaSignatures) {
    struct Case {
        std::size_t offset;
        std::string bytes;
        int message;
    };
    const std::string asf("\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C", 16);
    const Case cases[] = {
        {7, "**ACE**", 1054},
        {0, "Rar!", 1055},
        {0, "PK", 1056},
        {2, "-lh5-", 1057},
        {0, std::string("MSCF\0\0", 6), 1058},
        {256, std::string("\0ustar  ", 8), 1059},
        {10, "wrapster", 1060},
        {0, Id3v2Header(100) + std::string(100, 'x') + std::string(10, '\0') + "wrapster", 1061},
        {0, Id3v2Header(100, 0x10) + std::string(110, 'x') + std::string(10, '\0') + "wrapster",
         1061},
        {0, asf, 1062},
    };
    for (const Case& c : cases) {
        ScanRun run;
        // Behind the signature lie records that the split would otherwise offer.
        std::string bytes = std::string(c.offset, '\x01') + c.bytes + TwoTracks();
        run.Run(bytes);
        EXPECT_EQ(run.f.ui.MessageIds(), std::vector<int>{c.message}) << c.message;
        EXPECT_EQ(run.f.ui.messages.at(0).captionId, 1053);
        EXPECT_EQ(run.f.ui.messages.at(0).icon, MsgIcon::Information);
        EXPECT_TRUE(run.f.ui.fragmentDialogs.empty());
        EXPECT_TRUE(run.job.finished);
        EXPECT_EQ(run.progress.back(), 100);
        EXPECT_EQ(run.f.doc.trackCount, 0);
        EXPECT_FALSE(run.f.doc.modified);
    }

    // Without the footer flag the archive name is looked for 10 bytes earlier.
    ScanRun noFooter;
    noFooter.Run(Id3v2Header(100) + std::string(110, 'x') + std::string(10, '\0') + "wrapster" +
                 TwoTracks());
    EXPECT_EQ(noFooter.f.ui.fragmentDialogs.size(), 1u);
    EXPECT_TRUE(noFooter.f.ui.messages.empty());

    // With the test switched off, the file is searched like any other.
    ScanRun off;
    off.job.detectArchives = false;
    off.Run("PK" + TwoTracks());
    EXPECT_TRUE(off.f.ui.messages.empty());
    EXPECT_EQ(off.f.doc.trackCount, 2);
}

TEST(Mp3Scan, CueSheetInTheTagIsOffered) {
    // Without the writer's name: question 1063; its default answer is Yes.
    ScanRun plain;
    plain.f.ui.AnswerNext(MsgResult::Yes);
    plain.Run(CueTag(Cue, std::nullopt) + TwoTracks());
    ASSERT_EQ(plain.f.ui.MessageIds(), std::vector<int>{1063});
    const Message& question = plain.f.ui.messages[0];
    EXPECT_EQ(question.captionId, 1053);
    EXPECT_EQ(question.buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(question.icon, MsgIcon::Question);
    EXPECT_EQ(question.DefaultAnswer(), MsgResult::Yes);
    // The cue sheet is the result: the ID3v1 records behind it are not offered.
    EXPECT_TRUE(plain.f.ui.fragmentDialogs.empty());
    EXPECT_TRUE(plain.job.trackListBuilt);
    EXPECT_TRUE(plain.job.finished);
    ASSERT_EQ(plain.f.doc.trackCount, 2);
    EXPECT_EQ(plain.f.doc.tracks[1].title, "Song");
    EXPECT_EQ(plain.f.doc.cd.audioFile, "live");
    // No length in the sheet: the whole file is measured (truncated to whole seconds).
    std::string bytes = CueTag(Cue, std::nullopt) + TwoTracks();
    MemorySource source(bytes);
    EXPECT_EQ(plain.f.doc.cd.totalSeconds,
              static_cast<int>(MpegDuration(source, static_cast<std::int64_t>(bytes.size()))));

    // With it: question 1064 names the writer.
    ScanRun named;
    named.f.ui.AnswerNext(MsgResult::Yes);
    named.Run(CueTag(Cue, std::string(VersionText)) + TwoTracks());
    ASSERT_EQ(named.f.ui.MessageIds(), std::vector<int>{1064});
    EXPECT_EQ(named.f.ui.messages[0].DefaultAnswer(), MsgResult::Yes);
    EXPECT_NE(named.f.ui.messages[0].text.find("geschrieben von Tracklore v1.6."),
              std::string::npos);
    EXPECT_EQ(named.f.doc.trackCount, 2);
}

TEST(Mp3Scan, AnswersToTheCueSheetQuestion) {
    // No: the search goes on with the ID3v1 records.
    ScanRun no;
    no.f.ui.AnswerNext(MsgResult::No);
    no.Run(CueTag(Cue, std::nullopt) + TwoTracks());
    EXPECT_EQ(no.f.ui.MessageIds(), std::vector<int>{1063});
    EXPECT_EQ(no.f.ui.fragmentDialogs.size(), 1u);
    EXPECT_EQ(no.f.doc.tracks[0].title, "One");

    // Cancel: the scan stops before the next chunk; no further message.
    ScanRun cancel;
    cancel.f.ui.AnswerNext(MsgResult::Cancel);
    cancel.Run(CueTag(Cue, std::nullopt) + TwoTracks() + TwoTracks());
    EXPECT_EQ(cancel.f.ui.MessageIds(), std::vector<int>{1063});
    EXPECT_TRUE(cancel.f.ui.fragmentDialogs.empty());
    EXPECT_FALSE(cancel.job.finished);
    EXPECT_EQ(cancel.f.doc.trackCount, 0);

    // A sheet that starts in the first chunk but ends past it is read on to its end marker;
    // here "ENDCUESHEET" is cut by the chunk's end (the tag is padded in front of the markers).
    std::string markers = "CUESHEET\r\n" + Cue + "ENDCUESHEET";
    std::string body = std::string(65536 - 10 - markers.size() + 5, '\0') + markers;
    ScanRun late;
    late.f.ui.AnswerNext(MsgResult::Yes);
    late.Run(Id3v2Header(static_cast<std::uint32_t>(body.size())) + body + TwoTracks());
    EXPECT_EQ(late.f.ui.MessageIds(), std::vector<int>{1063});
    EXPECT_TRUE(late.f.ui.fragmentDialogs.empty());
    EXPECT_TRUE(late.job.trackListBuilt);

    // Without an end marker anywhere the start marker alone offers nothing.
    body.resize(body.size() - 11);
    ScanRun open;
    open.Run(Id3v2Header(static_cast<std::uint32_t>(body.size())) + body + TwoTracks());
    EXPECT_TRUE(open.f.ui.messages.empty());
    EXPECT_EQ(open.f.ui.fragmentDialogs.size(), 1u);
    EXPECT_EQ(open.f.doc.trackCount, 2);
}

TEST(Mp3Scan, AlbumWrapHeaderIsOfferedBeforeTheCueSheet) {
    // A wrapped album of two tracks, with cue markers inside the first chunk as well.
    auto album = [] {
        std::string bytes =
            AlbumWrapHeader("Greatest", "The Band", "2",
                            {"4.0128[][]6.5536[][]One.mp3", "4.0128[][]10.5664[][]Two.mp3"}, 52000);
        bytes += CueTag(Cue, std::nullopt);
        bytes.resize(65536, '\0');
        return bytes + TaggedTrack(2.5, "One", "A") + TaggedTrack(2.5, "Two", "B");
    };

    ScanRun yes;
    yes.f.ui.AnswerNext(MsgResult::Yes);
    yes.Run(album());
    ASSERT_EQ(yes.f.ui.MessageIds(), std::vector<int>{1065});
    EXPECT_NE(yes.f.ui.messages[0].text.find("Albumname: Greatest."), std::string::npos);
    EXPECT_EQ(yes.f.ui.messages[0].DefaultAnswer(), MsgResult::Yes);
    EXPECT_TRUE(yes.job.trackListBuilt);
    EXPECT_TRUE(yes.f.ui.fragmentDialogs.empty());
    ASSERT_EQ(yes.f.doc.trackCount, 2);
    EXPECT_EQ(yes.f.doc.cd.title, "Greatest");
    EXPECT_EQ(yes.f.doc.tracks[1].title, "Two");
    EXPECT_EQ(yes.f.doc.cd.audioFile, "Album");
    EXPECT_EQ(yes.f.doc.cd.totalSeconds, 7);  // 2 + 2 × 2.5 seconds

    // No: the cue sheet question follows.
    ScanRun no;
    no.f.ui.AnswerNext(MsgResult::No);
    no.f.ui.AnswerNext(MsgResult::Yes);
    no.Run(album());
    EXPECT_EQ(no.f.ui.MessageIds(), (std::vector<int>{1065, 1063}));
    EXPECT_EQ(no.f.doc.cd.title, "Live");

    // Cancel: the cue sheet of the same chunk is still asked about, then the scan stops.
    ScanRun cancel;
    cancel.f.ui.AnswerNext(MsgResult::Cancel);
    cancel.f.ui.AnswerNext(MsgResult::No);
    cancel.Run(album());
    EXPECT_EQ(cancel.f.ui.MessageIds(), (std::vector<int>{1065, 1063}));
    EXPECT_TRUE(cancel.f.ui.fragmentDialogs.empty());
    EXPECT_FALSE(cancel.job.finished);
}

TEST(Mp3Scan, EmptyAndShortFiles) {
    ScanRun empty;
    empty.Run("");
    EXPECT_TRUE(empty.job.finished);
    EXPECT_EQ(empty.progress, (std::vector<int>{0, 100}));
    EXPECT_EQ(empty.f.ui.MessageIds(), std::vector<int>{1071});

    ScanRun small;
    small.Run(CbrStream(40000));
    EXPECT_EQ(small.progress, (std::vector<int>{0, 100}));
    EXPECT_EQ(small.f.ui.MessageIds(), std::vector<int>{1071});
    EXPECT_EQ(small.f.doc.trackCount, 0);
}

TEST(Mp3Scan, ProgressAndCancelBetweenChunks) {
    ScanRun whole;
    whole.Run(std::string(10 * 65536, '\0'));
    EXPECT_EQ(whole.progress, (std::vector<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));

    // A cancel takes effect before the next chunk: nothing more is read or said.
    ScanRun cancel;
    cancel.onProgress = [&cancel](int percent) {
        if (percent >= 30) {
            cancel.job.cancelRequested = true;
        }
    };
    cancel.Run(TaggedTrack(30, "One", "A") + TaggedTrack(30, "Two", "B"));
    EXPECT_LT(cancel.progress.back(), 40);
    EXPECT_FALSE(cancel.job.finished);
    EXPECT_TRUE(cancel.f.ui.messages.empty());
    EXPECT_TRUE(cancel.f.ui.fragmentDialogs.empty());
    EXPECT_EQ(cancel.f.doc.trackCount, 0);
}

TEST(Mp3Scan, FileThatCannotBeOpened) {
    test::Fixture f;
    Mp3ScanJob job;
    test::TempDir dir;
    job.path = dir.file("fehlt.mp3");
    RunMp3ScanWorker(f.session, job, f.ui);
    EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{1048});
    EXPECT_FALSE(job.finished);

    // A folder is not a file to scan either.
    test::Fixture g;
    job.path = dir.path().string();
    RunMp3ScanWorker(g.session, job, g.ui);
    EXPECT_EQ(g.ui.MessageIds(), std::vector<int>{1048});
}

TEST(Mp3Scan, ReadErrors) {
    const std::string bytes = TaggedTrack(5, "One", "A") + TaggedTrack(5, "Two", "B");
    // Only the scan's own reads fail; the second open, which measures the tracks, reads well.
    auto failingAt = [](std::vector<int> reads) {
        return [reads,
                opened = false](const std::string& data) mutable -> std::unique_ptr<ByteSource> {
            if (opened) {
                return std::make_unique<MemorySource>(data);
            }
            opened = true;
            return std::make_unique<FailingSource>(data, reads, EIO, 1000);
        };
    };

    // Abort: the scan ends as cancelled.
    ScanRun abort;
    abort.source = failingAt({0});
    abort.f.ui.AnswerNext(MsgResult::Abort);
    abort.Run(bytes);
    ASSERT_EQ(abort.f.ui.messages.size(), 1u);
    const Message& question = abort.f.ui.messages[0];
    EXPECT_EQ(question.textId, 0);
    EXPECT_EQ(question.text, SystemErrorText(EIO));
    EXPECT_FALSE(question.text.empty());
    EXPECT_EQ(question.captionId, 1020);
    EXPECT_EQ(question.buttons, MsgButtons::AbortRetryIgnore);
    EXPECT_EQ(question.icon, MsgIcon::Warning);
    EXPECT_FALSE(abort.job.finished);
    EXPECT_EQ(abort.f.doc.trackCount, 0);

    // Retry: the chunk is read again and the scan goes on as if nothing happened.
    ScanRun retry;
    retry.source = failingAt({1, 2});
    retry.f.ui.AnswerNext(MsgResult::Retry);
    retry.f.ui.AnswerNext(MsgResult::Retry);
    retry.Run(bytes);
    EXPECT_EQ(retry.f.ui.messages.size(), 2u);
    EXPECT_EQ(retry.job.split.fragments.size(), 2u);
    EXPECT_EQ(retry.f.doc.trackCount, 2);

    // Ignore: the unreadable second chunk (with the first record in it) is passed over; the
    // records behind it are still found, at their right offsets.
    ScanRun ignore;
    ignore.source = failingAt({1});
    ignore.f.ui.AnswerNext(MsgResult::Ignore);
    ignore.Run(bytes + TaggedTrack(5, "Three", "C"));
    EXPECT_EQ(ignore.f.ui.messages.size(), 1u);
    EXPECT_TRUE(ignore.job.finished);
    ASSERT_EQ(ignore.job.split.fragments.size(), 2u);
    EXPECT_EQ(ignore.job.split.fragments[0].length, bytes.size());
    EXPECT_EQ(ignore.f.doc.trackCount, 2);
    EXPECT_EQ(ignore.f.doc.tracks[1].title, "Three");
}

TEST(Mp3Scan, FileThatShrinksWhileItIsRead) {
    // The file claims more bytes than it gives: the scan ends where the data ends.
    ScanRun run;
    run.source = [](const std::string& data) -> std::unique_ptr<ByteSource> {
        return std::make_unique<FailingSource>(data, std::vector<int>{}, 0, 0,
                                               data.size() + 200000);
    };
    std::string last = CbrStream(50000);
    run.Run(TwoTracks() + last);
    EXPECT_TRUE(run.job.finished);
    EXPECT_EQ(run.progress.back(), 100);
    ASSERT_EQ(run.job.split.fragments.size(), 3u);
    EXPECT_EQ(run.job.split.fragments[2].length, last.size());
}

TEST(Mp3Scan, ExtractedListWithAStartBeyondTheMeasuredLength) {
    // The sheet's last track starts after the end of the audio: the total is unknown.
    const std::string cue =
        "FILE \"x.mp3\" MP3\r\nTRACK 01 AUDIO\r\nINDEX 01 00:00:00\r\n"
        "TRACK 02 AUDIO\r\nINDEX 01 59:00:00\r\n";
    ScanRun run;
    run.f.ui.AnswerNext(MsgResult::Yes);
    run.Run(CueTag(cue, std::nullopt) + CbrStream(100000));
    EXPECT_EQ(run.f.doc.trackCount, 2);
    EXPECT_EQ(run.f.doc.cd.totalSeconds, 0);

    // A file without MPEG audio measures as unknown too.
    ScanRun silent;
    silent.f.ui.AnswerNext(MsgResult::Yes);
    silent.Run(CueTag(cue, std::nullopt) + std::string(100000, 'x'));
    EXPECT_EQ(silent.f.doc.cd.totalSeconds, 0);
}

}  // namespace
}  // namespace tracklore
