#include <GL/gl.h>

#include <cmath>
#include <iterator>

#include "game/SnakeGame.h"
#include "image/RgbImage.h"
#include "shell/App.h"
#include "shell/AppState.h"

int32_t pauseBlinkCounter = 0;
bool pauseBlinkVisible = true;

namespace {

struct Colour {
    GLfloat red, green, blue;
};

constexpr Colour BANNER_COLOUR = {0.5f, 0.5f, 0.8f};
constexpr Colour FRAME_COLOUR = {0.5f, 0.0f, 0.0f};
constexpr Colour FOOD_COLOURS[] = {{0.0f, 0.8f, 0.0f}, {1.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}};  // by FoodKind
constexpr Colour HEAD_AND_TAIL_COLOUR = {0.8f, 0.3f, 0.0f};
constexpr Colour STRIPE_COLOUR = {0.4f, 0.8f, 0.6f};
constexpr Colour BODY_COLOUR = {0.5f, 0.8f, 0.5f};
constexpr Colour DIAMOND_COLOUR = {1.0f, 1.0f, 1.0f};

constexpr GLint BANNER_LEFT = 20;
constexpr GLint BANNER_TOP = 20;
constexpr GLint BANNER_BOTTOM = 80;
constexpr GLint BANNER_RIGHT_MARGIN = 19;  // from the surface's right edge
constexpr GLfloat FRAME_LINE_WIDTH = 5.0f;

// Lower-left corners of the pictures.
constexpr GridPoint TITLE_AT = {0, 63};
constexpr GridPoint SCORE_LABEL_AT = {455, 89};
constexpr GridPoint MODE_LABEL_AT = {570, 75};
constexpr GridPoint FIRST_DIGIT_AT = {810, 80};
constexpr int32_t DIGIT_ADVANCE = 31;
constexpr GridPoint PAUSE_AT = {8, 90};
constexpr GridPoint RING_AT = {21, 750};

constexpr int32_t MAX_SCORE_DIGITS = 10;  // of an unsigned 32-bit score

constexpr int32_t FOOD_RADIUS = 7;
constexpr double FULL_TURN = 6.28318;
constexpr double FOOD_ANGLE_STEP = FULL_TURN / 12;

constexpr GLfloat SEGMENT_HALF_SIZE = 10;
constexpr GLfloat SEGMENT_CORNER = 5;  // half the half-size: where the corners are cut
constexpr GLfloat DIAMOND_HALF_SIZE = 5;
constexpr int STRIPE_EVERY = 3;

void setColour(const Colour& c)
{
    glColor3f(c.red, c.green, c.blue);
}

void drawImage(const RgbImage* image, GridPoint at)
{
    if (!image)
        return;
    glRasterPos2f(static_cast<GLfloat>(at.x), static_cast<GLfloat>(at.y));
    glDrawPixels(image->width, image->height, GL_RGB, GL_UNSIGNED_BYTE, image->data);
}

}  // namespace

void SnakeGame::draw()
{
    drawHud();
    drawFood();
    drawSnake();
}

