#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <fcntl.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "flows/CueTagFlow.h"
#include "flows/Mp3ScanFlow.h"
#include "flows/Reading.h"
#include "formats/CueSheet.h"
#include "formats/Document.h"
#include "model/Encoding.h"
#include "model/Text.h"
#include "mp3/CueTag.h"
#include "mp3/Mp3Scan.h"
#include "support/Id3Tags.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

using test::Fixture;
using test::ReadFileBytes;
using test::TempDir;
namespace fs = std::filesystem;

std::string Audio() {
    return test::mp3::CbrStream(60000) + test::mp3::Id3v1("Song", "Band", "Best Of", "1999", 17);
}

using test::mp3::Id3Frame;
using test::mp3::Id3Tag;
using test::mp3::Id3TagLength;

// The length of a tag that a rewrite gives a file with frames ending at `framesEnd` and an old
// tag of `oldTagLength` bytes: the old file is placed at the first block boundary (the block
// size of the file system at `path`) that leaves at least 512 bytes of padding, and the tag
// runs up to the audio.
std::uint64_t RewrittenTagLength(std::uint64_t framesEnd, std::uint64_t oldTagLength,
                                 const std::string& path) {
    struct stat st {};
    const std::uint64_t block =
        ::stat(path.c_str(), &st) == 0 ? static_cast<std::uint64_t>(st.st_blksize) : 4096;
    const std::uint64_t needed = framesEnd + 512 - oldTagLength;
    return (needed + block - 1) / block * block + oldTagLength;
}

struct ParsedFrame {
    std::string id;
    std::string data;
};

// The frames of the ID3v2.3 tag at the start of `file`, read the plain way.
std::vector<ParsedFrame> Frames(const std::string& file) {
    std::vector<ParsedFrame> frames;
    std::uint64_t end = Id3TagLength(file);
    std::size_t offset = 10;
    while (offset + 10 <= end && file[offset] != '\0') {
        auto size = static_cast<std::size_t>(static_cast<unsigned char>(file[offset + 4]) << 24 |
                                             static_cast<unsigned char>(file[offset + 5]) << 16 |
                                             static_cast<unsigned char>(file[offset + 6]) << 8 |
                                             static_cast<unsigned char>(file[offset + 7]));
        frames.push_back({file.substr(offset, 4), file.substr(offset + 10, size)});
        offset += 10 + size;
    }
    return frames;
}

std::vector<std::string> Ids(const std::string& file) {
    std::vector<std::string> ids;
    for (const auto& frame : Frames(file)) {
        ids.push_back(frame.id);
    }
    return ids;
}

const std::vector<std::string> NewIds = {"TRCK", "TPE1", "TIT2", "TALB", "TYER", "TCON", "GEOB"};

// The cue sheet between its markers in the first 64 KiB (the short sheets of these tests).
std::string ExtractCue(const std::string& file) {
    std::string head = file.substr(0, 65536);
    std::size_t begin = head.find("CUESHEET\r\n");
    std::size_t end = head.find("ENDCUESHEET");
    if (begin == std::string::npos || end == std::string::npos || end < begin) {
        return "";
    }
    return head.substr(begin + 10, end - begin - 10);
}

void FillAlbum(TrackList& doc) {
    doc.cd.title = "Best Of";
    doc.cd.artist = "Band";
    doc.cd.year = "1999";
    doc.cd.genre = "Rock";
    doc.cd.totalSeconds = 300;
    doc.trackCount = 3;
    const char* titles[] = {"Intro", "S\u00fc\u00df", "Outro"};
    for (int i = 0; i < 3; ++i) {
        doc.tracks[i].title = titles[i];
        doc.tracks[i].performer = i == 1 ? "Guest" : "Band";
        doc.tracks[i].start = 150 + i * 6000 + i * 17;
    }
}

// Writes the cue tag as the command does; without the chapter table unless asked, so that the
// tests of the tag's bytes see the frames of the cue sheet alone.
bool Write(Fixture& f, const std::string& path, bool chapters = false) {
    f.settings.WriteChapters = chapters ? 1 : 0;
    f.ui.OpenFileNext(FileDialogResult{path, 1});
    return WriteCueToMp3(f.session);
}

