#pragma once
// Recording stand-ins for OpenGL, GLU, GLUT and the platform dialogs: the unit
// tests link these instead of the real libraries and assert on what was called.

#include <ostream>
#include <string>
#include <vector>

struct Call {
    std::string name;
    std::vector<double> args;  // numbers in the order they were passed
    std::string text;          // a string argument, when there is one

    bool operator==(const Call&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Call& c)
{
    os << c.name;
    for (double a : c.args)
        os << ' ' << a;
    return os << (c.text.empty() ? "" : " \"" + c.text + '"');
}

namespace record {

extern std::vector<Call> calls;

// Knobs the stand-ins answer with.
extern bool answerYes;                // askYesNo()
extern int gameModePossible;          // glutGameModeGet(GLUT_GAME_MODE_POSSIBLE)
extern unsigned int possibleModeMask; // glutGet(GLUT_DISPLAY_MODE_POSSIBLE) is true for modes within it
extern unsigned int enabledCapabilities[8];  // glIsEnabled answers true for these

// Clears the record and puts every knob back to its default.
void reset();

// Only the calls whose names are among the given ones, in order.
std::vector<Call> only(std::initializer_list<const char*> names);
// The text drawn with glutBitmapCharacter since the last glRasterPos2i, per raster position.
struct TextRun {
    int x, y;
    std::string text;
    void* font;

    bool operator==(const TextRun&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const TextRun& r)
{
    return os << r.x << ',' << r.y << " font " << r.font << " \"" << r.text << '"';
}
std::vector<TextRun> textRuns();
// Error boxes shown, each as "caption|text".
std::vector<std::string> errorBoxes();

}  // namespace record
