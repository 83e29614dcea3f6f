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

namespace {
const StringTable* uiStrings = &StringTable::German();
}  // namespace

void SetUiStrings(const StringTable& strings) {
    uiStrings = &strings;
}

const StringTable& UiStrings() {
    return *uiStrings;
}

QString Text(StringId id) {
    return FromCp1252(uiStrings->Text(id));
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

QValidator::State Cp1252Validator::validate(QString& input, int&) const {
    return IsCp1252Text(input) ? Acceptable : Invalid;
}

}  // namespace tracklore::app
