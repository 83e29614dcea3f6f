#include "mp3/Mp3Scan.h"

#include <langinfo.h>
#include <locale.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "formats/CueSheet.h"
#include "formats/Document.h"
#include "model/Encoding.h"
#include "model/Text.h"
#include "mp3/Chapters.h"
#include "mp3/Id3.h"
#include "mp3/ImportHelpers.h"
#include "mp3/Mpeg.h"
#include "resources/Strings.h"

namespace tracklore {

namespace {

// Archive and media types that are sometimes given an .mp3 name. Tested in this order on
// the first chunk; the first match ends the scan with its message.
struct Signature {
    std::size_t offset;
    std::string_view bytes;
    StringId message;
};
using namespace std::string_view_literals;
constexpr Signature Signatures[] = {
    {7, "**ACE**"sv, str::AceArchive},
    {0, "Rar!"sv, str::RarArchive},
    {0, "PK"sv, str::ZipArchive},
    {2, "-lh5-"sv, str::LzhArchive},
    {0, "MSCF\0\0"sv, str::CabArchive},
    {256, "\0ustar  "sv, str::TarArchive},
    {10, "wrapster"sv, str::WrapsterArchive},
};
constexpr std::string_view AsfHeaderId =
    "\x30\x26\xB2\x75\x8E\x66\xCF\x11\xA6\xD9\x00\xAA\x00\x62\xCE\x6C"sv;

constexpr std::size_t MaxWriterNameLength = 2047;
// How far the cue sheet test reads on when a sheet starts in the first chunk but does not end
// there. The longest sheet a 99-track list makes is about 70 KB.
constexpr std::size_t CueSheetReadLimit = 1 << 20;

bool HasBytesAt(std::string_view chunk, std::size_t offset, std::string_view bytes) {
    return offset + bytes.size() <= chunk.size() && chunk.substr(offset, bytes.size()) == bytes;
}

// The message of the first signature the chunk carries, or None.
StringId FindSignature(std::string_view chunk) {
    for (const Signature& signature : Signatures) {
        if (HasBytesAt(chunk, signature.offset, signature.bytes)) {
            return signature.message;
        }
    }
    // An ID3v2 tag in front of a wrapster archive: the tag's length is taken from its header
    // as it stands, without the validity tests of the frame search.
    if (HasBytesAt(chunk, 0, "ID3")) {
        std::int64_t tagLength =
            Id3v2TagLength(reinterpret_cast<const unsigned char*>(chunk.data()));
        if (tagLength + 18 < static_cast<std::int64_t>(chunk.size()) &&
            HasBytesAt(chunk, static_cast<std::size_t>(tagLength) + 10, "wrapster")) {
            return str::WrapsterAfterTag;
        }
    }
    if (HasBytesAt(chunk, 0, AsfHeaderId)) {
        return str::WindowsMediaFile;
    }
    return StringId::None;
}

ExtractAnswer Ask(const Mp3ScanHooks& hooks, ExtractOffer::Kind kind, std::string name = {}) {
    // "Nein" (go on searching) is the answer when nobody decides.
    return hooks.offer ? hooks.offer({kind, std::move(name)}) : ExtractAnswer::No;
}

void MarkExtracted(Mp3ScanJob& job, TrackList list, ByteSource& file) {
    CompleteExtractedList(list, job, file);
    job.list = std::move(list);
    job.listExtracted = true;
    job.done = true;
    job.split.Clear();
}

// The album-wrapper header at the start of the file: offered for extraction.
void TestAlbumWrap(Mp3ScanJob& job, const Mp3ScanHooks& hooks, ByteSource& file,
                   const unsigned char* chunk, std::size_t length) {
    if (!IsAlbumWrapHeader(chunk, length)) {
        return;
    }
    ExtractAnswer answer = Ask(hooks, ExtractOffer::Kind::AlbumWrap,
                               AlbumWrapName(chunk, length, LegacyEncoding(hooks.legacyCodePage)));
    if (answer == ExtractAnswer::Yes) {
        std::optional<MeasuredList> read =
            ReadAlbumWrapHeader(file, chunk, length, LegacyEncoding(hooks.legacyCodePage));
        if (!read) {
            return;  // a header without its frames takes nothing over
        }
        if (read->unmeasuredTrack != 0) {
            // The tracks before it stand in the list; the search goes on.
            if (hooks.trackNotMeasured) {
                hooks.trackNotMeasured(read->unmeasuredTrack);
            }
            job.list = std::move(read->list);
            job.listExtracted = false;
            return;
        }
        MarkExtracted(job, std::move(read->list), file);
    } else if (answer == ExtractAnswer::Cancel) {
        job.cancelRequested = true;
    }
}

// A cue sheet between the markers "CUESHEET" CR LF and "ENDCUESHEET", wherever they stand
// in the first chunk; its writer, when named, between "CUEVERSION" CR LF and "ENDCUEVERSION".
// A sheet that starts in the chunk and runs on past it (a long list in the tag) is read on
// from the file, up to CueSheetReadLimit bytes from its start.
void TestCueSheet(Mp3ScanJob& job, const Mp3ScanHooks& hooks, ByteSource& file,
                  std::string_view chunk) {
    constexpr std::string_view begin = "CUESHEET\r\n";
    constexpr std::string_view end = "ENDCUESHEET";
    std::size_t at = chunk.find(begin);
    if (at == std::string_view::npos) {
        return;
    }
    std::size_t endAt = chunk.find(end, at);
    std::string longer;
    if (endAt == std::string_view::npos && chunk.size() == ScanChunkSize &&
        job.fileSize > chunk.size()) {
        longer.resize(
            static_cast<std::size_t>(std::min<std::uint64_t>(job.fileSize, CueSheetReadLimit)));
        file.SeekTo(0);
        const std::size_t got = file.Read(longer.data(), longer.size());
        if (file.Failed()) {
            return;  // the chunk itself was read; the main loop reports errors of its own
        }
        longer.resize(got);
        chunk = longer;
        endAt = chunk.find(end, at);
    }
    if (endAt == std::string_view::npos || endAt < at + begin.size()) {
        return;
    }
    std::string_view cueText = chunk.substr(at + begin.size(), endAt - at - begin.size());

    constexpr std::string_view versionBegin = "CUEVERSION\r\n";
    constexpr std::string_view versionEnd = "ENDCUEVERSION";
    ExtractAnswer answer;
    std::size_t versionAt = chunk.find(versionBegin);
    std::size_t versionEndAt = versionAt == std::string_view::npos
                                   ? std::string_view::npos
                                   : chunk.find(versionEnd, versionAt);
    if (versionEndAt != std::string_view::npos && versionEndAt >= versionAt + versionBegin.size()) {
        std::string_view writer = chunk.substr(versionAt + versionBegin.size(),
                                               versionEndAt - versionAt - versionBegin.size());
        writer = writer.substr(0, MaxWriterNameLength);
        answer = Ask(hooks, ExtractOffer::Kind::CueSheetByWriter,
                     DecodeText(writer, hooks.legacyCodePage).text);
    } else {
        answer = Ask(hooks, ExtractOffer::Kind::CueSheet);
    }
    if (answer == ExtractAnswer::Yes) {
        // The bytes are read as a cue sheet file is opened (a mark, UTF-8 or the legacy code
        // page), so a sheet comes back as the writer put it in. It names no folder: the audio
        // file is measured from the MP3 file itself.
        const DecodedText decoded = DecodeDocumentBytes(std::string(cueText), hooks.legacyCodePage);
        CueSheetRead read = ParseCueSheet(decoded.text, job.timeFormat);
        read.list.encoding = decoded.encoding;  // saved again in the encoding it came in
        job.extractError = read.error;
        MarkExtracted(job, std::move(read.list), file);
    } else if (answer == ExtractAnswer::Cancel) {
        job.cancelRequested = true;
    }
}

// The end of the split at ID3v1 records, after the whole file was read: the untagged end of
// the file becomes the last fragment.
void FinishId3v1Split(Mp3ScanJob& job) {
    std::vector<Fragment>& fragments = job.split.fragments;
    if (fragments.empty()) {
        return;
    }
    // A single record that closes the file: one track, nothing to split.
    if (fragments.size() == 1 && fragments[0].length == job.fileSize) {
        fragments.clear();
        return;
    }
    const Fragment& last = fragments.back();
    std::uint64_t lastEnd = last.start + last.length;
    if (lastEnd < job.fileSize) {
        if (fragments.size() < static_cast<std::size_t>(MaxTracks)) {
            // The untagged end of the file is the last track.
            Fragment tail;
            tail.start = lastEnd;
            tail.length = job.fileSize - lastEnd;
            tail.tag = EmptyId3v1Record();
            fragments.push_back(tail);
        } else {
            ++job.split.droppedTags;
        }
    }
    job.done = true;
}

}  // namespace

StringId ScanMethodTextId(const Mp3ScanJob& job) {
    if (job.findCueTag && job.splitAtId3v1) {
        return str::MethodBothTags;
    }
    if (job.findCueTag) {
        return str::MethodId3v2;
    }
    return job.splitAtId3v1 ? str::MethodId3v1 : str::MethodArchivesOnly;
}

std::unique_ptr<ByteSource> OpenFileForScan(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return nullptr;
    }
    return FileSource::Open(path);
}

