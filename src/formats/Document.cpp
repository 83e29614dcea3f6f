#include "formats/Document.h"

#include "formats/CueSheet.h"
#include "formats/Xmcd.h"
#include "model/Text.h"

namespace tracklore {

std::string DocumentTextFromBytes(const std::string& bytes) {
    std::string_view input = SkipUtf8Bom(bytes);
    std::string text;
    text.reserve(input.size() + 1);
    std::size_t pos = 0;
    while (pos < input.size()) {
        std::size_t lf = input.find('\n', pos);
        std::string_view line =
            input.substr(pos, lf == std::string_view::npos ? std::string_view::npos : lf - pos);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);  // text mode: CR LF becomes LF
        }
        text += line;
        text += '\n';
        if (lf == std::string_view::npos) {
            break;
        }
        pos = lf + 1;
    }
    return text;
}

DecodedText DecodeDocumentBytes(const std::string& bytes, std::string_view legacyCodePage) {
    DecodedText decoded = DecodeText(bytes, legacyCodePage);
    decoded.text = DocumentTextFromBytes(decoded.text);
    return decoded;
}

TextEncoding DocumentSaveEncoding(const TrackList& doc, std::string_view text, int kind,
                                  int saveEncodingSetting) {
    using Kind = TextEncoding::Kind;
    switch (saveEncodingSetting) {
        case SaveEncodingUtf8:
            return {Kind::Utf8, {}};
        case SaveEncodingUtf8Bom:
            return {Kind::Utf8Bom, {}};
        case SaveEncodingWindows1252:
            return {};
        default:
            break;
    }
    const TextEncoding& read = doc.encoding;
    if (read.kind == Kind::Utf16Le || read.kind == Kind::Utf16Be) {
        return {Kind::Utf8Bom, {}};
    }
    if (EncodeText(text, read).ok()) {
        return read;
    }
    if (FitsWindows1252(text)) {
        return {};
    }
    return {kind == DocumentKindXmcd ? Kind::Utf8 : Kind::Utf8Bom, {}};
}

DocumentRead ParseDocumentText(std::string_view text, TimeFormat format,
                               const AudioLengthProbe& probe) {
    DocumentRead result;
    XmcdRead xmcd = ParseXmcd(text);
    if (xmcd.recognised) {
        result.kind = DocumentKindXmcd;
        result.list = std::move(xmcd.list);
        result.error = std::move(xmcd.error);
        return result;
    }
    CueSheetRead cue = ParseCueSheet(text, format, probe);
    result.list = std::move(cue.list);
    result.error = std::move(cue.error);
    result.kind = result.error ? 0 : DocumentKindCue;
    return result;
}

std::string ProposedDocumentName(const TrackList& doc) {
    if (!doc.cd.audioFile.empty()) {
        return SanitizeFileName(doc.cd.audioFile);
    }
    std::string joined = doc.cd.artist.str() + " - " + doc.cd.title.str();
    return joined == " - " ? std::string() : SanitizeFileName(joined);
}

}  // namespace tracklore
