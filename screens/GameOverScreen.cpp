// The game-over screen: the final score and the typing of the player's name.
#include <GL/freeglut.h>

#include <cinttypes>
#include <cstdlib>
#include <cstring>

#include "game/SnakeGame.h"
#include "highscores/HighScoreTable.h"
#include "screens/MenuScreens.h"
#include "screens/Text.h"
#include "shell/App.h"
#include "shell/AppState.h"

namespace {

constexpr unsigned char KEY_BACKSPACE = 8;
constexpr unsigned char KEY_ENTER = 13;

bool isNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ';
}

// The game's name, copied into a buffer the editing may fill to MAX_NAME_LENGTH
// whatever size the game's own copy was allocated with.
struct NameBuffer {
    char text[MAX_NAME_LENGTH + 1] = {};

    NameBuffer()
    {
        char* copy = snakeGame->getPlayerName();
        if (copy)
            std::strncpy(text, copy, MAX_NAME_LENGTH);
        std::free(copy);
    }
};

}  // namespace

void MenuScreens::drawGameOver()
{
    int w = appState->getWidth();
    int h = appState->getHeight();
    beginScreen("Game Over", w / 2 - 80, h / 2 - 50);
    drawText(w / 2 - 110, h / 2 + 20, "Your Score is: %" PRIu32, snakeGame->getScore());
    drawText(w / 2 - 110, h / 2 + 50, "Insert Your Name:");
    drawText(w / 2 - 110, h / 2 + 70, "> %s", NameBuffer().text);
    drawText(w / 2 - 110, h / 2 + 200, "Enter to Continue");
}

void MenuScreens::onGameOverKey(unsigned char key, int32_t special, int32_t, int32_t)
{
    if (special != ORDINARY_KEY)
        return;
    char c = static_cast<char>(key);
    if (isNameChar(c)) {
        NameBuffer name;
        snakeGame->setPlayerName(appendNameChar(name.text, c));
        glutPostRedisplay();  // also when the name is full: the key was seen
    } else if (key == KEY_BACKSPACE) {
        NameBuffer name;
        snakeGame->setPlayerName(removeLastNameChar(name.text));
        glutPostRedisplay();
    } else if (key == KEY_ENTER) {
        NameBuffer name;
        if (name.text[0] != '\0' && snakeGame->getScore() != 0)
            highScoreTable->insert(name.text, snakeGame->getScore());
        showScreen(SCREEN_HIGH_SCORES);
    }
}

char* MenuScreens::appendNameChar(char* name, char c)
{
    std::size_t length = strnlen(name, MAX_NAME_LENGTH);
    if (length < MAX_NAME_LENGTH) {
        name[length] = c;
        name[length + 1] = '\0';
    }
    return name;
}

char* MenuScreens::removeLastNameChar(char* name)
{
    std::size_t length = std::strlen(name);
    if (length > 0)
        name[length - 1] = '\0';
    return name;
}
