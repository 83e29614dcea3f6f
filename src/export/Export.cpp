#include "export/Export.h"

#include <algorithm>

#include "export/Templates.h"
#include "model/Cp1252.h"
#include "model/Text.h"
#include "resources/Strings.h"

namespace tracklore {

std::string MakeTextList(const TrackList& doc, TimeFormat format, const StringTable& strings) {
    std::string text;
    const int count = std::clamp(doc.trackCount, 0, MaxTracks);
    for (int i = 0; i < count; ++i) {
        text += doc.tracks[i].performer.str() + "\t" + doc.tracks[i].title.str() + "\t" +
                TrackLengthText(doc, i, format, strings) + "\r\n";
    }
    return text;
}

std::string MakeCsvTable(const TrackList& doc, TimeFormat format, const StringTable& strings) {
    std::string text = Quote(strings.Text(str::ColumnNumber)) + "," +
                       Quote(strings.Text(str::ColumnPerformer)) + "," +
                       Quote(strings.Text(str::ColumnTitle)) + "," +
                       Quote(strings.Text(str::ColumnLength)) + "\r\n";
    const int count = std::clamp(doc.trackCount, 0, MaxTracks);
    for (int i = 0; i < count; ++i) {
        text += Quote(std::to_string(i + 1)) + "," + Quote(doc.tracks[i].performer) + "," +
                Quote(doc.tracks[i].title) + "," + Quote(TrackLengthText(doc, i, format, strings)) +
                "\r\n";
    }
    return text;
}

const ExportFormat ExportFormats[4] = {
    {"xml", ".xml", ExportFilterXml, MakeXmlText, ExportEncoding::Markup},
    {"html", ".html", ExportFilterHtml, MakeHtmlText, ExportEncoding::Markup},
    {"txt", ".txt", ExportFilterText, MakeTextList, ExportEncoding::Document},
    {"csv", ".csv", ExportFilterCsv, MakeCsvTable, ExportEncoding::Table},
};

TextEncoding ExportTextEncoding(const ExportFormat& format, std::string_view text,
                                const TextEncoding& documentEncoding) {
    using Kind = TextEncoding::Kind;
    switch (format.encoding) {
        case ExportEncoding::Markup:
            return FitsLatin1(text) ? LegacyEncoding("ISO-8859-1") : TextEncoding{Kind::Utf8, {}};
        case ExportEncoding::Document:
            return documentEncoding;
        case ExportEncoding::Table:
            return documentEncoding.kind == Kind::Utf8 ? TextEncoding{Kind::Utf8Bom, {}}
                                                       : documentEncoding;
    }
    return documentEncoding;
}

std::string DeclareUtf8(std::string_view text) {
    std::string out(text);
    const std::string_view declaration = "encoding=\"iso-8859-1\"";
    if (std::size_t at = out.find(declaration); at != std::string::npos) {
        out.replace(at, declaration.size(), "encoding=\"utf-8\"");
    } else if (std::size_t head = out.find("<head>"); head != std::string::npos) {
        const std::size_t end = out.find('\n', head);
        out.insert(end == std::string::npos ? head + 6 : end + 1, "<meta charset=\"utf-8\">\r\n");
    }
    return out;
}

const ExportFormat& ExportFormatForFilter(int filterIndex) {
    for (const ExportFormat& format : ExportFormats) {
        if (format.filterIndex == filterIndex) {
            return format;
        }
    }
    return ExportFormats[0];
}

const ExportFormat* ExportFormatNamed(std::string_view name) {
    for (const ExportFormat& format : ExportFormats) {
        if (format.name == name) {
            return &format;
        }
    }
    return nullptr;
}

std::string MakeExportText(const TrackList& doc, TimeFormat format, int filterIndex,
                           const StringTable& strings) {
    return ExportFormatForFilter(filterIndex).write(doc, format, strings);
}

}  // namespace tracklore
