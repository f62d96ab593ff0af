#pragma once
// Compares what a test recorded with a file under tests/golden/. After a deliberate change, write
// the files anew and review their difference (a recorded frame also as a picture, with
// tools/golden_picture.py):   TARVIK_UPDATE_GOLDEN=1 build/test/tests/unit_tests
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/Recorder.h"

inline std::string listing(const std::vector<Call>& calls = record::calls)
{
    std::ostringstream text;
    for (const Call& c : calls) {
        text << c.name;
        for (double a : c.args)
            text << ' ' << a;
        text << (c.text.empty() ? "" : " \"" + c.text + '"') << '\n';
    }
    return text.str();
}

inline const char* fontName(const void* font)
{
    return font == GLUT_BITMAP_9_BY_15 ? "9x15" : font == GLUT_BITMAP_8_BY_13 ? "8x13" : font == GLUT_BITMAP_TIMES_ROMAN_24 ? "times-24"
           : font == GLUT_BITMAP_HELVETICA_12 ? "helvetica-12" : "?";
}

// The text drawn, a run a line: position, font and text.
inline std::string textListing()
{
    std::ostringstream text;
    for (const record::TextRun& run : record::textRuns())
        text << run.x << ',' << run.y << ' ' << fontName(run.font) << " \"" << run.text << "\"\n";
    return text.str();
}

inline void expectGolden(const std::string& name, const std::string& actual)
{
    const std::string path = TARVIK_SOURCE_DIR "/tests/golden/" + name + ".txt";
    if (std::getenv("TARVIK_UPDATE_GOLDEN"))
        std::ofstream(path) << actual;
    std::ostringstream expected;
    expected << std::ifstream(path).rdbuf();
    EXPECT_EQ(expected.str(), actual) << "recorded differently in " << path;
}
