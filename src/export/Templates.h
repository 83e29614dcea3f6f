#pragma once

#include <string>
#include <string_view>

#include "model/TrackList.h"
#include "resources/Strings.h"

namespace tracklore {

enum class EscapeMode { Xml, Html };

// Drops control characters, writes &amp; &lt; &gt; &quot; and, in HTML mode, the named
// entity of every Windows-1252 character that has one.
std::string EscapeText(std::string_view text, EscapeMode mode);

// Fills the album placeholders of a template, and the track placeholders when `index` is 0
// or more. Placeholders are replaced one after the other in a fixed order; a value inserted
// for one placeholder is searched for the later ones, never for its own.
std::string FillTemplate(std::string_view templateText, int index, EscapeMode mode,
                         const TrackList& doc, TimeFormat format, const StringTable& strings);

// The whole XML document (ISO-8859-1) and the whole HTML page of the track list.
std::string MakeXmlText(const TrackList& doc, TimeFormat format, const StringTable& strings);
std::string MakeHtmlText(const TrackList& doc, TimeFormat format, const StringTable& strings);

// FormatTime of the track's length, or "(bis EOF)" when it is not known.
std::string TrackLengthText(const TrackList& doc, int index, TimeFormat format,
                            const StringTable& strings);

}  // namespace tracklore
