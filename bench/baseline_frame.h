#pragma once
// A window of the game's shape: display mode 22, 1024 x 768 at (150, 50),
// opened the way the baseline opens it (the toolkit is handed argv[0] only).
void openGameSizedWindow(char** argv, const char* title);

// The baseline's game-sized frame: banner, field frame, a food fan and
// `octagons` octagons of the snake's size on the game's grid.
void drawBaselineFrame(int octagons);
