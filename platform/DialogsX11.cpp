// The start-up question and the error box, drawn with Xlib on a connection of
// their own, so that no GLUT event is handled while one is up.
#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "platform/X11Display.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int MARGIN = 20;
constexpr int BUTTON_GAP = 12;
constexpr int BUTTON_MIN_WIDTH = 84;
constexpr int STOP_CHECK_MS = 100;  // how long a box waits for the X server before looking for a stop signal

struct DialogButton {
    const char* label;
    char shortcut;  // a letter that answers with this button, or 0
    int x = 0, y = 0, width = 0, height = 0;

    bool contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
};

struct Dialog {
    Display* display = nullptr;
    Window window = 0;
    GC gc = nullptr;
    XFontStruct* font = nullptr;
    unsigned long background = 0, face = 0, ink = 0, accent = 0;
    std::vector<std::string> lines;
    std::vector<DialogButton> buttons;
    int focused = 0;
    int lineHeight = 0;
};

int ignoreXErrors(Display*, XErrorEvent*) { return 0; }

Display* openDisplay()
{
    // Some X servers now and then drop a connection that arrives while another
    // client is disconnecting; a refused display is asked again a few times.
    for (int attempt = 0; attempt < 5; ++attempt) {
        if (Display* display = XOpenDisplay(nullptr))
            return display;
        if (!std::getenv("DISPLAY"))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return nullptr;
}

unsigned long namedColour(Display* display, const char* name, unsigned long fallback)
{
    XColor exact, screen;
    Colormap map = DefaultColormap(display, DefaultScreen(display));
    return XAllocNamedColor(display, map, name, &screen, &exact) ? screen.pixel : fallback;
}

XFontStruct* loadFont(Display* display)
{
    for (const char* name : {"-*-dejavu sans-medium-r-normal--14-*-*-*-*-*-iso8859-1",
                             "-*-helvetica-medium-r-normal--14-*-*-*-*-*-iso8859-1", "9x15", "fixed"}) {
        if (XFontStruct* font = XLoadQueryFont(display, name))
            return font;
    }
    return nullptr;
}

// The message's lines; a final line feed ends the text rather than adding an empty line.
std::vector<std::string> splitLines(const char* text)
{
    std::vector<std::string> lines;
    std::string current;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n') {
            lines.push_back(current);
            current.clear();
        } else {
            current += *p;
        }
    }
    if (!current.empty() || lines.empty())
        lines.push_back(current);
    return lines;
}

int textWidth(const Dialog& d, const std::string& s)
{
    return d.font ? XTextWidth(d.font, s.c_str(), static_cast<int>(s.size())) : 8 * static_cast<int>(s.size());
}

void drawString(const Dialog& d, int x, int y, const std::string& s)
{
    XDrawString(d.display, d.window, d.gc, x, y, s.c_str(), static_cast<int>(s.size()));
}

void redraw(const Dialog& d)
{
    XWindowAttributes attributes;
    XGetWindowAttributes(d.display, d.window, &attributes);
    XSetForeground(d.display, d.gc, d.background);
    XFillRectangle(d.display, d.window, d.gc, 0, 0, static_cast<unsigned>(attributes.width),
                   static_cast<unsigned>(attributes.height));
    XSetForeground(d.display, d.gc, d.ink);
    int ascent = d.font ? d.font->ascent : 12;
    for (std::size_t i = 0; i < d.lines.size(); ++i)
        drawString(d, MARGIN, MARGIN + ascent + static_cast<int>(i) * d.lineHeight, d.lines[i]);

    for (std::size_t i = 0; i < d.buttons.size(); ++i) {
        const DialogButton& b = d.buttons[i];
        bool hasFocus = static_cast<int>(i) == d.focused;
        XSetForeground(d.display, d.gc, d.face);
        XFillRectangle(d.display, d.window, d.gc, b.x, b.y, static_cast<unsigned>(b.width), static_cast<unsigned>(b.height));
        XSetForeground(d.display, d.gc, hasFocus ? d.accent : d.ink);
        XSetLineAttributes(d.display, d.gc, hasFocus ? 2 : 1, LineSolid, CapButt, JoinMiter);
        XDrawRectangle(d.display, d.window, d.gc, b.x, b.y, static_cast<unsigned>(b.width - 1),
                       static_cast<unsigned>(b.height - 1));
        XSetForeground(d.display, d.gc, d.ink);
        std::string label = b.label;
        int labelY = b.y + (b.height + ascent - (d.font ? d.font->descent : 3)) / 2;
        drawString(d, b.x + (b.width - textWidth(d, label)) / 2, labelY, label);
    }
    XFlush(d.display);
}

