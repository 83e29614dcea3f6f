#include <string>

#include "FuzzSupport.h"
#include "model/Encoding.h"

// Bytes of any kind decode to valid UTF-8 in every code page, and decoded text goes back to
// the same text through the UTF encodings.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tracklore;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const char* codePage : {"WINDOWS-1252", "WINDOWS-1251", "SHIFT_JIS"}) {
        const DecodedText decoded = DecodeText(bytes, codePage);
        FUZZ_CHECK(IsValidUtf8(decoded.text));
        for (TextEncoding::Kind kind : {TextEncoding::Kind::Utf8, TextEncoding::Kind::Utf8Bom,
                                        TextEncoding::Kind::Utf16Le, TextEncoding::Kind::Utf16Be}) {
            const TextEncoding encoding{kind, {}};
            const EncodedText encoded = EncodeText(decoded.text, encoding);
            FUZZ_CHECK(encoded.ok());
            FUZZ_CHECK(DecodeAs(encoded.bytes, encoding) == decoded.text);
        }
        const EncodedText legacy = EncodeText(decoded.text, decoded.encoding);
        if (legacy.ok() && decoded.encoding.kind == TextEncoding::Kind::Windows1252) {
            FUZZ_CHECK(DecodeAs(legacy.bytes, decoded.encoding) == decoded.text);
        }
        FUZZ_CHECK(CharacterCount(FirstCharacters(decoded.text, 7)) <= 7);
    }
    return 0;
}
