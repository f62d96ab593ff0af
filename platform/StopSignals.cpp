// Stop signals in full screen: the handler only notes the signal; the game's
// timer sees the note, gives the desktop its video mode back and then ends the
// process by the same signal, so whoever started it still sees it killed by it.
#include "platform/Platform.h"

#include <signal.h>

#include <csignal>
#include <cstdlib>
#include <initializer_list>

namespace {

volatile std::sig_atomic_t noted = 0;

extern "C" void noteStopSignal(int signal)
{
    noted = signal;
}

}  // namespace

void deferStopSignals()
{
    struct sigaction action {};
    action.sa_handler = noteStopSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes under way (the score file) go on rather than fail.
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction previous {};
        sigaction(signal, nullptr, &previous);
        if (previous.sa_handler != SIG_IGN)  // nohup and the like asked for it to be ignored
            sigaction(signal, &action, nullptr);
    }
}

int pendingStopSignal()
{
    return noted;
}

void endBySignal(int signal)
{
    std::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    std::raise(signal);
    std::_Exit(128 + signal);  // not reached: the default action of these signals ends the process
}
