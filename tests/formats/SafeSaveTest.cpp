// Saving and exporting replace files safely without going behind the user's back: a
// write-protected file is refused like a failed open, a symbolic link keeps pointing at the
// file that now holds the new text, and a name as long as the file system allows still saves.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "export/Export.h"
#include "flows/DocumentFlow.h"
#include "flows/ExportFlow.h"
#include "model/SafeFile.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

namespace fs = std::filesystem;
using test::Fixture;
using test::ReadFileBytes;
using test::TempDir;

struct Writer {
    const char* name;
    // Writes the fixture's document to `path`, answering Yes to an overwrite question.
    std::function<bool(Fixture&, const std::string&)> write;
};

const Writer Writers[] = {
    {"Save",
     [](Fixture& f, const std::string& path) {
         f.doc.documentPath = path;
         return SaveDocument(f.session, false);
     }},
    {"Save As",
     [](Fixture& f, const std::string& path) {
         f.ui.SaveFileNext(FileDialogResult{path, 1});
         f.ui.AnswerNext(MsgResult::Yes);
         return SaveDocument(f.session, true);
     }},
    {"Export",
     [](Fixture& f, const std::string& path) {
         f.ui.SaveFileNext(FileDialogResult{path, 3});
         f.ui.AnswerNext(MsgResult::Yes);
         return ExportDocument(f.session);
     }},
};

void FillDocument(Fixture& f) {
    f.doc.cd.title = "Neu";
    f.doc.cd.artist = "Band";
    f.doc.trackCount = 1;
    f.doc.tracks[0].title = "Eins";
    f.doc.tracks[0].performer = "Band";
    f.doc.tracks[0].start = 150;
}

std::size_t EntriesIn(const fs::path& dir) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

TEST(SafeSave, LinksStayLinksAndLongNamesSave) {
    for (const Writer& writer : Writers) {
        SCOPED_TRACE(writer.name);
        TempDir dir;
        // A relative link, a chain of two links into another folder, and a dangling link.
        const std::string real = dir.Write("real.cue", "old");
        fs::create_symlink("real.cue", dir.file("link.cue"));
        const std::string stored = dir.Write("store/deep.cue", "old");
        fs::create_symlink(stored, dir.file("store/hop.cue"));
        fs::create_symlink("store/hop.cue", dir.file("chain.cue"));
        fs::create_symlink("later.cue", dir.file("dangling.cue"));
        for (const auto& [link, target] : std::vector<std::pair<std::string, std::string>>{
                 {"link.cue", real}, {"chain.cue", stored}, {"dangling.cue", "later.cue"}}) {
            SCOPED_TRACE(link);
            Fixture f;
            FillDocument(f);
            ASSERT_TRUE(writer.write(f, dir.file(link))) << f.ui.MessageIds().size();
            EXPECT_TRUE(fs::is_symlink(dir.file(link)));
            const std::string written = ReadFileBytes(dir.file(link));
            EXPECT_NE(written.find("Eins"), std::string::npos);
            EXPECT_EQ(ReadFileBytes(fs::path(target).is_absolute() ? target : dir.file(target)),
                      written);
        }
        // No temporary file left beside a link or its target.
        EXPECT_EQ(EntriesIn(dir.path()), 6u);
        EXPECT_EQ(EntriesIn(dir.file("store")), 2u);

        // The longest name a folder entry may have (255 bytes, the extension included).
        const std::string longName = dir.file(std::string(251, 'n') + ".cue");
        Fixture f;
        FillDocument(f);
        EXPECT_TRUE(writer.write(f, longName)) << f.ui.MessageIds().size();
        EXPECT_NE(ReadFileBytes(longName).find("Eins"), std::string::npos);
    }
}

TEST(SafeSave, WriteProtectedTargetsAreRefusedLikeAFailedOpen) {
    TempDir dir;
    const std::string target = dir.Write("protected.cue", "the user's own text");
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    const std::string failure = test::RunUnprivileged([&]() -> std::string {
        for (const Writer& writer : Writers) {
            Fixture f;
            FillDocument(f);
            f.doc.modified = true;
            if (writer.write(f, target)) {
                return std::string(writer.name) + " replaced a protected file";
            }
            if (f.ui.MessageIds().empty() || f.ui.MessageIds().back() != 1048) {
                return std::string(writer.name) + " showed no open error";
            }
            if (!f.doc.modified) {
                return std::string(writer.name) + " marked the document saved";
            }
        }
        // The temporary file of a writer is refused the same way.
        SafeFile file;
        if (file.Create(target) || file.Error() != EACCES) {
            return "SafeFile::Create did not refuse with EACCES";
        }
        return {};
    });
    EXPECT_EQ(failure, "");
    EXPECT_EQ(ReadFileBytes(target), "the user's own text");
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

}  // namespace
}  // namespace tracklore