TEST(CueTagWriter, FileWithoutTagGetsNewTagInFrontOfUnchangedAudio) {
    TempDir dir;
    const std::string audio = Audio();
    const std::string path = dir.Write("album.mp3", audio);
    Fixture f;
    FillAlbum(f.doc);
    f.doc.cd.audioFile = "something else";
    f.settings.LastMP3Dir = "/music/";

    ASSERT_TRUE(Write(f, path));

    ASSERT_EQ(f.ui.openRequests.size(), 1u);
    const FileDialogRequest& request = f.ui.openRequests[0];
    EXPECT_EQ(request.titleId, 1160);
    EXPECT_EQ(request.startDir, "/music/");
    EXPECT_TRUE(request.fileMustExist);
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0].pattern, "*.mp3;*.mp2;*.mp1");
    EXPECT_EQ(f.settings.LastMP3Dir, dir.path().string() + "/");
    EXPECT_EQ(f.doc.cd.audioFile.str(), "album");
    EXPECT_FALSE(f.doc.modified);

    ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{1167});
    EXPECT_EQ(f.ui.messages[0].captionId, 1166);
    EXPECT_EQ(f.ui.messages[0].icon, MsgIcon::Information);
    EXPECT_NE(f.ui.messages[0].text.find(path), std::string::npos);

    const std::string file = ReadFileBytes(path);
    const std::uint64_t length = Id3TagLength(file);
    ASSERT_EQ(file.substr(0, 6), std::string("ID3\x03\0\0", 6));
    ASSERT_EQ(Ids(file), NewIds);
    std::uint64_t framesEnd = 10;
    for (const auto& frame : Frames(file)) {
        framesEnd += 10 + frame.data.size();
    }
    EXPECT_EQ(length, RewrittenTagLength(framesEnd, 0, path));
    EXPECT_EQ(file.substr(framesEnd, length - framesEnd), std::string(length - framesEnd, '\0'));
    EXPECT_EQ(file.substr(length), audio);  // the ID3v1 tag at the end included
    EXPECT_EQ(Frames(file)[0].data, std::string("\0"
                                                "3",
                                                2));
    EXPECT_EQ(Frames(file)[3].data, std::string("\0Best Of", 8));

    // The cue sheet in the tag gives back the same track list.
    const std::string cue = ExtractCue(file);
    EXPECT_NE(cue.find("FILE \"album.mp3\" MP3\r\n"), std::string::npos);
    EXPECT_NE(file.find("CUEVERSION\r\nTracklore v1.6ENDCUEVERSION"), std::string::npos);
    Fixture back;
    // A Windows-1252 sheet, as Save writes this document.
    EXPECT_NE(cue.find("S\xFC\xDF"), std::string::npos);
    ASSERT_TRUE(ReadCueSheet(back.session, DecodeDocumentBytes(cue, "WINDOWS-1252").text, ""));
    EXPECT_EQ(back.doc.cd.title.str(), "Best Of");
    EXPECT_EQ(back.doc.cd.artist.str(), "Band");
    EXPECT_EQ(back.doc.cd.year.str(), "1999");
    EXPECT_EQ(back.doc.cd.genre.str(), "Rock");
    EXPECT_EQ(back.doc.cd.totalSeconds, 300);
    EXPECT_EQ(back.doc.cd.audioFile.str(), "album");
    ASSERT_EQ(back.doc.trackCount, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(back.doc.tracks[i].title.str(), f.doc.tracks[i].title.str());
        EXPECT_EQ(back.doc.tracks[i].performer.str(), f.doc.tracks[i].performer.str());
        EXPECT_EQ(back.doc.tracks[i].start, f.doc.tracks[i].start);
    }
}

