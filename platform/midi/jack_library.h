#pragma once

// libjack is opened when first needed rather than linked, so that Pulvan loads
// and runs on machines without JACK. This file defines libjack's C functions
// that Pulvan calls; each forwards to the library when it is there
// and otherwise fails the way libjack fails without a server.
namespace pulvan::midi {

// Whether libjack could be opened.
bool jackLibraryPresent();

// libjack's process-wide message handlers, to be put back after silencing them.
struct JackMessageHandlers {
    void (*error)(const char*) = nullptr;
    void (*info)(const char*) = nullptr;
};
JackMessageHandlers jackMessageHandlers();
void setJackMessageHandlers(const JackMessageHandlers& handlers);

}  // namespace pulvan::midi
