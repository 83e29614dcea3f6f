// "Diese CD nachschlagen" in the editor: a track list read from a cue sheet or from a folder of
// MP3 files is looked up in both databases (local servers answering as gnudb and MusicBrainz
// do), the chosen candidate fills its texts, its starts stay, and the title shows the change.

#include <gtest/gtest.h>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "GuiSupport.h"
#include "app/Commands.h"
#include "app/LookupDialog.h"
#include "flows/FolderScanFlow.h"
#include "flows/LookupFlow.h"
#include "freedb/Cddb.h"
#include "freedb/MusicBrainz.h"
#include "support/LocalHttpServer.h"

namespace tracklore::app::test {
namespace {

using tracklore::test::HttpReply;
using tracklore::test::LocalHttpServer;

const char* const GnudbRecord =
    "# xmcd\r\n"
    "#\r\n"
    "# Track frame offsets:\r\n"
    "#\t150\r\n#\t15150\r\n#\t30150\r\n"
    "#\r\n"
    "# Disc length: 600 seconds\r\n"
    "#\r\n"
    "DISCID=1e025803\r\n"
    "DTITLE=Blaue B\xC3\xA4nder / N\xC3\xA4\x63htliche Lieder\r\n"
    "DYEAR=1999\r\n"
    "DGENRE=Rock\r\n"
    "TTITLE0=Abend\r\n"
    "TTITLE1=Gast / Mitternacht\r\n"
    "TTITLE2=Fr\xC3\xBCh\r\n"
    "EXTD=\r\nEXTT0=\r\nEXTT1=\r\nEXTT2=\r\nPLAYORDER=\r\n";

// A release of two tracks: a list of three keeps its third title.
const char* const MusicBrainzReleases =
    R"({"releases":[{"id":"5b11f4ce-a62d-471e-81fc-a69a8278c7da","title":"Nevermind",)"
    R"("date":"1991-09-24","artist-credit":[{"name":"Nirvana","joinphrase":""}],)"
    R"("media":[{"track-count":2,"tracks":[{"title":"Breed"},{"title":"Polly"}]}]}]})";

// The part of an address after the server's "http://127.0.0.1:PORT".
std::string Target(const LocalHttpServer& server, const std::string& address) {
    return address.substr(server.Url().size());
}

struct Source {
    const char* name;
    std::function<void(Editor&)> read;
    std::size_t pick;   // 0: gnudb's candidate, 1: MusicBrainz's
    const char* title;  // the window's title afterwards
};

TEST(LookupCommand, FillsTheTextsOfACueSheetOrFolderScanAndKeepsTheStarts) {
    const std::vector<Source> sources = {
        {"cue sheet",
         [](Editor& editor) { ASSERT_TRUE(editor.Start(editor.WriteCue("album.cue", 3, 600))); }, 0,
         "album.cue * - Tracklore"},
        {"folder scan",
         [](Editor& editor) {
             ASSERT_TRUE(editor.Start());
             const std::string folder = editor.dir().file("mp3s");
             std::filesystem::create_directory(folder);
             const std::string data = std::string(TRACKLORE_SOURCE_DIR) + "/tests/data/mp3/";
             int n = 1;
             for (const char* file :
                  {"cbr-stereo-id3v1.mp3", "mono-xing.mp3", "vbr-xing-gapless.mp3"}) {
                 std::filesystem::copy_file(data + file,
                                            folder + "/0" + std::to_string(n++) + ".mp3");
             }
             ModalScript summary;
             summary.Then([](QWidget* modal) { modal->close(); });
             ASSERT_TRUE(RunFolderScan(editor.app().GetSession(), folder + "/", "*.mp3"));
             EXPECT_EQ(editor.doc().trackCount, 3);
         },
         1, "Tracklore"},
    };
    for (const Source& source : sources) {
        SCOPED_TRACE(source.name);
        LocalHttpServer server;
        Editor editor;
        source.read(editor);
        Settings& settings = editor.app().GetSettings();
        settings.Email = "user@example.org";
        settings.CddbAddress = server.Url("/~cddb/cddb.cgi");
        settings.MusicBrainzAddress = server.Url("/ws/2/");
        const DatabaseClient client = DatabaseClientFromSettings(settings);
        const TrackList before = editor.doc();
        const std::optional<DiscToc> toc = TocOfTrackList(before);
        ASSERT_TRUE(toc);
        server.Serve(Target(server, CddbRequestAddress(client, *CddbQueryCommand(before))),
                     HttpReply::Ok("200 rock 1e025803 Blaue B\xC3\xA4nder / N\xC3\xA4"
                                   "chtliche Lieder\r\n"));
        server.Serve(Target(server, CddbRequestAddress(client, "cddb read rock 1e025803")),
                     HttpReply::Ok(std::string("210 rock 1e025803\r\n") + GnudbRecord + ".\r\n"));
        server.Serve(Target(server, MusicBrainzFuzzyAddress(client, *toc)),
                     HttpReply::Ok(MusicBrainzReleases));

        ModalScript script;
        script.Then([&](QWidget* modal) {
            auto* dialog = qobject_cast<LookupDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            if (!QTest::qWaitFor([&] { return dialog->Listed(); }, 20000)) {
                ADD_FAILURE() << "no candidates listed";
                dialog->reject();
                return;
            }
            ASSERT_EQ(dialog->Candidates().size(), 2u);
            EXPECT_EQ(dialog->Candidates()[0].source, DatabaseSource::Gnudb);
            dialog->CandidateList()->setCurrentItem(
                dialog->CandidateList()->topLevelItem(static_cast<int>(source.pick)));
            dialog->ApplySelected();
        });
        if (source.pick == 1) {
            // Two tracks for three: the texts of the first two are filled, and that is said.
            script.Then([](QWidget* modal) { modal->close(); });
        }
        editor.window().CommandAction(cmd::Lookup)->trigger();
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(script.unexpected, 0);
        if (source.pick == 1) {
            ASSERT_EQ(script.seen.size(), 2u);
            EXPECT_EQ(script.seen[1].text.left(24), Text(str::LookupTrackCountDiffers).left(24));
        }

        const TrackList& after = editor.doc();
        ASSERT_EQ(after.trackCount, before.trackCount);
        for (int k = 0; k < after.trackCount; ++k) {
            EXPECT_EQ(after.tracks[k].start, before.tracks[k].start) << k;
        }
        EXPECT_EQ(after.cd.totalSeconds, before.cd.totalSeconds);
        EXPECT_TRUE(after.modified);
        EXPECT_EQ(editor.Title(), source.title);
        if (source.pick == 0) {
            EXPECT_EQ(after.cd.artist.str(), "Blaue B\xC3\xA4nder");
            EXPECT_EQ(after.cd.year.str(), "1999");
            EXPECT_EQ(after.tracks[1].title.str(), "Mitternacht");
            EXPECT_EQ(after.tracks[1].performer.str(), "Gast");
            EXPECT_EQ(after.tracks[2].title.str(), "Fr\xC3\xBCh");
        } else {
            EXPECT_EQ(after.cd.title.str(), "Nevermind");
            EXPECT_EQ(after.tracks[1].title.str(), "Polly");
            EXPECT_EQ(after.tracks[2].title.str(), before.tracks[2].title.str());
        }
        // The look-up is one step: undone, the texts are back.
        editor.window().CommandAction(cmd::Undo)->trigger();
        EXPECT_EQ(editor.doc().cd.title.str(), before.cd.title.str());
        EXPECT_EQ(editor.doc().tracks[1].title.str(), before.tracks[1].title.str());
    }
}

}  // namespace
}  // namespace tracklore::app::test
