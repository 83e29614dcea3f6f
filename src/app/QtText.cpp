#include "app/QtText.h"

#include <QFile>

#include "model/Cp1252.h"
#include "resources/Strings.h"

namespace tracklore::app {

QString FromCp1252(std::string_view text) {
    return QString::fromStdString(Cp1252ToUtf8(text));
}

std::string ToCp1252(const QString& text) {
    return Utf8ToCp1252(text.toStdString());
}

QString Text(int id) {
    return FromCp1252(String(id));
}

namespace {
// Length of the well-formed UTF-8 sequence of more than one byte at `pos`, or 0.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t pos) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(pos);
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    } else {
        return 0;
    }
    if (pos + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return IsValidUtf8(text.substr(pos, length)) ? length : 0;
}
}  // namespace

QString FromMixedText(std::string_view text) {
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    std::size_t pos = 0;
    while (pos < text.size()) {
        auto byte = static_cast<unsigned char>(text[pos]);
        if (byte < 0x80) {
            result += QChar(byte);
            ++pos;
            continue;
        }
        std::size_t length = Utf8SequenceAt(text, pos);
        if (length > 0) {
            result += QString::fromUtf8(text.data() + pos, static_cast<qsizetype>(length));
            pos += length;
        } else {
            char32_t code = Cp1252ToCodePoint(byte);
            result += QString::fromUcs4(&code, 1);
            ++pos;
        }
    }
    return result;
}

QString WithPlainLineBreaks(QString text) {
    return text.replace(QStringLiteral("\r\n"), "\n");
}

QString FromPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool IsCp1252Text(const QString& text) {
    for (char32_t code : text.toUcs4()) {
        if (code == U'?') {
            continue;
        }
        std::string utf8 = QString::fromUcs4(&code, 1).toStdString();
        if (Utf8ToCp1252(utf8) == "?") {
            return false;
        }
    }
    return true;
}

}  // namespace tracklore::app