// Scans `path` as the MP3 import does, answering Yes, and checks that it gives back `doc`.
void ExpectScanGivesBack(const std::string& path, const TrackList& doc) {
    Fixture back;
    back.ui.AnswerNext(MsgResult::Yes);
    Mp3ScanJob job;
    job.path = path;
    RunMp3ScanWorker(back.session, job, back.ui);
    ASSERT_EQ(back.ui.MessageIds(), std::vector<int>{1064});
    EXPECT_NE(back.ui.messages[0].text.find("Tracklore v1.6"), std::string::npos);
    ASSERT_TRUE(job.trackListBuilt);
    EXPECT_EQ(back.doc.cd.title.str(), doc.cd.title.str());
    EXPECT_EQ(back.doc.cd.artist.str(), doc.cd.artist.str());
    EXPECT_EQ(back.doc.cd.year.str(), doc.cd.year.str());
    EXPECT_EQ(back.doc.cd.genre.str(), doc.cd.genre.str());
    EXPECT_EQ(back.doc.cd.totalSeconds, doc.cd.totalSeconds);
    EXPECT_EQ(back.doc.cd.audioFile.str(), "album");
    ASSERT_EQ(back.doc.trackCount, doc.trackCount);
    for (int i = 0; i < doc.trackCount; ++i) {
        EXPECT_EQ(back.doc.tracks[i].title.str(), doc.tracks[i].title.str());
        EXPECT_EQ(back.doc.tracks[i].performer.str(), doc.tracks[i].performer.str());
        EXPECT_EQ(back.doc.tracks[i].start, doc.tracks[i].start);
    }
}

// The scan finds the cue sheet again, with the chapter table beside it or without, also after a
// second write (in place), and when 99 tracks with the longest texts make a cue sheet of more
// than 64 KiB (the scan reads on past its first chunk to the end marker). The chapters leave
// the other frames and the audio as they are; the old tag's chapters are not carried over.
TEST(CueTagWriter, TheMp3ScanFindsTheCueSheetAgain) {
    TempDir dir;
    const std::string audio = Audio();
    const std::string oldTag =
        Id3Tag(Id3Frame("CTOC", std::string("old\0\x03\x01x\0", 8)) +
                   Id3Frame("COMM", std::string("\0engKeep me", 11)) +
                   Id3Frame("CHAP", std::string("x\0", 2) + std::string(16, '\xFF')),
               0);
    for (bool longest : {false, true}) {
        SCOPED_TRACE(longest ? "99 tracks, longest texts" : "three tracks");
        Fixture f;
        FillAlbum(f.doc);
        if (longest) {
            f.doc.trackCount = MaxTracks;
            for (int i = 0; i < MaxTracks; ++i) {
                f.doc.tracks[i].title = std::string(299, static_cast<char>('a' + i % 26));
                f.doc.tracks[i].performer = std::string(299, static_cast<char>('A' + i % 26));
                f.doc.tracks[i].start = 150 + i * 750;
            }
            f.doc.cd.totalSeconds = 99 * 10 + 60;
        }
        std::vector<std::vector<ParsedFrame>> frames;
        for (bool chapters : {false, true}) {
            const std::string path = dir.Write("album.mp3", oldTag + audio);
            ASSERT_TRUE(Write(f, path, chapters));
            ASSERT_TRUE(Write(f, path, chapters));  // and once more in place
            const std::string file = ReadFileBytes(path);
            EXPECT_EQ(file.substr(Id3TagLength(file)), audio);
            if (longest) {
                EXPECT_GT(Id3TagLength(file), 65536u);
            }
            ExpectScanGivesBack(path, f.doc);
            frames.push_back(Frames(file));
        }
        // With chapters: the table of contents and a chapter per track after the cue sheet,
        // every other frame the same.
        std::vector<std::string> chapterIds{"CTOC"};
        chapterIds.insert(chapterIds.end(), static_cast<std::size_t>(f.doc.trackCount), "CHAP");
        ASSERT_EQ(frames[1].size(), frames[0].size() + chapterIds.size());
        std::vector<std::string> expected = NewIds;
        expected.push_back("COMM");
        for (std::size_t i = 0; i < frames[0].size(); ++i) {
            const std::size_t j = i < NewIds.size() ? i : i + chapterIds.size();
            EXPECT_EQ(frames[0][i].id, expected[i]);
            EXPECT_EQ(frames[1][j].id, frames[0][i].id);
            EXPECT_EQ(frames[1][j].data, frames[0][i].data) << frames[0][i].id;
        }
        for (std::size_t i = 0; i < chapterIds.size(); ++i) {
            EXPECT_EQ(frames[1][NewIds.size() + i].id, chapterIds[i]);
        }
    }
}

