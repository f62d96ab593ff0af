#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "screens/Text.h"
#include "support/Recorder.h"

namespace {

TEST(Text, SelectFontChoosesByExactFamilyAndOfferedSizeOnly)
{
    // The fonts the screens use, and names or sizes that are not offered (null: the font before stays).
    for (auto [name, size, font] : {std::tuple{"helvetica", 12, GLUT_BITMAP_HELVETICA_12},
                                    {"times roman", 24, GLUT_BITMAP_TIMES_ROMAN_24}, {"8x13", 99, GLUT_BITMAP_8_BY_13},
                                    {"helvetica", 14, nullptr}, {"Helvetica", 12, nullptr},
                                    {"helvetica ", 12, nullptr}, {"", 0, nullptr}}) {
        selectFont("9x15", 0);
        selectFont(name, size);
        EXPECT_EQ(currentFont, font ? font : GLUT_BITMAP_9_BY_15) << '"' << name << "\" " << size;
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
    EXPECT_EQ(record::textRuns(), (std::vector<record::TextRun>{
                                      {10, 20, "", nullptr}, {402, 404, "Ann     7|", font}, {402, 404, "c\n\td", font},
                                      {0, 0, longText.substr(0, 255), font}, {0, 0, std::string(255, '0'), font},
                                      {0, 0, "\xe9\xff", font}}));
    EXPECT_EQ(record::calls.back().args[1], 0xff);
}

}  // namespace
