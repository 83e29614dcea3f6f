#include "model/Encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>

#include "model/Cp1252.h"
#include "model/Text.h"

namespace tracklore {

namespace {

constexpr char32_t Replacement = 0xFFFD;

bool IsWindows1252Name(std::string_view codePage) {
    const std::string upper = ToUpperAscii(codePage);
    return upper == "WINDOWS-1252" || upper == "CP1252" || upper == "WIN-1252" ||
           upper == "MS-ANSI";
}

bool HasNonAscii(std::string_view bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return true;
        }
    }
    return false;
}

// A conversion through iconv; nullopt when iconv does not know the code page or the input
// does not convert (with `lossy`, bytes it cannot take are replaced and it goes on).
std::optional<std::string> Iconv(std::string_view input, const char* to, const char* from,
                                 bool lossy, const std::string& replacement) {
    iconv_t cd = ::iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::nullopt;
    }
    std::string out;
    std::string buffer(4096, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    bool failed = false;
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        std::size_t done = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), buffer.size() - outLeft);
        if (done != static_cast<std::size_t>(-1)) {
            continue;
        }
        if (errno == E2BIG) {
            continue;
        }
        // EILSEQ or EINVAL: an input byte (or a cut sequence) it cannot convert.
        if (!lossy) {
            failed = true;
            break;
        }
        out += replacement;
        ++in;
        --inLeft;
    }
    // Flush the shift state of stateful encodings.
    char* outPtr = buffer.data();
    std::size_t outLeft = buffer.size();
    ::iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer.data(), buffer.size() - outLeft);
    ::iconv_close(cd);
    if (failed) {
        return std::nullopt;
    }
    return out;
}

std::string ReplacementUtf8() {
    std::string text;
    AppendUtf8(text, Replacement);
    return text;
}

}  // namespace

std::string TextEncoding::Name() const {
    switch (kind) {
        case Kind::Windows1252:
            return "Windows-1252";
        case Kind::Utf8:
            return "UTF-8";
        case Kind::Utf8Bom:
            return "UTF-8 BOM";
        case Kind::Utf16Le:
            return "UTF-16 LE";
        case Kind::Utf16Be:
            return "UTF-16 BE";
        case Kind::Legacy:
            return codePage;
    }
    return {};
}

TextEncoding LegacyEncoding(std::string_view codePage) {
    if (codePage.empty() || IsWindows1252Name(codePage)) {
        return {};
    }
    return {TextEncoding::Kind::Legacy, ToUpperAscii(codePage)};
}

bool IsKnownCodePage(std::string_view codePage) {
    if (IsWindows1252Name(codePage)) {
        return true;
    }
    iconv_t cd = ::iconv_open("UTF-8", std::string(codePage).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    ::iconv_close(cd);
    return true;
}

DecodedText DecodeText(std::string_view bytes, std::string_view legacyCodePage) {
    using Kind = TextEncoding::Kind;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        return {ValidUtf8(bytes.substr(3)), {Kind::Utf8Bom, {}}};
    }
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        return {Utf16ToUtf8(bytes.substr(2), true), {Kind::Utf16Le, {}}};
    }
    if (bytes.substr(0, 2) == "\xFE\xFF") {
        return {Utf16ToUtf8(bytes.substr(2), false), {Kind::Utf16Be, {}}};
    }
    if (HasNonAscii(bytes) && IsValidUtf8(bytes)) {
        return {std::string(bytes), {Kind::Utf8, {}}};
    }
    const TextEncoding legacy = LegacyEncoding(legacyCodePage);
    return {DecodeAs(bytes, legacy), legacy};
}

std::string DecodeAs(std::string_view bytes, const TextEncoding& encoding) {
    using Kind = TextEncoding::Kind;
    switch (encoding.kind) {
        case Kind::Windows1252:
            return Cp1252ToUtf8(bytes);
        case Kind::Utf8:
            return ValidUtf8(bytes);
        case Kind::Utf8Bom:
            if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
                bytes.remove_prefix(3);
            }
            return ValidUtf8(bytes);
        case Kind::Utf16Le:
            return Utf16ToUtf8(bytes, true);
        case Kind::Utf16Be:
            return Utf16ToUtf8(bytes, false);
        case Kind::Legacy: {
            auto text = Iconv(bytes, "UTF-8", encoding.codePage.c_str(), true, ReplacementUtf8());
            // A code page iconv does not know: the program's own legacy form.
            return text ? *text : Cp1252ToUtf8(bytes);
        }
    }
    return {};
}