TEST(CueTagWriter, WritingTwiceWritesInPlaceAndReplacesTheFirstTag) {
    TempDir dir;
    const std::string audio = Audio();
    const std::string path = dir.Write("album.mp3", audio);
    Fixture f;
    FillAlbum(f.doc);
    ASSERT_TRUE(Write(f, path));
    const std::string first = ReadFileBytes(path);

    f.doc.cd.title = "Greatest Hits";
    f.doc.trackCount = 2;
    ASSERT_TRUE(Write(f, path));
    const std::string second = ReadFileBytes(path);
    EXPECT_EQ(f.ui.MessageIds(), (std::vector<int>{1167, 1167}));
    ASSERT_EQ(second.size(), first.size());
    EXPECT_EQ(second.substr(0, 10), first.substr(0, 10));  // same length, same size field
    EXPECT_EQ(Ids(second), NewIds);                        // nothing of the first carried over
    EXPECT_EQ(Frames(second)[0].data, std::string("\0"
                                                  "2",
                                                  2));
    EXPECT_EQ(Frames(second)[2].data, std::string("\0Greatest Hits", 14));
    EXPECT_EQ(second.substr(Id3TagLength(second)), audio);
    EXPECT_EQ(ExtractCue(second).find("TRACK 03"), std::string::npos);
}

// The length of the header and frames that the command builds for the document and path.
std::uint64_t NewFramesEnd(const Fixture& f, const std::string& path) {
    TrackList copy = f.doc;
    copy.cd.audioFile = StripExtension(FileNamePart(path));
    FrameTable table;
    const std::string text = WriteCueSheet(copy, f.settings.timeFormat());
    const TextEncoding encoding =
        DocumentSaveEncoding(copy, text, DocumentKindCue, f.settings.SaveEncoding);
    AddCueFrames(table, copy, EncodeText(text, encoding).bytes);
    return table.FramesEnd();
}

TEST(CueTagWriter, InPlaceOnlyWhenTheOldTagHasMoreThanTenBytesToSpare) {
    TempDir dir;
    const std::string audio = Audio();
    for (std::uint64_t spare : {10u, 11u}) {
        Fixture f;
        FillAlbum(f.doc);
        const std::string path = dir.file("album.mp3");
        const std::uint64_t h = NewFramesEnd(f, path);
        // An old tag of H + spare bytes, all padding.
        dir.Write("album.mp3", Id3Tag("", static_cast<std::size_t>(h + spare - 10)) + audio);
        ASSERT_TRUE(Write(f, path));
        const std::string file = ReadFileBytes(path);
        EXPECT_EQ(Id3TagLength(file), spare == 10 ? RewrittenTagLength(h, h + 10, path) : h + 11)
            << spare;
        EXPECT_EQ(Ids(file), NewIds);
        EXPECT_EQ(file.substr(Id3TagLength(file)), audio);
    }
}

TEST(CueTagWriter, OtherTagVersionsAreReplacedOnlyAfterOk) {
    TempDir dir;
    const std::string audio = Audio();
    for (std::uint8_t major : {2, 4}) {
        const std::string original =
            Id3Tag(Id3Frame("COMM", std::string("\0engOld", 7)) + Id3Frame("TIT2", "x"), 2000, 0,
                   major) +
            audio;
        const std::string path = dir.Write("album.mp3", original);
        Fixture f;
        FillAlbum(f.doc);
        f.ui.AnswerNext(MsgResult::Cancel);
        EXPECT_FALSE(Write(f, path));
        ASSERT_EQ(f.ui.MessageIds(), std::vector<int>{1165});
        EXPECT_EQ(f.ui.messages[0].captionId, 1160);
        EXPECT_EQ(f.ui.messages[0].buttons, MsgButtons::OkCancel);
        EXPECT_EQ(f.ui.messages[0].icon, MsgIcon::Question);
        EXPECT_EQ(f.ui.messages[0].DefaultAnswer(), MsgResult::Cancel);
        EXPECT_EQ(ReadFileBytes(path), original);

        f.ui.AnswerNext(MsgResult::Ok);
        EXPECT_TRUE(Write(f, path));
        EXPECT_EQ(f.ui.MessageIds(), (std::vector<int>{1165, 1165, 1167}));
        const std::string file = ReadFileBytes(path);
        EXPECT_EQ(file[3], 3);
        EXPECT_EQ(Ids(file), NewIds);  // the old COMM is gone
        EXPECT_EQ(file.substr(Id3TagLength(file)), audio);
    }
}

