// Reading rich text into HTML, and texts put into rich text showing literally.
#include <gtest/gtest.h>

#include "patchapply/patch_information.h"
#include "richtext/rtf_text.h"
#include "richtext/rtf_to_html.h"

using richtext::RtfToHtml;

namespace {

std::string Paragraph(const std::string& align, const std::string& spans) {
    return "<p style=\"margin-top:0; margin-bottom:0; text-align:" + align + "\">" + spans +
           "</p>\n";
}

TEST(RtfToHtml, FormattingAndTables) {
    const std::string head =
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fnil;}{\\f1\\fswiss Arial;}{\\f2 Courier New;}}"
        "{\\colortbl ;\\red128\\green0\\blue0;\\red0\\green0\\blue128;}";
    struct Case {
        const char* name;
        std::string body;
        std::string html;
    } cases[] = {
        {"plain text keeps the default size", "hello\\par}",
         Paragraph("left", "<span style=\"font-size:12pt\">hello</span>")},
        {"font, size, bold, colour, centred", "\\qc\\f1\\fs28\\b\\cf1 Title\\par}",
         Paragraph("center",
                   "<span style=\"font-family:'Arial'; font-size:14pt; font-weight:bold; "
                   "color:#800000\">Title</span>")},
        {"a group's formatting ends with it", "{\\b bold}\\f2 plain\\par}",
         Paragraph("left",
                   "<span style=\"font-size:12pt; font-weight:bold\">bold</span>"
                   "<span style=\"font-family:'Courier New'; font-size:12pt\">plain</span>")},
        {"underline on and off, the automatic colour", "\\cf0\\ul a\\ulnone b\\cf2 c\\par}",
         Paragraph("left",
                   "<span style=\"font-size:12pt; text-decoration:underline\">a</span>"
                   "<span style=\"font-size:12pt\">b</span>"
                   "<span style=\"font-size:12pt; color:#000080\">c</span>")},
        {"escapes and markup characters", "\\\\ \\{x\\} <&>\\'e9\\'93\\par}",
         Paragraph("left",
                   "<span style=\"font-size:12pt\">\\ {x} &lt;&amp;&gt;\xC3\xA9"
                   "\xE2\x80\x9C</span>")},
        {"\\pard resets the alignment, empty paragraph keeps its size",
         "\\qc a\\par\\pard\\fs16\\par b}",
         Paragraph("center", "<span style=\"font-size:12pt\">a</span>") +
             Paragraph("left", "<span style=\"font-size:8pt\">&nbsp;</span>") +
             Paragraph("left", "<span style=\"font-size:8pt\">b</span>")},
        {"unknown and ignorable destinations are skipped",
         "{\\*\\generator Writer;}{\\info{\\title T}}x\\line y\\par}",
         Paragraph("left", "<span style=\"font-size:12pt\">x<br />y</span>")},
        {"line ends in the source are not text", "a\r\nb\\par}",
         Paragraph("left", "<span style=\"font-size:12pt\">ab</span>")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RtfToHtml(head + c.body), c.html) << c.name;
    }
}

TEST(RtfToHtml, BrokenInputEndsCleanly) {
    for (const char* rtf : {"{\\rtf1 a\\", "}}}x", "{\\'4", "{\\fs-5 a", "{{{{"}) {
        (void)RtfToHtml(rtf);  // must neither crash nor read past the end
    }
    EXPECT_EQ(RtfToHtml("}}}x"), Paragraph("left", "<span style=\"font-size:12pt\">x</span>"));
}

TEST(RtfText, PlaceholdersAreFilledWithEscapedText) {
    EXPECT_EQ(richtext::RtfEscape("a\\b{c}\xE9\r\nd\ne"), "a\\\\b\\{c\\}\\'e9\\line d\\line e");
    EXPECT_EQ(richtext::FillPlaceholders("#name# #NAME#s #nam #other#", {{"#NAME#", "{x}"}}),
              "\\{x\\} \\{x\\}s #nam #other#");
}

TEST(PatchInformation, ShowsTheFiveTextsLiterally) {
    patchapply::PatchTexts texts{"Hive {1}", "1.0\\par", "Works #VERSION#", "(c) <me>",
                                 "Line one\nLine two"};
    const std::string html = patchapply::BuildPatchInformationHtml(texts);
    const std::string expected =
        Paragraph("center",
                  "<span style=\"font-family:'Arial'; font-size:14pt; font-weight:bold; "
                  "color:#800000\">Hive {1}</span>") +
        Paragraph("center",
                  "<span style=\"font-family:'Arial'; font-size:10pt; font-weight:bold; "
                  "color:#000000\">1.0\\par</span>") +
        Paragraph("center",
                  "<span style=\"font-family:'Arial'; font-size:9pt; color:#000000\">"
                  "Works #VERSION#</span>") +
        Paragraph("left",
                  "<span style=\"font-family:'Arial'; font-size:9pt; color:#000000\">"
                  "&nbsp;</span>") +
        Paragraph("left",
                  "<span style=\"font-family:'Arial'; font-size:9pt; color:#000000\">"
                  "Line one<br />Line two</span>") +
        Paragraph("left",
                  "<span style=\"font-family:'Arial'; font-size:8pt; color:#000000\">"
                  "&nbsp;</span>") +
        Paragraph("left",
                  "<span style=\"font-family:'Arial'; font-size:7pt; color:#808080\">"
                  "(c) &lt;me&gt;</span>");
    EXPECT_EQ(html, expected);
    // The navy underline is selected at the end of the author line.
    const std::string rtf = patchapply::BuildPatchInformationRtf(texts);
    EXPECT_NE(rtf.find("Works #VERSION#\\cf3\\ul\\par"), std::string::npos);
    EXPECT_NE(rtf.find("\\red0\\green0\\blue128;"), std::string::npos);
}

}  // namespace
