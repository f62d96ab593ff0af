#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <string>

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
    // The fonts the screens use, and names or sizes that are not offered.
    const Case cases[] = {
        {"helvetica", 12, GLUT_BITMAP_HELVETICA_12}, {"times roman", 24, GLUT_BITMAP_TIMES_ROMAN_24},
        {"8x13", 99, GLUT_BITMAP_8_BY_13}, {"helvetica", 14, nullptr}, {"Helvetica", 12, nullptr},
        {"helvetica ", 12, nullptr}, {"", 0, nullptr},
    };
    for (const Case& c : cases) {
        selectFont("9x15", 0);
        selectFont(c.name, c.size);
        EXPECT_EQ(currentFont, c.font ? c.font : GLUT_BITMAP_9_BY_15) << '"' << c.name << "\" " << c.size;
    }
}

TEST(Text, EachCallFormatsCutsTo255AndDrawsEveryByteUnsignedFromItsOwnPosition)
{
    record::reset();
    selectFont("8x13", 0);
    std::string longText(300, 'x');
    longText[254] = 'E';  // the last character kept
    drawText(10, 20, "%s", "");
    drawText(402, 404, "%-6s%3d|", "Ann", 7);
    drawText(402, 404, "c\n\td");  // control bytes go to GLUT like any other
    drawText(0, 0, "%s", longText.c_str());
    drawText(0, 0, "%0400d", 1);
    drawText(0, 0, "\xe9\xff");  // Latin-1: 233 and 255, not negative codes GLUT would drop
    void* font = GLUT_BITMAP_8_BY_13;
    EXPECT_EQ(record::textRuns(),
              (std::vector<record::TextRun>{{10, 20, "", nullptr}, {402, 404, "Ann     7|", font},
                                            {402, 404, "c\n\td", font}, {0, 0, longText.substr(0, 255), font},
                                            {0, 0, std::string(399, '0').substr(0, 255), font},
                                            {0, 0, "\xe9\xff", font}}));
    auto chars = record::only({"glutBitmapCharacter"});
    EXPECT_EQ(chars[chars.size() - 2].args[1], 0xe9);
    EXPECT_EQ(chars.back().args[1], 0xff);
}

}  // namespace
