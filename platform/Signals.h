#pragma once
// SIGINT and SIGTERM as a request to end the show, as Escape is: once caught,
// either signal only notes the request, which the frame loop polls. Before
// that, and for a second signal of the same kind, the default action (ending
// the process) stays.

namespace signals {

// Catches SIGINT and SIGTERM from here on.
void catchQuitSignals();

// True once a caught SIGINT or SIGTERM has arrived.
bool quitRequested();

}
