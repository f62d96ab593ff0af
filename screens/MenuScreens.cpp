// Placeholder until the menu screens land.
#include "screens/MenuScreens.h"
#include <cstdlib>
MenuScreens::MenuScreens() {}
void MenuScreens::drawBackground() {}
void MenuScreens::drawMainMenu() {}
void MenuScreens::onMainMenuKey(unsigned char, int32_t, int32_t, int32_t) {}
void MenuScreens::drawHelp() {}
void MenuScreens::onHelpKey(unsigned char, int32_t, int32_t, int32_t) {}
void MenuScreens::drawAbout() {}
void MenuScreens::onAboutKey(unsigned char, int32_t, int32_t, int32_t) { std::exit(0); }
void MenuScreens::drawGameOver() {}
void MenuScreens::onGameOverKey(unsigned char, int32_t, int32_t, int32_t) {}
char* MenuScreens::appendNameChar(char* name, char) { return name; }
char* MenuScreens::removeLastNameChar(char* name) { return name; }
void MenuScreens::drawHighScores() {}
void MenuScreens::onHighScoresKey(unsigned char, int32_t, int32_t, int32_t) {}
