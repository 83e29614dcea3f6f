#include "app/QtText.h"

#include <QFile>

#include "resources/Strings.h"

namespace tracklore::app {

QString FromText(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToText(const QString& text) {
    return text.toStdString();
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
    return FromText(uiStrings->Text(id));
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

}  // namespace tracklore::app