void layOut(Dialog& d, int& width, int& height)
{
    int ascent = d.font ? d.font->ascent : 12;
    int descent = d.font ? d.font->descent : 3;
    d.lineHeight = ascent + descent + 4;
    int textBlock = 0;
    for (const std::string& line : d.lines)
        textBlock = std::max(textBlock, textWidth(d, line));

    int buttonHeight = ascent + descent + 14;
    int buttonsWidth = 0;
    for (DialogButton& b : d.buttons) {
        b.width = std::max(BUTTON_MIN_WIDTH, textWidth(d, b.label) + 24);
        b.height = buttonHeight;
        buttonsWidth += b.width;
    }
    buttonsWidth += BUTTON_GAP * static_cast<int>(d.buttons.size() - 1);

    width = std::max(textBlock, buttonsWidth) + 2 * MARGIN;
    height = MARGIN + static_cast<int>(d.lines.size()) * d.lineHeight + MARGIN + buttonHeight + MARGIN;
    int x = (width - buttonsWidth) / 2;
    for (DialogButton& b : d.buttons) {
        b.x = x;
        b.y = height - MARGIN - buttonHeight;
        x += b.width + BUTTON_GAP;
    }
}

void setWindowProperties(const Dialog& d, const char* title, int x, int y, int width, int height)
{
    Display* display = d.display;
    XStoreName(display, d.window, title);
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XChangeProperty(display, d.window, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(title), static_cast<int>(std::strlen(title)));
    Atom dialogType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(display, d.window, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&dialogType), 1);

    XSizeHints* hints = XAllocSizeHints();
    hints->flags = USPosition | PPosition | PMinSize | PMaxSize;
    hints->x = x;
    hints->y = y;
    hints->min_width = hints->max_width = width;
    hints->min_height = hints->max_height = height;
    XSetWMNormalHints(display, d.window, hints);
    XFree(hints);

    setWindowClass(display, d.window);
}

// The next event for the box; false once a stop signal has been noted, which
// a blocking XNextEvent would not notice.
bool nextEvent(Display* display, XEvent& event)
{
    while (!XPending(display)) {
        if (pendingStopSignal())
            return false;
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, STOP_CHECK_MS);
    }
    XNextEvent(display, &event);
    return true;
}

