#pragma once
// Recording stand-ins for OpenGL, GLU, GLUT and the platform dialogs (ToolkitStubs.cpp): the unit
// tests link these instead of the real libraries and assert on what was called.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Desktop.h"

struct Call {
    std::string name;
    std::vector<double> args;  // numbers in the order they were passed
    std::string text;          // a string argument, when there is one
};

namespace record {
inline std::vector<Call> calls;
// What the stand-ins answer: askYesNo, glutGameModeGet(GLUT_GAME_MODE_POSSIBLE), glIsEnabled,
// glutGet(GLUT_DISPLAY_MODE_POSSIBLE), true for display modes within the mask, framebuffer objects
// (glutExtensionSupported, glCheckFramebufferStatus), readDesktop, desktopArea and videoModeIs.
inline struct Knobs {
    bool answerYes = false, gameModePossible = false, framebufferObjects = true, framebufferComplete = true;
    bool modeChanges = true, gameModeActive = false;
    Desktop desktop{.screenWidth = 1280, .screenHeight = 1024, .monitors = {{0, 0, 1280, 1024, true}}};
    DesktopArea area;
    std::vector<unsigned> enabledCapabilities;
    unsigned possibleModeMask = ~0u;
} knobs;

inline void reset() { calls.clear(); knobs = {}; }
inline std::vector<Call> only(std::initializer_list<std::string> names)
{
    std::vector<Call> kept;
    for (const Call& c : calls)
        if (std::find(names.begin(), names.end(), c.name) != names.end())
            kept.push_back(c);
    return kept;
}
// The text drawn with glutBitmapCharacter since the last glRasterPos2i, per raster position.
struct TextRun {
    int x, y;
    std::string text;
    void* font;
    bool operator==(const TextRun&) const = default;
};
inline std::vector<TextRun> textRuns()
{
    std::vector<TextRun> runs;
    for (const Call& c : calls) {
        if (c.name == "glRasterPos2i") {
            runs.push_back({int(c.args[0]), int(c.args[1]), "", nullptr});
        } else if (c.name == "glutBitmapCharacter" && !runs.empty()) {
            runs.back().font = reinterpret_cast<void*>(std::intptr_t(c.args[0]));
            runs.back().text += char(int(c.args[1]));
        }
    }
    return runs;
}
// Error boxes shown, each as "caption|text".
inline std::vector<std::string> errorBoxes()
{
    std::vector<std::string> texts;
    for (const Call& c : only({"showErrorBox"}))
        texts.push_back(c.text);
    return texts;
}
}  // namespace record
