// The high-score screen: the ten best scores of one mode, switched with the left and right arrows.
#include <GL/freeglut.h>

#include <cinttypes>

#include "game/SnakeGame.h"
#include "highscores/HighScoreTable.h"
#include "screens/MenuScreens.h"
#include "screens/Text.h"
#include "shell/App.h"
#include "shell/AppState.h"

namespace {

constexpr int ROW_SPACING = 20;

}  // namespace

void MenuScreens::drawHighScores()
{
    int w = appState->getWidth();
    int h = appState->getHeight();
    bool normal = snakeGame->getMode() == MODE_NORMAL;
    beginScreen("High Scores", w / 2 - 100, h / 2 - 50);
    drawText(w / 2 - 100, h / 2 + 20, "%s", normal ? "<-  Normal  ->" : "<-   Hard   ->");

    const HighScoreEntry* entries = normal ? highScoreTable->normalEntries() : highScoreTable->hardEntries();
    for (int i = 0; i < HIGH_SCORES_PER_MODE; ++i) {
        const HighScoreEntry& entry = entries[i];
        if (entry.name[0] == '\0')
            continue;
        // Rank 10 has one digit more, so one space less keeps the arrows in a column.
        const char* pad = i + 1 < 10 ? "  " : " ";
        drawText(w / 2 - 110, h / 2 + 60 + ROW_SPACING * i, "%d%s-> %" PRIu32 " , %.*s", i + 1, pad, entry.score,
                 HIGH_SCORE_NAME_SIZE - 1, entry.name);
    }
    drawText(w / 2 - 110, h / 2 + 280, "Any key - Main Menu");
}

void MenuScreens::onHighScoresKey(unsigned char, int32_t special, int32_t, int32_t)
{
    if (special == GLUT_KEY_LEFT || special == GLUT_KEY_RIGHT) {
        snakeGame->setMode(snakeGame->getMode() == MODE_NORMAL ? MODE_HARD : MODE_NORMAL);
        glutPostRedisplay();
        return;
    }
    showScreen(SCREEN_MAIN_MENU);
}
