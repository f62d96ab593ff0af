#pragma once
// What the game needs from the operating system beyond the window system:
// the stop signals and the read-only file mapping, on POSIX. The window
// system's part is in Dialogs.h, Desktop.h and GameSurface.h.

#include <cstddef>

// From this call on, SIGINT, SIGTERM and SIGHUP are only noted (those the
// process was started with ignored stay ignored), so that the program can put
// the desktop's video mode back before it ends. A box up at the time closes
// as if Escape had been pressed, and no further box is shown.
void deferStopSignals();
// The stop signal noted so far, or 0.
int pendingStopSignal();
// Ends the process as the signal would have ended it, exit status included.
void endBySignal(int signal);

// The whole content of a file, mapped read-only.
struct MappedFile {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
};

// Maps the existing file at path. Fails for a file that cannot be opened for
// reading and for an empty one, which cannot be mapped.
bool mapFileReadOnly(const char* path, MappedFile& file);
void unmapFile(MappedFile& file);
