#pragma once
// The baseline's game-sized frame: banner, field frame, a food fan and
// `octagons` octagons of the snake's size on the game's grid.
void drawBaselineFrame(int octagons);
