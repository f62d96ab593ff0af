// Preloaded into the game or the baseline to time what a player waits for.
// It appends one line per event to the file named by TARVIK_PROBE_LOG, each
// with the CLOCK_MONOTONIC time in microseconds and the process's CPU time:
//   start       the program was loaded
//   dialog-up   the start-up question was shown (its window mapped)
//   dialog-done the question was answered (its window destroyed)
//   swap        a frame was finished (glXSwapBuffers)
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

FILE* probeLog()
{
    static FILE* log = [] {
        const char* path = std::getenv("TARVIK_PROBE_LOG");
        return path ? std::fopen(path, "a") : nullptr;
    }();
    return log;
}

long long micros(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return t.tv_sec * 1000000LL + t.tv_nsec / 1000;
}

void note(const char* event)
{
    if (FILE* log = probeLog()) {
        std::fprintf(log, "%s %lld %lld\n", event, micros(CLOCK_MONOTONIC), micros(CLOCK_PROCESS_CPUTIME_ID));
        std::fflush(log);
    }
}

template <typename F>
F next(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

__attribute__((constructor)) void loaded() { note("start"); }

}  // namespace

extern "C" {

void glXSwapBuffers(Display* display, GLXDrawable drawable)
{
    static auto real = next<void (*)(Display*, GLXDrawable)>("glXSwapBuffers");
    real(display, drawable);
    note("swap");
}

int XMapRaised(Display* display, Window window)
{
    static auto real = next<int (*)(Display*, Window)>("XMapRaised");
    note("dialog-up");
    return real(display, window);
}

int XDestroyWindow(Display* display, Window window)
{
    static auto real = next<int (*)(Display*, Window)>("XDestroyWindow");
    note("dialog-done");
    return real(display, window);
}

}
