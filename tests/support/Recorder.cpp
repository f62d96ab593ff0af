#include "support/Recorder.h"

#include <algorithm>
#include <cstdint>

namespace record {

std::vector<Call> calls;
bool answerYes = false;
int gameModePossible = 0;
unsigned int possibleModeMask = ~0u;
unsigned int enabledCapabilities[8] = {};

void reset()
{
    calls.clear();
    answerYes = false;
    gameModePossible = 0;
    possibleModeMask = ~0u;
    std::fill(std::begin(enabledCapabilities), std::end(enabledCapabilities), 0u);
}

std::vector<Call> only(std::initializer_list<const char*> names)
{
    std::vector<Call> result;
    for (const Call& c : calls)
        if (std::any_of(names.begin(), names.end(), [&](const char* n) { return c.name == n; }))
            result.push_back(c);
    return result;
}

std::vector<TextRun> textRuns()
{
    std::vector<TextRun> runs;
    for (const Call& c : calls) {
        if (c.name == "glRasterPos2i") {
            runs.push_back({static_cast<int>(c.args[0]), static_cast<int>(c.args[1]), "", nullptr});
        } else if (c.name == "glutBitmapCharacter" && !runs.empty()) {
            runs.back().font = reinterpret_cast<void*>(static_cast<std::intptr_t>(c.args[0]));
            runs.back().text += static_cast<char>(static_cast<int>(c.args[1]));
        }
    }
    return runs;
}

std::vector<std::string> errorBoxes()
{
    std::vector<std::string> texts;
    for (const Call& c : only({"showErrorBox"}))
        texts.push_back(c.text);
    return texts;
}

}  // namespace record
