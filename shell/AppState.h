#pragma once

// The six screens of the program; every callback is dispatched on the current one.
enum Screen {
    SCREEN_MAIN_MENU = 1,
    SCREEN_GAME = 2,
    SCREEN_GAME_OVER = 3,
    SCREEN_HIGH_SCORES = 4,
    SCREEN_HELP = 5,
    SCREEN_ABOUT = 6,
};

// Every key operation takes (key, special, x, y): special is ORDINARY_KEY for
// an ordinary key, otherwise the GLUT code of a special key.
constexpr int ORDINARY_KEY = -1;
constexpr unsigned char KEY_ESCAPE = 27;

// The process-wide record of the game speed, the surface size and the current screen.
class AppState {
public:
    explicit AppState(int startScreen);

    int getWidth() const { return width; }
    int getHeight() const { return height; }
    int getScreen() const { return screen; }
    void setWidth(int w) { width = w; }
    void setHeight(int h) { height = h; }
    // Switches key repeat (delivered on the name entry screen only) and stores the screen.
    // Callers post the redisplay themselves.
    void setScreen(int s);

    int tickRate = 100;  // game steps per second; the timer period is 1000 / tickRate ms

private:
    int width = 0;   // set by the first accepted reshape
    int height = 0;
    int screen;
};