void SnakeGame::drawHud()
{
    const GLint bannerRight = appState->getWidth() - BANNER_RIGHT_MARGIN;
    setColour(BANNER_COLOUR);
    glBegin(GL_QUADS);
    glVertex2i(BANNER_LEFT, BANNER_TOP);
    glVertex2i(bannerRight, BANNER_TOP);
    glVertex2i(bannerRight, BANNER_BOTTOM);
    glVertex2i(BANNER_LEFT, BANNER_BOTTOM);
    glEnd();

    glLineWidth(FRAME_LINE_WIDTH);
    setColour(FRAME_COLOUR);
    glBegin(GL_LINE_LOOP);
    glVertex2i(FIELD_LEFT, FIELD_TOP);
    glVertex2i(FIELD_RIGHT, FIELD_TOP);
    glVertex2i(FIELD_RIGHT, FIELD_BOTTOM);
    glVertex2i(FIELD_LEFT, FIELD_BOTTOM);
    glEnd();

    drawImage(titleImage, TITLE_AT);
    drawImage(scoreLabelImage, SCORE_LABEL_AT);
    drawImage(mode == MODE_NORMAL ? normalLabelImage : hardLabelImage, MODE_LABEL_AT);

    int32_t digits[MAX_SCORE_DIGITS];
    int32_t digitCount = 0;
    uint32_t rest = score;
    do {
        digits[digitCount++] = static_cast<int32_t>(rest % 10);
        rest /= 10;
    } while (rest != 0);
    for (int32_t k = 0; k < digitCount; ++k)
        drawImage(digitImages[digits[digitCount - 1 - k]], {FIRST_DIGIT_AT.x + DIGIT_ADVANCE * k, FIRST_DIGIT_AT.y});

    // The blink counts frames, and a frame comes with every tick, so the sign
    // changes about once a second in either mode.
    if (paused) {
        if (++pauseBlinkCounter >= appState->tickRate) {
            pauseBlinkCounter = 0;
            pauseBlinkVisible = !pauseBlinkVisible;
        }
        if (pauseBlinkVisible)
            drawImage(pauseImage, PAUSE_AT);
    }
    drawImage(ringImage, RING_AT);
}

void SnakeGame::drawFood()
{
    if (food.x == 0 && food.y == 0)
        return;
    if (foodKind >= 0 && foodKind < static_cast<int32_t>(std::size(FOOD_COLOURS)))
        setColour(FOOD_COLOURS[foodKind]);
    glBegin(GL_TRIANGLE_FAN);
    glVertex2f(static_cast<GLfloat>(food.x), static_cast<GLfloat>(food.y));
    // The angle is kept in single precision: the rim then ends with a 13th
    // vertex just short of a full turn, over the first one.
    for (float a = 0.0f; a < FULL_TURN; a = static_cast<float>(a + FOOD_ANGLE_STEP)) {
        glVertex2f(static_cast<GLfloat>(food.x + FOOD_RADIUS * std::cos(static_cast<double>(a))),
                   static_cast<GLfloat>(food.y - FOOD_RADIUS * std::sin(static_cast<double>(a))));
    }
    glVertex2f(static_cast<GLfloat>(food.x + FOOD_RADIUS), static_cast<GLfloat>(food.y));
    glEnd();
}

void SnakeGame::drawSnake()
{
    int stripe = 0;
    for (int32_t i = 0; i < segmentCount; ++i, ++stripe) {
        const bool isHead = i == segmentCount - 1;
        if (isHead || i == 0) {
            setColour(HEAD_AND_TAIL_COLOUR);
        } else if (stripe >= STRIPE_EVERY) {
            setColour(STRIPE_COLOUR);
            stripe = 0;
        } else {
            setColour(BODY_COLOUR);
        }

        const GLfloat x = static_cast<GLfloat>(segments[i].x);
        const GLfloat y = static_cast<GLfloat>(segments[i].y);
        glBegin(GL_POLYGON);
        glVertex2f(x - SEGMENT_CORNER, y - SEGMENT_HALF_SIZE);
        glVertex2f(x - SEGMENT_HALF_SIZE, y - SEGMENT_CORNER);
        glVertex2f(x - SEGMENT_HALF_SIZE, y + SEGMENT_CORNER);
        glVertex2f(x - SEGMENT_CORNER, y + SEGMENT_HALF_SIZE);
        glVertex2f(x + SEGMENT_CORNER, y + SEGMENT_HALF_SIZE);
        glVertex2f(x + SEGMENT_HALF_SIZE, y + SEGMENT_CORNER);
        glVertex2f(x + SEGMENT_HALF_SIZE, y - SEGMENT_CORNER);
        glVertex2f(x + SEGMENT_CORNER, y - SEGMENT_HALF_SIZE);
        glEnd();

        if (isHead) {
            setColour(DIAMOND_COLOUR);
            glBegin(GL_POLYGON);
            glVertex2f(x, y - DIAMOND_HALF_SIZE);
            glVertex2f(x - DIAMOND_HALF_SIZE, y);
            glVertex2f(x, y + DIAMOND_HALF_SIZE);
            glVertex2f(x + DIAMOND_HALF_SIZE, y);
            glEnd();
        }
    }
}