EncodedText EncodeText(std::string_view utf8, const TextEncoding& encoding) {
    using Kind = TextEncoding::Kind;
    EncodedText result;
    switch (encoding.kind) {
        case Kind::Windows1252: {
            std::size_t i = 0;
            result.bytes.reserve(utf8.size());
            while (i < utf8.size()) {
                char32_t cp = 0;
                std::size_t len = DecodeUtf8(utf8, i, cp);
                if (len == 0) {
                    cp = Replacement;
                    len = 1;
                }
                const int byte = CodePointToCp1252(cp);
                if (byte < 0) {
                    result.unfit = cp;
                    return result;
                }
                result.bytes += static_cast<char>(byte);
                i += len;
            }
            return result;
        }
        case Kind::Utf8:
            result.bytes = std::string(utf8);
            return result;
        case Kind::Utf8Bom:
            result.bytes = "\xEF\xBB\xBF" + std::string(utf8);
            return result;
        case Kind::Utf16Le:
        case Kind::Utf16Be: {
            const bool little = encoding.kind == Kind::Utf16Le;
            result.bytes = little ? "\xFF\xFE" : "\xFE\xFF";
            std::size_t i = 0;
            auto unit = [&](char32_t u) {
                const char hi = static_cast<char>((u >> 8) & 0xFF);
                const char lo = static_cast<char>(u & 0xFF);
                result.bytes += little ? lo : hi;
                result.bytes += little ? hi : lo;
            };
            while (i < utf8.size()) {
                char32_t cp = 0;
                std::size_t len = DecodeUtf8(utf8, i, cp);
                if (len == 0) {
                    cp = Replacement;
                    len = 1;
                }
                if (cp >= 0x10000) {
                    cp -= 0x10000;
                    unit(0xD800 + (cp >> 10));
                    unit(0xDC00 + (cp & 0x3FF));
                } else {
                    unit(cp);
                }
                i += len;
            }
            return result;
        }
        case Kind::Legacy: {
            // Character by character, so that the first one the code page lacks is named.
            std::size_t i = 0;
            while (i < utf8.size()) {
                char32_t cp = 0;
                std::size_t len = DecodeUtf8(utf8, i, cp);
                if (len == 0) {
                    cp = Replacement;
                    len = 1;
                }
                std::string one;
                AppendUtf8(one, cp);
                auto bytes = Iconv(one, encoding.codePage.c_str(), "UTF-8", false, {});
                if (!bytes) {
                    result.unfit = cp;
                    return result;
                }
                result.bytes += *bytes;
                i += len;
            }
            return result;
        }
    }
    return result;
}

bool FitsWindows1252(std::string_view utf8) {
    return EncodeText(utf8, {}).ok();
}

bool FitsLatin1(std::string_view utf8) {
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = 0;
        std::size_t len = DecodeUtf8(utf8, i, cp);
        if (len == 0 || cp > 0xFF) {
            return false;
        }
        i += len;
    }
    return true;
}

std::string Utf8ToLatin1(std::string_view utf8) {
    std::string out;
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = 0;
        std::size_t len = DecodeUtf8(utf8, i, cp);
        if (len == 0) {
            cp = '?';
            len = 1;
        }
        out += cp <= 0xFF ? static_cast<char>(cp) : '?';
        i += len;
    }
    return out;
}

std::string Utf8ToUtf16WithBom(std::string_view utf8) {
    return EncodeText(utf8, {TextEncoding::Kind::Utf16Le, {}}).bytes;
}

std::string Utf16ToUtf8(std::string_view bytes, bool littleEndian) {
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        littleEndian = true;
        bytes.remove_prefix(2);
    } else if (bytes.substr(0, 2) == "\xFE\xFF") {
        littleEndian = false;
        bytes.remove_prefix(2);
    }
    std::string out;
    out.reserve(bytes.size());
    auto unitAt = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return littleEndian ? static_cast<char32_t>(a | (b << 8))
                            : static_cast<char32_t>((a << 8) | b);
    };
    std::size_t i = 0;
    while (i + 1 < bytes.size()) {
        char32_t u = unitAt(i);
        i += 2;
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < bytes.size()) {
            const char32_t low = unitAt(i);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                i += 2;
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? Replacement : u);
    }
    if (i < bytes.size()) {
        AppendUtf8(out, Replacement);  // an odd last byte
    }
    return out;
}

std::size_t CharacterCount(std::string_view utf8) {
    std::size_t count = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = 0;
        std::size_t len = DecodeUtf8(utf8, i, cp);
        i += len == 0 ? 1 : len;
        ++count;
    }
    return count;
}

std::string_view FirstCharacters(std::string_view utf8, std::size_t characters) {
    std::size_t i = 0;
    while (i < utf8.size() && characters > 0) {
        char32_t cp = 0;
        std::size_t len = DecodeUtf8(utf8, i, cp);
        i += len == 0 ? 1 : len;
        --characters;
    }
    return utf8.substr(0, i);
}

std::string_view FirstBytesOfCharacters(std::string_view utf8, std::size_t bytes) {
    std::size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = 0;
        std::size_t len = DecodeUtf8(utf8, i, cp);
        len = len == 0 ? 1 : len;
        if (i + len > bytes) {
            break;
        }
        i += len;
    }
    return utf8.substr(0, i);
}

std::string ValidUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t cp = 0;
        std::size_t len = DecodeUtf8(bytes, i, cp);
        if (len == 0) {
            AppendUtf8(out, Replacement);
            ++i;
            continue;
        }
        out.append(bytes.substr(i, len));
        i += len;
    }
    return out;
}

std::string CharacterName(char32_t codePoint) {
    char number[16];
    std::snprintf(number, sizeof number, "U+%04X", static_cast<unsigned>(codePoint));
    std::string text = number;
    if (codePoint >= 0x20 && codePoint != 0x7F && !(codePoint >= 0x80 && codePoint < 0xA0)) {
        text += " (";
        AppendUtf8(text, codePoint);
        text += ")";
    }
    return text;
}

}  // namespace tracklore
