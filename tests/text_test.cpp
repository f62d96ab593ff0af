#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "screens/Text.h"
#include "support/Recorder.h"

namespace {

class TextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        record::reset();
        currentFont = nullptr;
    }
};

TEST_F(TextTest, SelectFontChoosesByExactFamilyAndOfferedSize)
{
    struct Case {
        const char* name;
        int size;
        void* font;
    };
    const Case chosen[] = {
        {"helvetica", 10, GLUT_BITMAP_HELVETICA_10},   {"helvetica", 12, GLUT_BITMAP_HELVETICA_12},
        {"helvetica", 18, GLUT_BITMAP_HELVETICA_18},   {"times roman", 10, GLUT_BITMAP_TIMES_ROMAN_10},
        {"times roman", 24, GLUT_BITMAP_TIMES_ROMAN_24}, {"8x13", 99, GLUT_BITMAP_8_BY_13},
        {"9x15", 0, GLUT_BITMAP_9_BY_15},              {"9x15", -1, GLUT_BITMAP_9_BY_15},
    };
    for (const Case& c : chosen) {
        currentFont = nullptr;
        selectFont(c.name, c.size);
        EXPECT_EQ(currentFont, c.font) << c.name << " " << c.size;
    }

    // Whatever the table does not list keeps the font chosen before.
    const Case unchanged[] = {
        {"helvetica", 14, nullptr}, {"times roman", 12, nullptr}, {"Helvetica", 12, nullptr},
        {"Times Roman", 24, nullptr}, {"9X15", 0, nullptr}, {"helvetica ", 12, nullptr},
        {"courier", 12, nullptr}, {"", 0, nullptr},
    };
    for (const Case& c : unchanged) {
        selectFont("9x15", 0);
        selectFont(c.name, c.size);
        EXPECT_EQ(currentFont, GLUT_BITMAP_9_BY_15) << '"' << c.name << "\" " << c.size;
    }
    EXPECT_TRUE(record::calls.empty());  // choosing a font draws nothing
}

TEST_F(TextTest, DrawTextFormatsAndDrawsOneCharacterPerByteAtTheRasterPosition)
{
    selectFont("times roman", 24);
    drawText(402, 404, "%-6s%3d|", "Ann", 7);
    std::vector<Call> expected = {{"glRasterPos2i", {402, 404}, ""}};
    double font = double(reinterpret_cast<std::uintptr_t>(GLUT_BITMAP_TIMES_ROMAN_24));
    for (char c : std::string("Ann     7|"))
        expected.push_back({"glutBitmapCharacter", {font, double(c)}, ""});
    EXPECT_EQ(record::calls, expected);
}

TEST_F(TextTest, EmptyTextOnlySetsThePositionAndEveryCallStartsAgainThere)
{
    selectFont("8x13", 0);
    drawText(10, 20, "%s", "");
    drawText(10, 20, "ab");
    drawText(10, 20, "c\n\td");  // control bytes go to GLUT like any other byte
    auto runs = record::textRuns();
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].text, "");
    EXPECT_EQ(runs[1].text, "ab");
    EXPECT_EQ(runs[2].text, "c\n\td");
    for (const auto& run : runs) {
        EXPECT_EQ(run.x, 10);
        EXPECT_EQ(run.y, 20);
    }
    EXPECT_EQ(runs[2].font, GLUT_BITMAP_8_BY_13);
}

TEST_F(TextTest, LongTextIsCutTo255Characters)
{
    selectFont("9x15", 0);
    std::string longText(300, 'x');
    longText[254] = 'E';  // the last character kept
    longText[255] = 'C';  // the first one cut
    drawText(0, 0, "%s", longText.c_str());
    auto runs = record::textRuns();
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].text, longText.substr(0, 255));

    record::reset();
    drawText(0, 0, "%0400d", 1);
    EXPECT_EQ(record::named("glutBitmapCharacter").size(), 255u);
}

TEST_F(TextTest, BytesAboveAsciiReachGlutAsTheirLatin1Codes)
{
    selectFont("9x15", 0);
    drawText(0, 0, "\xe9\xff\x80");
    auto chars = record::named("glutBitmapCharacter");
    ASSERT_EQ(chars.size(), 3u);
    EXPECT_EQ(chars[0].args[1], 0xe9);
    EXPECT_EQ(chars[1].args[1], 0xff);
    EXPECT_EQ(chars[2].args[1], 0x80);
}

}  // namespace