// Shows the dialog and waits for an answer: the index of the button chosen,
// or escapeAnswer for Escape and for closing the window.
int runDialog(const char* title, const char* text, std::vector<DialogButton> buttons, int escapeAnswer)
{
    Dialog d;
    d.display = dialogDisplay();
    if (!d.display || pendingStopSignal())
        return escapeAnswer;
    int screen = DefaultScreen(d.display);
    d.font = loadFont(d.display);
    d.background = namedColour(d.display, "#ececec", WhitePixel(d.display, screen));
    d.face = namedColour(d.display, "#fafafa", WhitePixel(d.display, screen));
    d.ink = BlackPixel(d.display, screen);
    d.accent = namedColour(d.display, "#2f62c8", BlackPixel(d.display, screen));
    d.lines = splitLines(text);
    d.buttons = std::move(buttons);

    int width = 0, height = 0;
    layOut(d, width, height);
    Monitor area = boxArea(d.display);
    int x = area.x + (area.width - width) / 2;
    int y = area.y + (area.height - height) / 2;
    d.window = XCreateSimpleWindow(d.display, RootWindow(d.display, screen), x, y, static_cast<unsigned>(width),
                                   static_cast<unsigned>(height), 1, d.ink, d.background);
    beforeBox(d.display, d.window);
    setWindowProperties(d, title, x, y, width, height);
    Atom deleteWindow = XInternAtom(d.display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d.display, d.window, &deleteWindow, 1);
    XSelectInput(d.display, d.window, ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask);
    d.gc = XCreateGC(d.display, d.window, 0, nullptr);
    if (d.font)
        XSetFont(d.display, d.gc, d.font->fid);
    XMapRaised(d.display, d.window);

    int answer = -1;
    int pressed = -1;
    while (answer < 0) {
        XEvent event;
        if (!nextEvent(d.display, event)) {
            answer = escapeAnswer;
            break;
        }
        if (event.xany.window != d.window)
            continue;  // left over from an earlier dialog
        switch (event.type) {
        case MapNotify: {
            // Take the keyboard, also where no window manager hands it over;
            // a compositor hands it over itself and undoes any such change.
            if (desktopFocusesBox())
                break;
            XErrorHandler previous = XSetErrorHandler(ignoreXErrors);
            XSetInputFocus(d.display, d.window, RevertToParent, CurrentTime);
            XSync(d.display, False);
            XSetErrorHandler(previous);
            break;
        }
        case Expose:
            if (event.xexpose.count == 0)
                redraw(d);
            break;
        case KeyPress: {
            char typed[8] = {};
            KeySym sym = NoSymbol;
            XLookupString(&event.xkey, typed, sizeof typed - 1, &sym, nullptr);
            int count = static_cast<int>(d.buttons.size());
            if (sym == XK_Return || sym == XK_KP_Enter || sym == XK_space || sym == XK_KP_Space) {
                answer = d.focused;
            } else if (sym == XK_Escape) {
                answer = escapeAnswer;
            } else if (sym == XK_Tab || sym == XK_Right || sym == XK_Down) {
                d.focused = (d.focused + 1) % count;
                redraw(d);
            } else if (sym == XK_ISO_Left_Tab || sym == XK_Left || sym == XK_Up) {
                d.focused = (d.focused + count - 1) % count;
                redraw(d);
            } else {
                for (int i = 0; i < count; ++i) {
                    char c = typed[0] | 0x20;  // either case
                    if (d.buttons[static_cast<std::size_t>(i)].shortcut && c == d.buttons[static_cast<std::size_t>(i)].shortcut)
                        answer = i;
                }
            }
            break;
        }
        case ButtonPress:
        case ButtonRelease: {
            if (event.xbutton.button != Button1)
                break;
            int hit = -1;
            for (std::size_t i = 0; i < d.buttons.size(); ++i) {
                if (d.buttons[i].contains(event.xbutton.x, event.xbutton.y))
                    hit = static_cast<int>(i);
            }
            if (event.type == ButtonPress)
                pressed = hit;
            else if (hit >= 0 && hit == pressed)
                answer = hit;
            break;
        }
        case ClientMessage:
            if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow)
                answer = escapeAnswer;
            break;
        default:
            break;
        }
    }

    XFreeGC(d.display, d.gc);
    if (d.font)
        XFreeFont(d.display, d.font);
    XDestroyWindow(d.display, d.window);
    XSync(d.display, False);  // gone before the surface takes the keyboard back
    afterBox();
    return answer;
}

}  // namespace

Display* dialogDisplay()
{
    static Display* display = openDisplay();
    return display;
}

bool displayReachable()
{
    return dialogDisplay() != nullptr;
}

bool askYesNo(const char* caption, const char* text)
{
    constexpr int YES = 0, NO = 1;
    // Yes has the focus first, as the default button of a Yes/No question.
    return runDialog(caption, text, {{"Yes", 'y'}, {"No", 'n'}}, NO) == YES;
}

void showErrorBox(const char* caption, const char* text)
{
    runDialog(caption, text, {{"OK", 'o'}}, 0);
}
