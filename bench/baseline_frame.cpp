#include "baseline_frame.h"

#include <GL/freeglut.h>

#include <cmath>

namespace {

void octagon(float x, float y)
{
    glBegin(GL_POLYGON);
    glVertex2f(x - 5, y - 10);
    glVertex2f(x - 10, y - 5);
    glVertex2f(x - 10, y + 5);
    glVertex2f(x - 5, y + 10);
    glVertex2f(x + 5, y + 10);
    glVertex2f(x + 10, y + 5);
    glVertex2f(x + 10, y - 5);
    glVertex2f(x + 5, y - 10);
    glEnd();
}

}  // namespace

void openGameSizedWindow(char** argv, const char* title)
{
    int one = 1;
    glutInit(&one, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_ACCUM | GLUT_DEPTH);
    glutInitWindowSize(1024, 768);
    glutInitWindowPosition(150, 50);
    glutCreateWindow(title);
}

void drawBaselineFrame(int octagons)
{
    glColor3f(0.5f, 0.5f, 0.8f);
    glBegin(GL_QUADS);
    glVertex2i(20, 20);
    glVertex2i(1005, 20);
    glVertex2i(1005, 80);
    glVertex2i(20, 80);
    glEnd();
    glLineWidth(5.0f);
    glColor3f(0.5f, 0.0f, 0.0f);
    glBegin(GL_LINE_LOOP);
    glVertex2i(20, 100);
    glVertex2i(1006, 100);
    glVertex2i(1006, 750);
    glVertex2i(20, 750);
    glEnd();
    glColor3f(1.0f, 0.0f, 0.0f);
    glBegin(GL_TRIANGLE_FAN);
    glVertex2f(513, 425);
    for (int i = 0; i <= 13; ++i)
        glVertex2f(513.0f + 7.0f * std::cos(i * 0.5236f), 425.0f - 7.0f * std::sin(i * 0.5236f));
    glEnd();
    glColor3f(0.5f, 0.8f, 0.5f);
    for (int i = 0; i < octagons; ++i)
        octagon(30.0f + 21.0f * (i % 47), 110.0f + 21.0f * (i / 47 % 31));
}
