#pragma once

// The font drawText uses; kept from one frame to the next. Null until the first selectFont.
extern void* currentFont;

// Chooses a GLUT bitmap font by family ("helvetica", "times roman", "8x13",
// "9x15") and point size; an unknown family or size leaves the font as it was.
void selectFont(const char* name, int size);

// Formats like printf (cut to 255 characters) and draws the text with the
// current font, its baseline starting at (x, y).
void drawText(int x, int y, const char* format, ...) __attribute__((format(printf, 3, 4)));