TEST(CueTagWriter, OldVersion3FramesAreKeptAfterTheNewOnes) {
    TempDir dir;
    const std::string audio = Audio();
    const std::string path =
        dir.Write("album.mp3", Id3Tag(Id3Frame("COMM", std::string("\0engKeep me", 11)) +
                                          Id3Frame("TIT2", std::string("\0Old", 4)) +
                                          Id3Frame("PRIV", std::string(70000, 'p')),
                                      0) +
                                   audio);
    Fixture f;
    FillAlbum(f.doc);
    ASSERT_TRUE(Write(f, path));
    const std::string file = ReadFileBytes(path);
    std::vector<std::string> expected = NewIds;
    expected.insert(expected.end(), {"COMM", "PRIV"});
    ASSERT_EQ(Ids(file), expected);
    EXPECT_EQ(Frames(file)[7].data, std::string("\0engKeep me", 11));
    EXPECT_EQ(Frames(file)[8].data, std::string(70000, 'p'));  // larger than 64,000 bytes
    EXPECT_EQ(file.substr(Id3TagLength(file)), audio);
}

TEST(CueTagWriter, EmptyDocumentStillGetsATag) {
    TempDir dir;
    const std::string path = dir.Write("empty.mp3", Audio());
    Fixture f;
    ASSERT_TRUE(Write(f, path));
    const std::string file = ReadFileBytes(path);
    ASSERT_EQ(Ids(file), NewIds);
    EXPECT_EQ(Frames(file)[0].data, std::string("\0"
                                                "0",
                                                2));
    for (int i = 1; i <= 5; ++i) {
        EXPECT_EQ(Frames(file)[i].data.size(), 1u);
    }
    EXPECT_EQ(ExtractCue(file), WriteCueSheet(f.doc, TimeFormat::Msf));
    EXPECT_NE(ExtractCue(file).find("FILE \"empty.mp3\" MP3"), std::string::npos);
}

TEST(CueTagWriter, CancelAndRefusals) {
    TempDir dir;
    Fixture f;
    FillAlbum(f.doc);
    f.doc.cd.audioFile = "keep";
    f.settings.LastMP3Dir = "/music/";
    EXPECT_FALSE(WriteCueToMp3(f.session));  // the dialog is cancelled
    EXPECT_TRUE(f.ui.messages.empty());
    EXPECT_EQ(f.doc.cd.audioFile.str(), "keep");
    EXPECT_EQ(f.settings.LastMP3Dir, "/music/");

    const std::string text = dir.Write("notes.mp3", std::string(100000, 'a'));
    EXPECT_FALSE(Write(f, text));
    EXPECT_EQ(f.ui.MessageIds().back(), 1161);
    EXPECT_NE(f.ui.messages.back().text.find(text), std::string::npos);
    EXPECT_EQ(ReadFileBytes(text), std::string(100000, 'a'));

    EXPECT_FALSE(Write(f, dir.file("missing.mp3")));
    EXPECT_EQ(f.ui.MessageIds().back(), 1048);
    EXPECT_FALSE(Write(f, dir.path().string()));
    EXPECT_EQ(f.ui.MessageIds().back(), 1048);

    // A tag header that claims more bytes than the file holds.
    const std::string liar = test::mp3::Id3v2Header(50000000) + Audio();
    const std::string liarPath = dir.Write("liar.mp3", liar);
    EXPECT_FALSE(Write(f, liarPath));
    EXPECT_EQ(f.ui.MessageIds().back(), 1161);
    EXPECT_EQ(ReadFileBytes(liarPath), liar);
    EXPECT_EQ(fs::directory_entry(dir.path()).exists(), true);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST(CueTagWriter, NameWithoutExtensionInAFolderWithAPeriod) {
    TempDir dir;
    const std::string path = dir.Write("my.music/track", Audio());
    Fixture f;
    ASSERT_TRUE(Write(f, path));
    EXPECT_EQ(f.doc.cd.audioFile.str(), "track");
    EXPECT_NE(ExtractCue(ReadFileBytes(path)).find("FILE \"track.mp3\" MP3"), std::string::npos);
}

TEST(CueTagWriter, RewriteKeepsPermissionsAndSymbolicLinks) {
    TempDir dir;
    const std::string audio = Audio();
    const std::string real = dir.Write("store/album.mp3", audio);
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    const std::string link = dir.file("album.mp3");
    fs::create_symlink(real, link);
    Fixture f;
    ASSERT_TRUE(Write(f, link));
    EXPECT_TRUE(fs::is_symlink(link));
    const std::string file = ReadFileBytes(real);
    EXPECT_EQ(Ids(file), NewIds);
    EXPECT_EQ(file.substr(Id3TagLength(file)), audio);
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // Nothing else was left in either folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("store")), fs::directory_iterator()),
              1);
}

