// Stand-ins for every OpenGL, GLU, GLUT and dialog entry point the game calls: each records its
// name and arguments; the few that answer take their answer from the knobs in Recorder.h.
#define GL_GLEXT_PROTOTYPES
#include <GL/freeglut.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <numeric>

#include "platform/Dialogs.h"
#include "platform/GameSurface.h"
#include "platform/Platform.h"
#include "support/Recorder.h"

namespace {
void add(const char* name, std::vector<double> args = {}, std::string text = {}) { record::calls.push_back({name, args, text}); }
}  // namespace

void glClear(GLbitfield mask) { add("glClear", {double(mask)}); }
void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) { add("glClearColor", {r, g, b, a}); }
GLboolean glIsEnabled(GLenum cap)
{
    add("glIsEnabled", {double(cap)});
    return std::ranges::count(record::knobs.enabledCapabilities, cap) > 0;
}
void glDisable(GLenum cap) { add("glDisable", {double(cap)}); }
void glPixelStorei(GLenum pname, GLint param) { add("glPixelStorei", {double(pname), double(param)}); }
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) { add("glViewport", {double(x), double(y), double(w), double(h)}); }
void glMatrixMode(GLenum mode) { add("glMatrixMode", {double(mode)}); }
void glLoadIdentity() { add("glLoadIdentity"); }
void glScalef(GLfloat x, GLfloat y, GLfloat z) { add("glScalef", {x, y, z}); }
void glTranslatef(GLfloat x, GLfloat y, GLfloat z) { add("glTranslatef", {x, y, z}); }
void glFlush() { add("glFlush"); }
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { add("glColor3f", {r, g, b}); }
void glBegin(GLenum mode) { add("glBegin", {double(mode)}); }
void glEnd() { add("glEnd"); }
void glVertex2i(GLint x, GLint y) { add("glVertex2i", {double(x), double(y)}); }
void glVertex2f(GLfloat x, GLfloat y) { add("glVertex2f", {x, y}); }
void glLineWidth(GLfloat width) { add("glLineWidth", {width}); }
void glRasterPos2f(GLfloat x, GLfloat y) { add("glRasterPos2f", {x, y}); }
void glRasterPos2i(GLint x, GLint y) { add("glRasterPos2i", {double(x), double(y)}); }
void glDrawPixels(GLsizei w, GLsizei h, GLenum format, GLenum type, const GLvoid*)
{
    add("glDrawPixels", {double(w), double(h), double(format), double(type)});
}
void glGenTextures(GLsizei n, GLuint* ids) { add("glGenTextures", {double(n)}); std::iota(ids, ids + n, 3); }
void glBindTexture(GLenum target, GLuint id) { add("glBindTexture", {double(target), double(id)}); }
void glTexImage2D(GLenum t, GLint l, GLint i, GLsizei w, GLsizei h, GLint b, GLenum f, GLenum k, const GLvoid*)
{
    add("glTexImage2D", {double(t), double(l), double(i), double(w), double(h), double(b), double(f), double(k)});
}
void glTexParameteri(GLenum t, GLenum name, GLint value) { add("glTexParameteri", {double(t), double(name), double(value)}); }
void glTexEnvi(GLenum t, GLenum name, GLint value) { add("glTexEnvi", {double(t), double(name), double(value)}); }
void glDeleteTextures(GLsizei n, const GLuint* ids) { add("glDeleteTextures", {double(n), double(*ids)}); }
void glEnable(GLenum cap) { add("glEnable", {double(cap)}); }
void glTexCoord2i(GLint s, GLint t) { add("glTexCoord2i", {double(s), double(t)}); }
GLuint glCreateShader(GLenum kind) { add("glCreateShader", {double(kind)}); return 5; }
void glShaderSource(GLuint id, GLsizei n, const GLchar* const* text, const GLint*) { add("glShaderSource", {double(id), double(n)}, text[0]); }
void glCompileShader(GLuint id) { add("glCompileShader", {double(id)}); }
void glDeleteShader(GLuint id) { add("glDeleteShader", {double(id)}); }
GLuint glCreateProgram() { add("glCreateProgram"); return 6; }
void glAttachShader(GLuint program, GLuint shader) { add("glAttachShader", {double(program), double(shader)}); }
void glLinkProgram(GLuint id) { add("glLinkProgram", {double(id)}); }
void glGetProgramiv(GLuint id, GLenum name, GLint* value) { add("glGetProgramiv", {double(id), double(name)}); *value = GL_TRUE; }
void glUseProgram(GLuint id) { add("glUseProgram", {double(id)}); }
void glGenFramebuffers(GLsizei n, GLuint* ids) { add("glGenFramebuffers", {double(n)}); std::iota(ids, ids + n, 8); }
void glBindFramebuffer(GLenum target, GLuint id) { add("glBindFramebuffer", {double(target), double(id)}); }
void glFramebufferTexture2D(GLenum t, GLenum a, GLenum k, GLuint id, GLint level)
{
    add("glFramebufferTexture2D", {double(t), double(a), double(k), double(id), double(level)});
}
GLenum glCheckFramebufferStatus(GLenum target)
{
    add("glCheckFramebufferStatus", {double(target)});
    return record::knobs.framebufferComplete ? GL_FRAMEBUFFER_COMPLETE : GL_FRAMEBUFFER_UNSUPPORTED;
}
void glDeleteFramebuffers(GLsizei n, const GLuint* ids) { add("glDeleteFramebuffers", {double(n), double(*ids)}); }
void glBlitFramebuffer(GLint sx0, GLint sy0, GLint sx1, GLint sy1, GLint dx0, GLint dy0, GLint dx1, GLint dy1,
                       GLbitfield mask, GLenum filter)
{
    add("glBlitFramebuffer", {double(sx0), double(sy0), double(sx1), double(sy1), double(dx0), double(dy0), double(dx1),
                              double(dy1), double(mask), double(filter)});
}
void gluOrtho2D(GLdouble l, GLdouble r, GLdouble b, GLdouble t) { add("gluOrtho2D", {l, r, b, t}); }

