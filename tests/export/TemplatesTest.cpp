#include <gtest/gtest.h>

#include "export/Export.h"
#include "export/Templates.h"
#include "model/Cp1252.h"
#include "support/TestSupport.h"

namespace tracklore {
namespace {

TEST(EscapeText, MarkupCharactersInBothModes) {
    for (EscapeMode mode : {EscapeMode::Xml, EscapeMode::Html}) {
        EXPECT_EQ(EscapeText("a & b < c > d \"e\" 'f'", mode),
                  "a &amp; b &lt; c &gt; d &quot;e&quot; 'f'");
        EXPECT_EQ(EscapeText("tab\there\r\nline\x01", mode), "tabhereline");
    }
}

// Texts are UTF-8; the cases name their characters by their Windows-1252 bytes.
TEST(EscapeText, EntitiesOnlyInHtml) {
    EXPECT_EQ(EscapeText(Cp1252ToUtf8("\xc4rger"), EscapeMode::Html), "&Auml;rger");
    EXPECT_EQ(EscapeText(Cp1252ToUtf8("\xc4rger"), EscapeMode::Xml), Cp1252ToUtf8("\xc4rger"));
    EXPECT_EQ(EscapeText(Cp1252ToUtf8("\x80\x85\x96\x9f\xff\xdf"), EscapeMode::Html),
              "&euro;&hellip;&ndash;&Yuml;&yuml;&szlig;");
    // No entity is written for these characters.
    EXPECT_EQ(
        EscapeText(Cp1252ToUtf8("\xa0\xad\x98\x8e\x9e\x81\x8d\x8f\x90\x9d"), EscapeMode::Html),
        Cp1252ToUtf8("\xa0\xad\x98\x8e\x9e\x81\x8d\x8f\x90\x9d"));
    // Characters beyond Windows-1252 are kept as they are.
    EXPECT_EQ(EscapeText("\u0416\u3042", EscapeMode::Html), "\u0416\u3042");
}

TEST(EscapeText, EveryHighByteIsAnEntityOrKept) {
    for (int b = 0x80; b <= 0xFF; ++b) {
        const std::string character = Cp1252ToUtf8(std::string(1, static_cast<char>(b)));
        std::string out = EscapeText(character, EscapeMode::Html);
        bool kept = out == character;
        bool entity = out.size() > 2 && out.front() == '&' && out.back() == ';';
        EXPECT_TRUE(kept || entity) << b;
    }
}

TrackList Sample() {
    TrackList doc;
    doc.cd.title = "Album";
    doc.cd.artist = "Band";
    doc.cd.discId = "0801f203";
    doc.cd.year = "2003";
    doc.cd.genre = "Rock";
    doc.cd.totalSeconds = 0;
    doc.trackCount = 2;
    doc.tracks[0].title = "One";
    doc.tracks[0].performer = "Band";
    doc.tracks[0].start = 150;
    doc.tracks[1].title = "Two";
    doc.tracks[1].start = 4803;
    return doc;
}

TEST(FillTemplate, OrderAndNoRescan) {
    TrackList doc = Sample();
    doc.cd.artist = "[[title]]";
    EXPECT_EQ(
        FillTemplate("[[artist]]|[[title]]", -1, EscapeMode::Xml, doc, TimeFormat::Msf, German()),
        "Album|Album");
    doc.cd.title = "[[title]]";
    EXPECT_EQ(FillTemplate("<[[title]]>", -1, EscapeMode::Xml, doc, TimeFormat::Msf, German()),
              "<[[title]]>");
    // Track placeholders stay in a head or foot.
    EXPECT_EQ(
        FillTemplate("[[tnum]] [[year]]", -1, EscapeMode::Xml, doc, TimeFormat::Msf, German()),
        "[[tnum]] 2003");
    EXPECT_EQ(FillTemplate("[[tnum]]:[[tartist]]:[[ttitle]]:[[tlength]]", 1, EscapeMode::Xml, doc,
                           TimeFormat::Msf, German()),
              "2::Two:(bis EOF)");
}

TEST(MakeXmlText, WholeDocument) {
    TrackList doc = Sample();
    std::string xml = MakeXmlText(doc, TimeFormat::Msf, German());
    EXPECT_EQ(
        xml,
        "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<cd>\r\n  <CD-ID>0801f203</CD-ID>\r\n"
        "  <Interpret>Band</Interpret>\r\n  <Album>Album</Album>\r\n  <Genre>Rock</Genre>\r\n"
        "  <Jahr>2003</Jahr>\r\n  <tracks>\r\n"
        "    <track>\r\n      <Track-Nr>1</Track-Nr>\r\n      <Interpret>Band</Interpret>\r\n"
        "      <Titel>One</Titel>\r\n      <Dauer>01:02:03</Dauer>\r\n    </track>\r\n"
        "    <track>\r\n      <Track-Nr>2</Track-Nr>\r\n      <Interpret></Interpret>\r\n"
        "      <Titel>Two</Titel>\r\n      <Dauer>(bis EOF)</Dauer>\r\n    </track>\r\n"
        "  </tracks>\r\n</cd>\r\n");
}

TEST(MakeHtmlText, EmptyListIsHeadAndFoot) {
    TrackList doc;
    std::string html = MakeHtmlText(doc, TimeFormat::Msf, German());
    EXPECT_EQ(html.find("<tr><td align=right>1"), std::string::npos);
    EXPECT_NE(html.find("Dauer</td></tr>\r\n</table>\r\n</body>"), std::string::npos);
}

TEST(MakeHtmlText, NumbersWithoutLeadingZerosAndEmptyCells) {
    TrackList doc;
    doc.trackCount = 10;
    for (int i = 0; i < 10; ++i) {
        doc.tracks[i].start = 150 + i * 1000;
    }
    std::string html = MakeHtmlText(doc, TimeFormat::Msf, German());
    EXPECT_NE(html.find("<td align=right>10</td><td></td><td></td><td align=right>(bis EOF)</td>"),
              std::string::npos);
    EXPECT_NE(html.find("<td align=right>9</td>"), std::string::npos);
}

TEST(Export, NoFixedBuffer) {
    TrackList doc;
    doc.cd.title = std::string(127, '&');
    doc.trackCount = 99;
    for (int i = 0; i < 99; ++i) {
        doc.tracks[i].title = test::Repeat("\u00e4", 299);  // &auml; each
        doc.tracks[i].performer = std::string(299, '"');    // &quot; each
        doc.tracks[i].start = 150 + i * 7500;
    }
    std::string html = MakeHtmlText(doc, TimeFormat::Msf, German());
    EXPECT_GT(html.size(), 99u * 299 * 12);
    EXPECT_NE(html.find("<td align=right>99</td>"), std::string::npos);
    EXPECT_EQ(html.substr(html.size() - 9), "</html>\r\n");
    std::string entities;
    for (int k = 0; k < 299; ++k) {
        entities += "&auml;";
    }
    EXPECT_NE(html.find("<td>" + entities + "</td>"), std::string::npos);
}

TEST(TextExport, TextListAndCsv) {
    TrackList doc = Sample();
    doc.tracks[1].title = "Two, \"quoted\"";
    EXPECT_EQ(MakeTextList(doc, TimeFormat::Msf, German()),
              "Band\tOne\t01:02:03\r\n\tTwo, \"quoted\"\t(bis EOF)\r\n");
    EXPECT_EQ(MakeCsvTable(doc, TimeFormat::Msf, German()),
              "\"#\",\"Interpret\",\"Titel\",\"L\u00e4nge\"\r\n"
              "\"1\",\"Band\",\"One\",\"01:02:03\"\r\n"
              "\"2\",\"\",\"Two, \"\"quoted\"\"\",\"(bis EOF)\"\r\n");
    TrackList empty;
    EXPECT_EQ(MakeTextList(empty, TimeFormat::Msf, German()), "");
    EXPECT_EQ(MakeCsvTable(empty, TimeFormat::Msf, German()),
              "\"#\",\"Interpret\",\"Titel\",\"L\u00e4nge\"\r\n");
}

}  // namespace
}  // namespace tracklore
