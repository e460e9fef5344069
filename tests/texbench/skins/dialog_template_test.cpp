// Dialog templates: the built-in main dialog, what a skin's template may say, and the texts
// that do not load.
#include <gtest/gtest.h>

#include <string>

#include "texbench/skins/dialog_template.h"

namespace {

using texbench::ParseDialogTemplate;
using texbench::ParseMainDialogTemplate;

TEST(DialogTemplate, BuiltInMainDialogHasTheControlsInTheirPlaces) {
    const auto layout = ParseMainDialogTemplate(texbench::BuiltInMainDialogLayout());
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->width, 295);
    EXPECT_EQ(layout->height, 210);
    struct Place {
        int id, x, y, w, h;
        const char* text;
    };
    const Place places[] = {
        {1010, 7, 18, 120, 100, ""},
        {1011, 7, 126, 120, 77, ""},
        {1005, 136, 18, 152, 128, ""},
        {1006, 136, 150, 152, 10, ""},
        {1000, 136, 171, 50, 14, "&Import..."},
        {1001, 190, 171, 50, 14, "&Export..."},
        {57664, 244, 171, 44, 14, "&About..."},
        {1055, 136, 189, 50, 14, "&Open"},
        {1053, 190, 189, 50, 14, "&Patch"},
        {2, 244, 189, 44, 14, "&Close"},
    };
    for (const Place& place : places) {
        SCOPED_TRACE(place.id);
        const auto* control = layout->Find(place.id);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->x, place.x);
        EXPECT_EQ(control->y, place.y);
        EXPECT_EQ(control->width, place.w);
        EXPECT_EQ(control->height, place.h);
        EXPECT_EQ(control->text, place.text);
        EXPECT_FALSE(control->ownerDraw) << "the system look draws its own buttons";
    }
}

TEST(DialogTemplate, ReadsFlagsQuotedTextsCommentsAndLineEnds) {
    const auto layout = ParseDialogTemplate(
        "# a comment\r\n  DIALOG 10 20\r\n\r\ncontrol 7 button 1 2 3 4 ownerdraw \"A  & B\"\n"
        "CONTROL 0 label 0 0 65535 1 \"\"\n");
    ASSERT_TRUE(layout);
    ASSERT_EQ(layout->controls.size(), 2u);
    EXPECT_TRUE(layout->controls[0].ownerDraw);
    EXPECT_EQ(layout->controls[0].text, "A  & B");
    EXPECT_EQ(layout->controls[0].kind, "button");
    EXPECT_EQ(layout->controls[1].width, 65535);
    EXPECT_EQ(layout->Find(99), nullptr);
}

TEST(DialogTemplate, RefusesWhatItCannotRead) {
    const char* const broken[] = {
        "",                                               // nothing
        "CONTROL 1 tree 0 0 1 1\n",                       // a control before the size
        "DIALOG 10\n",                                    // half a size
        "DIALOG 10 20 30\n",                              // too much
        "DIALOG 10 20\nDIALOG 10 20\n",                   // twice
        "DIALOG 10 20\nCONTROL 1 tree 0 0 1\n",           // a place short
        "DIALOG 10 20\nCONTROL 1 tree 0 0 1 -1\n",        // negative
        "DIALOG 10 20\nCONTROL 1 tree 0 0 1 65536\n",     // beyond a word
        "DIALOG 10 20\nCONTROL 1 tree 0 0 1 1x\n",        // not a number
        "DIALOG 10 20\nCONTROL 1 tree 0 0 1 1 \"open\n",  // unterminated text
        "DIALOG 10 20\nCONTROL 1 tree 0 0 1 1 BOLD\n",    // unknown flag
        "DIALOG 10 20\nCONTROL 1 \"tree\" 0 0 1 1\n",     // a quoted kind
        "DIALOG 10 20\nBUTTON 1 0 0 1 1\n",               // unknown statement
    };
    for (const char* text : broken) {
        EXPECT_FALSE(ParseDialogTemplate(text)) << text;
    }
}

// The main dialog needs each of its controls with the right kind; a skin that lacks one
// cannot be laid out.
TEST(DialogTemplate, MainDialogNeedsEveryControlOfItsKind) {
    const std::string full(texbench::BuiltInMainDialogLayout());
    EXPECT_TRUE(ParseMainDialogTemplate(full));
    const char* const lines[] = {
        "CONTROL 1010 tree 7 18 120 100\n",
        "CONTROL 1006 info 136 150 152 10\n",
        "CONTROL 2 button 244 189 44 14 \"&Close\"\n",
    };
    for (const char* line : lines) {
        std::string without = full;
        const auto at = without.find(line);
        ASSERT_NE(at, std::string::npos) << line;
        without.erase(at, std::string(line).size());
        EXPECT_FALSE(ParseMainDialogTemplate(without)) << "without " << line;
        EXPECT_TRUE(ParseDialogTemplate(without)) << "still a template";
    }
    std::string wrongKind = full;
    wrongKind.replace(wrongKind.find("1005 preview"), 12, "1005 label  ");
    EXPECT_FALSE(ParseMainDialogTemplate(wrongKind));
}

}  // namespace
