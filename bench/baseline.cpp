// The least freeglut program of the game's shape, to measure the game against:
// display mode 22, a 1024 x 768 window at (150, 50), the same projection and a
// self-re-arming timer. With the argument "frame" its display callback also
// draws a game-sized frame (N octagons, N from the second argument, 1456 by
// default) and its timer posts a redisplay, at 8 timer calls a second or at the
// rate given as the third argument. With the argument "menu" it draws what the
// main menu draws instead: a 1024 x 768 picture from memory and a few lines of
// bitmap text in the menu's three fonts.
#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "baseline_frame.h"

namespace {

bool drawFrame = false;
bool drawMenu = false;
int octagons = 1456;
int tickRate = 8;
std::vector<unsigned char> picture;  // packed RGB, 1024 x 768

void text(int x, int y, void* font, const char* s)
{
    glRasterPos2i(x, y);
    for (; *s; ++s)
        glutBitmapCharacter(font, static_cast<unsigned char>(*s));
}

void menu()
{
    glRasterPos2f(0.0f, 768.0f);
    glDrawPixels(1024, 768, GL_RGB, GL_UNSIGNED_BYTE, picture.data());
    glColor3f(1.0f, 1.0f, 1.0f);
    text(804, 748, GLUT_BITMAP_HELVETICA_12, "Baseline 1.0");
    text(432, 334, GLUT_BITMAP_TIMES_ROMAN_24, "Main Menu");
    for (int i = 1; i <= 5; ++i)
        text(402, 384 + 20 * i, GLUT_BITMAP_9_BY_15, "1   - A menu line of text");
}

void display()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (drawFrame)
        drawBaselineFrame(octagons);
    if (drawMenu)
        menu();
    glutSwapBuffers();
    glFlush();
}

void reshape(int w, int h)
{
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, w, 0.0, h);
    glScalef(1.0f, -1.0f, 1.0f);
    glTranslatef(0.0f, static_cast<float>(-h), 0.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void timer(int)
{
    if (drawFrame)
        glutPostRedisplay();
    glutTimerFunc(1000 / tickRate, timer, 1);
}

}  // namespace

int main(int argc, char** argv)
{
    drawFrame = argc > 1 && std::strcmp(argv[1], "frame") == 0;
    drawMenu = argc > 1 && std::strcmp(argv[1], "menu") == 0;
    if (drawMenu) {
        picture.resize(1024 * 768 * 3);
        for (std::size_t i = 0; i < picture.size(); ++i)
            picture[i] = static_cast<unsigned char>(i / 3 % 1024 / 4);  // a grey ramp
    }
    if (argc > 2)
        octagons = std::atoi(argv[2]);
    if (argc > 3 && std::atoi(argv[3]) > 0)
        tickRate = std::atoi(argv[3]);
    openGameSizedWindow(argv, "Tarvik-Snake baseline");
    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glutTimerFunc(33, timer, 1);
    glutMainLoop();
}