// Marks a file as the writer marks its temporary files for the MP3 `mp3Name`; false when the
// file system has no extended attributes.
bool MarkPartial(const std::string& path, const std::string& mp3Name) {
    return ::setxattr(path.c_str(), "user.tracklore.partial", mp3Name.data(), mp3Name.size(), 0) ==
           0;
}

TEST(CueTagWriter, LeftoversOfAKilledWriterAreRemovedButNotThoseInUse) {
    TempDir dir;
    const std::string path = dir.Write("album.mp3", Audio());
    const std::string abandoned = dir.Write(".tracklore-Ab12Cd", "half written");
    if (!MarkPartial(abandoned, "album.mp3")) {
        GTEST_SKIP() << "no extended attributes on this file system";
    }
    const std::string inUse = dir.Write(".tracklore-Zz9999", "being written");
    const std::string otherFile = dir.Write(".tracklore-Ab12Ce", "not ours");
    const std::string prefixOnly = dir.Write(".tracklore-Ab12Cf", "album.mp3 as a prefix only");
    const std::string unmarked = dir.Write(".tracklore-Qq1234", "a document being saved");
    ASSERT_TRUE(MarkPartial(inUse, "album.mp3") && MarkPartial(otherFile, "other.mp3") &&
                MarkPartial(prefixOnly, "album.mp"));
    int lock = ::open(inUse.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);

    Fixture f;
    ASSERT_TRUE(Write(f, path));
    ::close(lock);
    EXPECT_FALSE(fs::exists(abandoned));
    EXPECT_TRUE(fs::exists(inUse));
    EXPECT_TRUE(fs::exists(otherFile));
    EXPECT_TRUE(fs::exists(prefixOnly));
    EXPECT_EQ(ReadFileBytes(unmarked), "a document being saved");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 5);
    // The new MP3 does not carry the marker of its temporary file.
    char marker = 0;
    EXPECT_LT(::getxattr(path.c_str(), "user.tracklore.partial", &marker, 1), 0);
}

TEST(CueTagWriter, FailedWriteLeavesTheOriginalAndNoTemporaryFile) {
    TempDir dir;
    const std::string audio = Audio();
    const std::string path = dir.Write("album.mp3", audio);
    // Writes beyond 40,000 bytes fail (EFBIG) while the limit holds.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 40000;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    Fixture f;
    bool written = Write(f, path);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0].textId, 0);  // the system's text for the error
    EXPECT_EQ(f.ui.messages[0].captionId, 1020);
    EXPECT_EQ(f.ui.messages[0].icon, MsgIcon::Error);
    EXPECT_FALSE(f.ui.messages[0].text.empty());
    EXPECT_EQ(ReadFileBytes(path), audio);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(CueTagWriter, NoWriteAccess) {
    TempDir dir;
    const std::string audio = Audio();
    const std::string path = dir.Write("ro/album.mp3", audio);
    const std::string protectedPath = dir.Write("rw/album.mp3", audio);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.file("ro").c_str(), 0555), 0);
    ASSERT_EQ(::chmod(dir.file("rw").c_str(), 0777), 0);
    ASSERT_EQ(::chmod(protectedPath.c_str(), 0444), 0);
    const std::string failure = test::RunUnprivileged([&]() -> std::string {
        // A folder without write access: no temporary file for the rewrite.
        Fixture f;
        if (Write(f, path) || f.ui.MessageIds() != std::vector<int>{1162}) {
            return "read-only folder not refused with 1162";
        }
        // A write-protected file in a writable folder is left alone on both routes.
        if (Write(f, protectedPath) || f.ui.MessageIds().back() != 1048) {
            return "protected file not refused with 1048";
        }
        return {};
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(ReadFileBytes(path), audio);
    EXPECT_EQ(ReadFileBytes(protectedPath), audio);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("rw")), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace tracklore
