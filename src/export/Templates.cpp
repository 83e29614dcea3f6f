#include "export/Templates.h"

#include <algorithm>
#include <array>

#include "model/Cp1252.h"
#include "model/Time.h"
#include "resources/Strings.h"

namespace tracklore {

namespace {

// HTML 4 entity names of the Windows-1252 bytes 0x80 to 0xFF; null where none is written.
constexpr std::array<const char*, 128> HtmlEntities = {
    "euro",   nullptr,  "sbquo",  "fnof",   "bdquo",  "hellip", "dagger", "Dagger",  // 80
    "circ",   "permil", "Scaron", "lsaquo", "OElig",  nullptr,  nullptr,  nullptr,   // 88
    nullptr,  "lsquo",  "rsquo",  "ldquo",  "rdquo",  "bull",   "ndash",  "mdash",   // 90
    nullptr,  "trade",  "scaron", "rsaquo", "oelig",  nullptr,  nullptr,  "Yuml",    // 98
    nullptr,  "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",    // A0
    "uml",    "copy",   "ordf",   "laquo",  "not",    nullptr,  "reg",    "macr",    // A8
    "deg",    "plusmn", "sup2",   "sup3",   "acute",  "micro",  "para",   "middot",  // B0
    "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12", "frac34", "iquest",  // B8
    "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",  // C0
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",    // C8
    "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",   // D0
    "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",   // D8
    "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",  // E0
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",    // E8
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide",  // F0
    "oslash", "ugrave", "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",    // F8
};

// Replaces every occurrence, left to right; the inserted text is not searched again.
std::string ReplaceAll(const std::string& text, std::string_view placeholder,
                       std::string_view value) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (true) {
        std::size_t at = text.find(placeholder, pos);
        if (at == std::string::npos) {
            out.append(text, pos, std::string::npos);
            return out;
        }
        out.append(text, pos, at - pos);
        out.append(value);
        pos = at + placeholder.size();
    }
}

std::string MakeDocument(const TrackList& doc, TimeFormat format, const StringTable& strings,
                         EscapeMode mode, StringId head, StringId row, StringId foot) {
    std::string text = FillTemplate(strings.Text(head), -1, mode, doc, format, strings);
    const int count = std::clamp(doc.trackCount, 0, MaxTracks);
    for (int i = 0; i < count; ++i) {
        text += FillTemplate(strings.Text(row), i, mode, doc, format, strings);
    }
    text += FillTemplate(strings.Text(foot), -1, mode, doc, format, strings);
    return text;
}

}  // namespace

std::string EscapeText(std::string_view text, EscapeMode mode) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = 0;
        std::size_t length = DecodeUtf8(text, i, cp);
        if (length == 0) {
            cp = 0xFFFD;
            length = 1;
        }
        const std::string_view character = text.substr(i, length);
        i += length;
        if (cp < 32) {
            continue;  // control characters
        }
        const char c = static_cast<char>(cp < 0x80 ? cp : 0);
        switch (c) {
            case '&':
                out += "&amp;";
                continue;
            case '<':
                out += "&lt;";
                continue;
            case '>':
                out += "&gt;";
                continue;
            case '"':
                out += "&quot;";
                continue;
            default:
                break;
        }
        // The named entity of a character that has one, as the Windows-1252 table lists them.
        const int byte = cp >= 0x80 ? CodePointToCp1252(cp) : -1;
        if (mode == EscapeMode::Html && byte >= 0x80 && HtmlEntities[byte - 0x80] != nullptr) {
            out += '&';
            out += HtmlEntities[byte - 0x80];
            out += ';';
            continue;
        }
        if (length == 1 && cp == 0xFFFD) {
            AppendUtf8(out, cp);
            continue;
        }
        out += character;
    }
    return out;
}

std::string TrackLengthText(const TrackList& doc, int index, TimeFormat format,
                            const StringTable& strings) {
    std::int32_t length = TrackLength(doc, index);
    if (length == UnknownLength) {
        return std::string(strings.Text(str::UnknownLength));
    }
    return FormatTime(length, format);
}

std::string FillTemplate(std::string_view templateText, int index, EscapeMode mode,
                         const TrackList& doc, TimeFormat format, const StringTable& strings) {
    std::string text(templateText);
    text = ReplaceAll(text, "[[artist]]", EscapeText(doc.cd.artist, mode));
    text = ReplaceAll(text, "[[title]]", EscapeText(doc.cd.title, mode));
    text = ReplaceAll(text, "[[discid]]", EscapeText(doc.cd.discId, mode));
    text = ReplaceAll(text, "[[year]]", EscapeText(doc.cd.year, mode));
    text = ReplaceAll(text, "[[genre]]", EscapeText(doc.cd.genre, mode));
    if (index >= 0 && index <= MaxTracks) {
        const Track& track = doc.tracks[index];
        text = ReplaceAll(text, "[[tnum]]", std::to_string(index + 1));
        text = ReplaceAll(text, "[[tartist]]", EscapeText(track.performer, mode));
        text = ReplaceAll(text, "[[ttitle]]", EscapeText(track.title, mode));
        text = ReplaceAll(text, "[[tlength]]",
                          EscapeText(TrackLengthText(doc, index, format, strings), mode));
    }
    return text;
}

std::string MakeXmlText(const TrackList& doc, TimeFormat format, const StringTable& strings) {
    return MakeDocument(doc, format, strings, EscapeMode::Xml, str::XmlHead, str::XmlRow,
                        str::XmlFoot);
}

std::string MakeHtmlText(const TrackList& doc, TimeFormat format, const StringTable& strings) {
    return MakeDocument(doc, format, strings, EscapeMode::Html, str::HtmlHead, str::HtmlRow,
                        str::HtmlFoot);
}

}  // namespace tracklore
