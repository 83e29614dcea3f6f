#include "support/Id3Tags.h"

#include "model/Encoding.h"
#include "mp3/Mpeg.h"
#include "support/TestSupport.h"

namespace tracklore::test::mp3 {

std::string BigEndian32(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
            static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string Id3Frame(const std::string& id, const std::string& data, char flag1, char flag2) {
    return id + BigEndian32(static_cast<std::uint32_t>(data.size())) + flag1 + flag2 + data;
}

std::string Id3Tag(const std::string& frames, std::size_t padding, std::uint8_t flags,
                   std::uint8_t major) {
    std::string body = frames + std::string(padding, '\0');
    return Id3v2Header(static_cast<std::uint32_t>(body.size()), flags, major) + body;
}

std::uint64_t Id3TagLength(const std::string& file) {
    if (file.size() < 10) {
        return 0;
    }
    return static_cast<std::uint64_t>(
        Id3v2TagLength(reinterpret_cast<const unsigned char*>(file.data())));
}

std::string Id3TextData(const std::string& text, int encoding, bool terminated) {
    std::string data(1, static_cast<char>(encoding));
    switch (encoding) {
        case 0:
            data += Utf8ToLatin1(text);
            break;
        case 1:
            data += Utf8ToUtf16WithBom(text);
            break;
        case 2:
            data += EncodeText(text, {TextEncoding::Kind::Utf16Be, {}}).bytes.substr(2);
            break;
        default:
            data += text;
            break;
    }
    if (terminated) {
        data += std::string(encoding == 1 || encoding == 2 ? 2 : 1, '\0');
    }
    return data;
}

std::string Id3Frame24(const std::string& id, const std::string& data, char flag1, char flag2) {
    const auto size = static_cast<std::uint32_t>(data.size());
    std::string head = id;
    for (int shift : {21, 14, 7, 0}) {
        head += static_cast<char>((size >> shift) & 0x7F);
    }
    return head + flag1 + flag2 + data;
}

std::string Id3Frame22(const std::string& id, const std::string& data) {
    return id + BigEndian32(static_cast<std::uint32_t>(data.size())).substr(1) + data;
}

}  // namespace tracklore::test::mp3
