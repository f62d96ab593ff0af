#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "screens/Text.h"
#include "support/Recorder.h"

namespace {

TEST(Text, SelectFontChoosesByExactFamilyAndOfferedSizeOnly)
{
    struct Case {
        const char* name;
        int size;
        void* font;  // null: the font chosen before stays
    };
    const Case cases[] = {
        {"helvetica", 10, GLUT_BITMAP_HELVETICA_10}, {"helvetica", 12, GLUT_BITMAP_HELVETICA_12},
        {"helvetica", 18, GLUT_BITMAP_HELVETICA_18}, {"times roman", 10, GLUT_BITMAP_TIMES_ROMAN_10},
        {"times roman", 24, GLUT_BITMAP_TIMES_ROMAN_24}, {"8x13", 99, GLUT_BITMAP_8_BY_13},
        {"9x15", -1, GLUT_BITMAP_9_BY_15}, {"helvetica", 14, nullptr}, {"times roman", 12, nullptr},
        {"Helvetica", 12, nullptr}, {"Times Roman", 24, nullptr}, {"9X15", 0, nullptr},
        {"helvetica ", 12, nullptr}, {"courier", 12, nullptr}, {"", 0, nullptr},
    };
    for (const Case& c : cases) {
        selectFont("9x15", 0);
        selectFont(c.name, c.size);
        EXPECT_EQ(currentFont, c.font ? c.font : GLUT_BITMAP_9_BY_15) << '"' << c.name << "\" " << c.size;
    }
}

TEST(Text, EachCallFormatsAndDrawsOneCharacterPerByteFromItsOwnPosition)
{
    record::reset();
    selectFont("8x13", 0);
    drawText(10, 20, "%s", "");
    drawText(402, 404, "%-6s%3d|", "Ann", 7);
    drawText(402, 404, "c\n\td");  // control bytes go to GLUT like any other
    auto runs = record::textRuns();
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(std::pair(runs[0].x, runs[0].y), std::pair(10, 20));
    EXPECT_EQ(runs[0].text, "");
    EXPECT_EQ(runs[1].text, "Ann     7|");
    EXPECT_EQ(std::pair(runs[2].x, runs[2].y), std::pair(402, 404));
    EXPECT_EQ(runs[2].text, "c\n\td");
    EXPECT_EQ(runs[2].font, GLUT_BITMAP_8_BY_13);
    EXPECT_EQ(record::named("glutBitmapCharacter").size(), 14u);
}

TEST(Text, LongTextIsCutTo255CharactersAndHighBytesStayPositive)
{
    record::reset();
    std::string longText(300, 'x');
    longText[254] = 'E';  // the last character kept
    drawText(0, 0, "%s", longText.c_str());
    drawText(0, 0, "%0400d", 1);
    drawText(0, 0, "\xe9\xff");
    auto runs = record::textRuns();
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].text, longText.substr(0, 255));
    EXPECT_EQ(runs[1].text.size(), 255u);
    auto chars = record::named("glutBitmapCharacter");
    EXPECT_EQ(chars[chars.size() - 2].args[1], 0xe9);  // Latin-1 e acute, not -23
    EXPECT_EQ(chars.back().args[1], 0xff);
}

}  // namespace
