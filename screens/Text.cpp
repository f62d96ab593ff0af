#include "screens/Text.h"

#include <GL/freeglut.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

void* currentFont = nullptr;

namespace {

constexpr int ANY_SIZE = -1;
constexpr int TEXT_BUFFER_SIZE = 256;  // 255 characters and the terminating zero

struct FontChoice {
    const char* family;
    int size;  // ANY_SIZE for the fixed-size families
    void* font;
};

const FontChoice FONT_CHOICES[] = {
    {"helvetica", 10, GLUT_BITMAP_HELVETICA_10},
    {"helvetica", 12, GLUT_BITMAP_HELVETICA_12},
    {"helvetica", 18, GLUT_BITMAP_HELVETICA_18},
    {"times roman", 10, GLUT_BITMAP_TIMES_ROMAN_10},
    {"times roman", 24, GLUT_BITMAP_TIMES_ROMAN_24},
    {"8x13", ANY_SIZE, GLUT_BITMAP_8_BY_13},
    {"9x15", ANY_SIZE, GLUT_BITMAP_9_BY_15},
};

}  // namespace

void selectFont(const char* name, int size)
{
    for (const FontChoice& choice : FONT_CHOICES) {
        if (std::strcmp(name, choice.family) == 0 && (choice.size == ANY_SIZE || choice.size == size)) {
            currentFont = choice.font;
            return;
        }
    }
}

void drawText(int x, int y, const char* format, ...)
{
    char text[TEXT_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    // A longer text is cut rather than written past the buffer.
    if (std::vsnprintf(text, sizeof text, format, args) < 0)
        text[0] = '\0';  // an encoding error leaves the buffer undefined
    va_end(args);

    glRasterPos2i(x, y);
    // Unsigned, so that a byte above 127 reaches GLUT as its Latin-1 glyph
    // instead of a negative code that GLUT would drop.
    for (const char* p = text; *p != '\0'; ++p)
        glutBitmapCharacter(currentFont, static_cast<unsigned char>(*p));
}
