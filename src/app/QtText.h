#pragma once

#include <QString>
#include <QValidator>
#include <string>
#include <string_view>

#include "resources/Strings.h"

namespace tracklore::app {

// The edge between the core's Windows-1252 texts and Qt's Unicode strings.
QString FromCp1252(std::string_view text);
// Characters without a Windows-1252 byte become '?'.
std::string ToCp1252(const QString& text);
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

// True when every character of the text has a Windows-1252 byte.
bool IsCp1252Text(const QString& text);

// A field's validator: accepts only text the document can hold, so a field never shows a
// character that would be stored as '?'.
class Cp1252Validator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};

}  // namespace tracklore::app
