#include "platform/Signals.h"

#include <csignal>

#include <signal.h>

namespace {

volatile std::sig_atomic_t requested = 0;

extern "C" void noteQuit(int)
{
    requested = 1;
}

}

namespace signals {

void catchQuitSignals()
{
    struct sigaction action {};
    action.sa_handler = noteQuit;
    sigemptyset(&action.sa_mask);
    // A second signal, should the shutdown hang, ends the process.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool quitRequested()
{
    return requested != 0;
}

}