void ShowScanProgress(Mp3ScanJob& job, int percent, const ScanProgress& progress) {
    if (percent == job.lastPercent) {
        return;
    }
    job.lastPercent = percent;
    if (progress) {
        progress(percent);
    }
}

std::string SystemErrorText(int errorCode) {
    // The message catalogue and character set of the user's locale; the C locale when the
    // environment names none that is installed.
    locale_t locale = newlocale(LC_MESSAGES_MASK | LC_CTYPE_MASK, "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) {
        locale = newlocale(LC_MESSAGES_MASK | LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
    }
    if (locale == static_cast<locale_t>(0)) {
        return std::string(std::strerror(errorCode));
    }
    std::string text = strerror_l(errorCode, locale);
    const std::string codeset = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
    return codeset == "UTF-8" ? ValidUtf8(text) : DecodeAs(text, LegacyEncoding(codeset));
}

void CompleteExtractedList(TrackList& doc, const Mp3ScanJob& job, ByteSource& file) {
    if (doc.cd.audioFile.empty()) {
        doc.cd.audioFile = FileNameText(StripExtension(FileNamePart(job.path)));
    }
    if (doc.cd.totalSeconds == 0) {
        file.SeekTo(0);
        float seconds = MpegDuration(file, static_cast<std::int64_t>(job.fileSize));
        std::int32_t total = ClampToInt32(std::trunc(static_cast<double>(seconds)));
        // A total before the start of the last track is no total (a failed measurement
        // gives -1 and ends here too).
        if (doc.trackCount > 0 && doc.trackCount <= MaxTracks &&
            std::floor(doc.tracks[doc.trackCount - 1].start / 75.0) > total) {
            total = 0;
        }
        doc.cd.totalSeconds = total < 0 ? 0 : total;
    }
}

void ScanMp3File(Mp3ScanJob& job, const Mp3ScanHooks& hooks, const ScanProgress& progress,
                 const FileOpener& open) {
    job.split.Clear();
    job.done = false;
    job.finished = false;
    job.trackListBuilt = false;
    job.lastPercent = -1;
    job.openFailed = false;
    job.list.reset();
    job.listExtracted = false;
    job.extractError.reset();
    job.signature = StringId::None;
    ShowScanProgress(job, 0, progress);

    std::unique_ptr<ByteSource> file = open(job.path);
    if (!file) {
        job.openFailed = true;
        return;
    }
    job.fileSize = job.remaining = file->Size();
    job.processed = 0;

    // A file is read in blocks of several chunks where that is faster; each chunk is still
    // searched, counted and cancelled on its own. A block that cannot be read whole is read
    // chunk by chunk, so that a read error concerns the chunk where it happens.
    ScanWindow window(file->ReadBlockSize());
    std::uint64_t blockStart = 0;
    std::size_t blockFilled = 0;
    while (job.remaining > 0 && !job.done) {
        const std::size_t chunkLength =
            job.remaining < ScanChunkSize ? static_cast<std::size_t>(job.remaining) : ScanChunkSize;
        if (job.cancelRequested) {
            break;
        }
        const std::uint64_t chunkStart = job.processed;
        std::size_t got = chunkLength;
        bool usable = true;
        if (blockFilled == 0 || chunkStart + chunkLength > blockStart + blockFilled) {
            blockStart = chunkStart;
            blockFilled = 0;
            const std::size_t wanted = static_cast<std::size_t>(
                std::min<std::uint64_t>(job.remaining, window.BlockBytes()));
            if (wanted > chunkLength) {
                file->SeekTo(chunkStart);
                const std::size_t read = file->Read(window.Chunk(), wanted);
                // A block that comes back short (the file got shorter) keeps its whole
                // chunks; the rest is read on its own.
                if (!file->Failed() && read >= chunkLength) {
                    blockFilled = read == wanted ? read : read - read % ScanChunkSize;
                }
            }
        }
        unsigned char* chunk = window.Chunk() + (chunkStart - blockStart);
        if (blockFilled == 0) {
            file->SeekTo(chunkStart);
            got = file->Read(chunk, chunkLength);
            if (file->Failed()) {
                const ReadErrorAnswer answer =
                    hooks.readError ? hooks.readError(file->LastError()) : ReadErrorAnswer::Abort;
                if (answer == ReadErrorAnswer::Abort) {
                    job.cancelRequested = true;
                    continue;
                }
                if (answer == ReadErrorAnswer::Retry) {
                    continue;
                }
                // Ignore: the chunk is passed over, its unreadable bytes taken as zeros, so
                // that the scan goes on behind it and offsets stay right.
                std::memset(chunk + got, 0, chunkLength - got);
                got = chunkLength;
                usable = false;
            } else if (got < chunkLength) {
                // The file got shorter while it was read: it ends here.
                job.fileSize = chunkStart + got;
                job.remaining = got;
            }
            blockFilled = got;
        }

        if (chunkStart == 0 && usable) {
            if (job.findCueTag) {
                TestAlbumWrap(job, hooks, *file, chunk, got);
                if (!job.done) {
                    TestCueSheet(job, hooks, *file,
                                 std::string_view(reinterpret_cast<const char*>(chunk), got));
                }
            }
            if (job.findChapters && !job.done && !job.cancelRequested) {
                OfferChapters(job, hooks, *file,
                              std::string_view(reinterpret_cast<const char*>(chunk), got));
            }
            if (job.detectArchives && !job.done) {
                if (StringId messageId =
                        FindSignature(std::string_view(reinterpret_cast<const char*>(chunk), got));
                    messageId != StringId::None) {
                    job.signature = messageId;
                    job.done = true;
                    break;
                }
            }
        }
        if (job.splitAtId3v1 && !job.done) {
            SearchWindowForTags(job.split, chunkStart, chunk - CarriedBytes, CarriedBytes + got);
        }
        if (chunkStart + got >= blockStart + blockFilled) {
            window.Carry(blockFilled);
            blockFilled = 0;
        }

        job.remaining -= got;
        job.processed = job.fileSize - job.remaining;
        int percent = job.fileSize == 0
                          ? 100
                          : static_cast<int>(std::floor(100.0 * static_cast<double>(job.processed) /
                                                        static_cast<double>(job.fileSize)));
        ShowScanProgress(job, percent, progress);
    }
    if (job.done || job.remaining == 0) {
        ShowScanProgress(job, 100, progress);
        job.finished = true;
    }
    file.reset();

    if (job.finished && !job.cancelRequested && job.splitAtId3v1 && !job.done) {
        FinishId3v1Split(job);
    }
}

}  // namespace tracklore
