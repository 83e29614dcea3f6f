#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "resources/Strings.h"

namespace tracklore::app {

// The edge between the core's texts (UTF-8) and Qt's strings.
QString FromText(std::string_view text);
std::string ToText(const QString& text);
// The table of the language the editor speaks: chosen once at start by the application, as
// Qt's own translations are; windows and dialogs take their texts from it.
void SetUiStrings(const StringTable& strings);
const StringTable& UiStrings();

// The text of a string-table entry in the editor's language, as Unicode.
QString Text(StringId id);

// CR LF as a single line break, for message boxes.
QString WithPlainLineBreaks(QString text);

// File system paths: bytes as the file system names them <-> Qt.
QString FromPath(const std::string& path);
std::string ToPath(const QString& path);

}  // namespace tracklore::app
