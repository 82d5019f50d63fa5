#pragma once

// libjack is opened when first needed rather than linked, so that Pulvan loads
// and runs on machines without JACK. This file defines libjack's C functions
// that Pulvan calls; each forwards to the library when it is there
// and otherwise fails the way libjack fails without a server.
namespace pulvan::midi {

// Whether libjack could be opened.
bool jackLibraryPresent();
// Whether the library is jack2's, which numbers its releases 1.9.x (PipeWire's says
// "3.0.0.0 (using PipeWire ...)"); asked without starting anything.
bool jackLibraryIsJack2();

// libjack's process-wide message handlers, to be put back after silencing them.
struct JackMessageHandlers {
    void (*error)(const char*) = nullptr;
    void (*info)(const char*) = nullptr;
};
JackMessageHandlers jackMessageHandlers();
void setJackMessageHandlers(const JackMessageHandlers& handlers);

}  // namespace pulvan::midi