void glutInit(int* argc, char** argv) { add("glutInit", {double(*argc)}, argv[0]); }
void glutInitDisplayMode(unsigned int mode) { add("glutInitDisplayMode", {double(mode)}); }
void glutInitWindowSize(int w, int h) { add("glutInitWindowSize", {double(w), double(h)}); }
void glutInitWindowPosition(int x, int y) { add("glutInitWindowPosition", {double(x), double(y)}); }
int glutGet(GLenum query)
{
    add("glutGet", {double(query)});
    if (query == GLUT_DISPLAY_MODE_POSSIBLE)
        return (unsigned(record::only({"glutInitDisplayMode"}).back().args[0]) & ~record::knobs.possibleModeMask) == 0;
    return query == GLUT_INIT_STATE;
}
void glutGameModeString(const char* mode) { add("glutGameModeString", {}, mode); }
int glutGameModeGet(GLenum query)
{
    add("glutGameModeGet", {double(query)});
    return query == GLUT_GAME_MODE_POSSIBLE ? record::knobs.gameModePossible
                                            : query == GLUT_GAME_MODE_ACTIVE && record::knobs.gameModeActive;
}
int glutEnterGameMode() { add("glutEnterGameMode"); record::knobs.gameModeActive = true; return 1; }
void glutLeaveGameMode() { add("glutLeaveGameMode"); record::knobs.gameModeActive = false; }
int glutCreateWindow(const char* title) { add("glutCreateWindow", {}, title); return 1; }
void glutSetCursor(int cursor) { add("glutSetCursor", {double(cursor)}); }
void glutSetWindowTitle(const char* title) { add("glutSetWindowTitle", {}, title); }
void glutDisplayFunc(void (*)()) { add("glutDisplayFunc"); }
void glutReshapeFunc(void (*)(int, int)) { add("glutReshapeFunc"); }
void glutKeyboardFunc(void (*)(unsigned char, int, int)) { add("glutKeyboardFunc"); }
void glutSpecialFunc(void (*)(int, int, int)) { add("glutSpecialFunc"); }
void glutTimerFunc(unsigned int ms, void (*)(int), int value) { add("glutTimerFunc", {double(ms), double(value)}); }
void glutIgnoreKeyRepeat(int ignore) { add("glutIgnoreKeyRepeat", {double(ignore)}); }
void glutMainLoop() { add("glutMainLoop"); }
void glutPostRedisplay() { add("glutPostRedisplay"); }
void glutSwapBuffers() { add("glutSwapBuffers"); }
int glutExtensionSupported(const char* name) { add("glutExtensionSupported", {}, name); return record::knobs.framebufferObjects; }
void glutReshapeWindow(int w, int h) { add("glutReshapeWindow", {double(w), double(h)}); }
void glutBitmapCharacter(void* font, int c) { add("glutBitmapCharacter", {double(std::uintptr_t(font)), double(c)}); }

bool displayReachable() { add("displayReachable"); return true; }
Desktop readDesktop() { add("readDesktop"); return record::knobs.desktop; }
DesktopArea desktopArea() { add("desktopArea"); return record::knobs.area; }
bool askYesNo(const char* caption, const char* text)
{
    add("askYesNo", {}, std::string(caption) + "|" + text);
    return record::knobs.answerYes;
}
void showErrorBox(const char* caption, const char* text) { add("showErrorBox", {}, std::string(caption) + "|" + text); }
void planSurface(SurfaceKind kind, const Monitor& m)
{
    add("planSurface", {double(kind), double(m.x), double(m.y), double(m.width), double(m.height)});
}
void surfaceMade() { add("surfaceMade"); }
void guardVideoMode(int width, int height) { add("guardVideoMode", {double(width), double(height)}); }
bool videoModeIs(int width, int height)
{
    add("videoModeIs", {double(width), double(height)});
    return record::knobs.modeChanges;
}
// The unit tests' own process keeps its usual stop signals.
void deferStopSignals() { add("deferStopSignals"); }
int pendingStopSignal() { return 0; }
void endBySignal(int) {}

// freeglut's bitmap-font handles are the addresses of these; defined here, each font has its own.
void *glutBitmap9By15, *glutBitmap8By13, *glutBitmapTimesRoman10, *glutBitmapTimesRoman24, *glutBitmapHelvetica10,
    *glutBitmapHelvetica12, *glutBitmapHelvetica18;
