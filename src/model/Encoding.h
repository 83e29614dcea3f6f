#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tracklore {

// The program holds every text as UTF-8. Bytes are decoded where they come in (files, tags,
// replies, the clipboard) and encoded where they go out, by these rules.

// The encoding of a text file.
struct TextEncoding {
    enum class Kind {
        Windows1252,  // the program's own legacy form, byte for byte
        Utf8,         // without a byte-order mark
        Utf8Bom,      // with the byte-order mark EF BB BF
        Utf16Le,      // with its byte-order mark
        Utf16Be,      // with its byte-order mark
        Legacy,       // another single- or multi-byte code page, by its iconv name
    };
    Kind kind = Kind::Windows1252;
    std::string codePage;  // Legacy: the name iconv knows it by ("WINDOWS-1251", "SHIFT_JIS")

    // The name the status bar shows: "Windows-1252", "UTF-8", "UTF-8 BOM", "UTF-16 LE", ...
    std::string Name() const;
    bool operator==(const TextEncoding& other) const {
        return kind == other.kind && (kind != Kind::Legacy || codePage == other.codePage);
    }
};

// The choices of the save-encoding setting: keep the document's own (automatic), or force one.
constexpr int SaveEncodingAutomatic = 0;
constexpr int SaveEncodingUtf8 = 1;
constexpr int SaveEncodingUtf8Bom = 2;
constexpr int SaveEncodingWindows1252 = 3;

// The legacy code page the program reads text in when it has no byte-order mark and is not
// UTF-8 (the default of the LegacyCodePage setting).
constexpr const char* DefaultLegacyCodePage = "WINDOWS-1252";

// The encoding named by a code page name: Windows-1252 for its usual names, else Legacy.
TextEncoding LegacyEncoding(std::string_view codePage);

// Whether iconv knows the code page.
bool IsKnownCodePage(std::string_view codePage);

// A text file's bytes decoded: a byte-order mark decides (UTF-8, UTF-16 LE, UTF-16 BE); without
// one, bytes that are valid UTF-8 and hold a non-ASCII sequence are UTF-8; anything else is
// the legacy code page (bytes it cannot decode become U+FFFD). The mark is not part of the text.
struct DecodedText {
    std::string text;  // UTF-8
    TextEncoding encoding;
};
DecodedText DecodeText(std::string_view bytes, std::string_view legacyCodePage);

// Bytes in a given encoding decoded to UTF-8 (the mark at the start of the kinds that have one
// is skipped; the bytes of Utf16 kinds without a mark are taken in their order).
std::string DecodeAs(std::string_view bytes, const TextEncoding& encoding);

// A text encoded: the bytes (with the byte-order mark of the kinds that have one), or the first
// character that the encoding cannot hold.
struct EncodedText {
    std::string bytes;
    std::optional<char32_t> unfit;
    bool ok() const { return !unfit; }
};
EncodedText EncodeText(std::string_view utf8, const TextEncoding& encoding);

// Whether every character of the UTF-8 text has a byte in Windows-1252 / ISO-8859-1.
bool FitsWindows1252(std::string_view utf8);
bool FitsLatin1(std::string_view utf8);
// The ISO-8859-1 bytes of a text that fits (others become '?').
std::string Utf8ToLatin1(std::string_view utf8);
// UTF-16 with a byte-order mark (little-endian), as ID3v2 text frames of encoding 1 hold it.
std::string Utf8ToUtf16WithBom(std::string_view utf8);
// UTF-16 bytes decoded (a mark decides the order; without one, big-endian unless `littleEndian`).
std::string Utf16ToUtf8(std::string_view bytes, bool littleEndian = false);

// The number of characters (code points) of a UTF-8 text; an invalid byte counts as one.
std::size_t CharacterCount(std::string_view utf8);
// The longest start of the text with at most `characters` characters; never splits a character.
std::string_view FirstCharacters(std::string_view utf8, std::size_t characters);
// The longest start of the text of at most `bytes` bytes that ends between two characters.
std::string_view FirstBytesOfCharacters(std::string_view utf8, std::size_t bytes);
// Bytes that are not valid UTF-8 replaced by U+FFFD (a file name shown as text).
std::string ValidUtf8(std::string_view bytes);
// A file or folder name as the file system holds it (bytes, UTF-8 on Linux) made into text for
// a message or a display field: bytes that are not UTF-8 are shown as U+FFFD.
inline std::string FileNameText(std::string_view name) {
    return ValidUtf8(name);
}

// "U+20AC (€)" for a message that names a character.
std::string CharacterName(char32_t codePoint);

}  // namespace tracklore
