#include "platform/midi/jack_library.h"

#include <dlfcn.h>
#include <jack/jack.h>
#include <jack/midiport.h>

#include <cstdarg>
#include <string_view>

// A table of names, laid out by hand.
// clang-format off
#define PULVAN_JACK_FUNCTIONS(X)                                                                                 \
    X(jack_activate) X(jack_client_close) X(jack_client_open) X(jack_connect) X(jack_disconnect) X(jack_free)    \
    X(jack_frames_to_time) X(jack_get_buffer_size) X(jack_get_client_name) X(jack_get_cycle_times)               \
    X(jack_get_ports) X(jack_get_sample_rate) X(jack_get_time) X(jack_last_frame_time) X(jack_midi_clear_buffer) \
    X(jack_midi_event_get) X(jack_midi_event_reserve) X(jack_midi_get_event_count) X(jack_on_info_shutdown)      \
    X(jack_on_shutdown) X(jack_port_connected_to) X(jack_port_get_buffer) X(jack_port_name)                      \
    X(jack_port_register) X(jack_set_client_registration_callback) X(jack_set_error_function)                   \
    X(jack_set_info_function) X(jack_set_process_callback)
// clang-format on

namespace pulvan::midi {
namespace {

struct JackLibrary {
#define PULVAN_JACK_MEMBER(name) decltype(&::name) name = nullptr;
    PULVAN_JACK_FUNCTIONS(PULVAN_JACK_MEMBER)
#undef PULVAN_JACK_MEMBER
    using Handler = void (*)(const char*);
    Handler* errorCallback = nullptr;
    Handler* infoCallback = nullptr;
    decltype(&::jack_get_client_pid) clientPid = nullptr;  // only jack2's answers it
    bool present = false;
    bool jack2 = false;

    JackLibrary() {
        // Never closed: JACK's threads may outlive any owner we could give it.
        void* handle = dlopen("libjack.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!handle) return;
        bool complete = true;
#define PULVAN_JACK_RESOLVE(name)                                     \
    name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name)); \
    complete = complete && name != nullptr;
        PULVAN_JACK_FUNCTIONS(PULVAN_JACK_RESOLVE)
#undef PULVAN_JACK_RESOLVE
        errorCallback = static_cast<Handler*>(dlsym(handle, "jack_error_callback"));
        infoCallback = static_cast<Handler*>(dlsym(handle, "jack_info_callback"));
        present = complete && errorCallback && infoCallback;
        const auto version = reinterpret_cast<decltype(&::jack_get_version_string)>(dlsym(handle, "jack_get_version_string"));
        jack2 = present && version && std::string_view(version()).starts_with("1.");
        // PipeWire's has it too, but answers 0 and says on stderr, every time, that it is not implemented.
        if (jack2) clientPid = reinterpret_cast<decltype(&::jack_get_client_pid)>(dlsym(handle, "jack_get_client_pid"));
    }
};

// Resolved in one go on first use, which comes before any JACK client exists,
// so the process callbacks never wait on the loader.
const JackLibrary& jack() {
    static const JackLibrary library;
    return library;
}

// Calls libjack's `member`, or gives `fallback` when libjack is not there.
template <auto member, typename Result, typename... Args>
Result forward(Result fallback, Args... args) {
    const JackLibrary& library = jack();
    return library.present ? (library.*member)(args...) : fallback;
}

template <auto member, typename... Args>
void forwardVoid(Args... args) {
    const JackLibrary& library = jack();
    if (library.present) (library.*member)(args...);
}

}  // namespace

bool jackLibraryPresent() { return jack().present; }

bool jackLibraryIsJack2() { return jack().jack2; }

JackMessageHandlers jackMessageHandlers() {
    const JackLibrary& library = jack();
    if (!library.present) return {};
    return {*library.errorCallback, *library.infoCallback};
}

void setJackMessageHandlers(const JackMessageHandlers& handlers) {
    const JackLibrary& library = jack();
    if (!library.present) return;
    *library.errorCallback = handlers.error;
    *library.infoCallback = handlers.info;
}

}  // namespace pulvan::midi

using pulvan::midi::forward;
using pulvan::midi::forwardVoid;
using L = pulvan::midi::JackLibrary;

extern "C" {

jack_client_t* jack_client_open(const char* name, jack_options_t options, jack_status_t* status, ...) {
    if (!pulvan::midi::jackLibraryPresent()) {
        if (status) *status = static_cast<jack_status_t>(JackFailure | JackServerFailed);
        return nullptr;
    }
    const char* serverName = nullptr;
    if (options & JackServerName) {
        va_list rest;
        va_start(rest, status);
        serverName = va_arg(rest, const char*);
        va_end(rest);
    }
    return pulvan::midi::jack().jack_client_open(name, options, status, serverName);
}

int jack_activate(jack_client_t* c) { return forward<&L::jack_activate>(-1, c); }
int jack_client_close(jack_client_t* c) { return forward<&L::jack_client_close>(-1, c); }
int jack_connect(jack_client_t* c, const char* from, const char* to) { return forward<&L::jack_connect>(-1, c, from, to); }
int jack_disconnect(jack_client_t* c, const char* from, const char* to) { return forward<&L::jack_disconnect>(-1, c, from, to); }
void jack_free(void* p) { forwardVoid<&L::jack_free>(p); }
jack_time_t jack_frames_to_time(const jack_client_t* c, jack_nframes_t f) { return forward<&L::jack_frames_to_time>(jack_time_t{0}, c, f); }
int jack_get_client_pid(const char* name) {
    const auto& library = pulvan::midi::jack();
    return library.present && library.clientPid ? library.clientPid(name) : 0;
}
int jack_get_cycle_times(const jack_client_t* c, jack_nframes_t* frames, jack_time_t* usecs, jack_time_t* next, float* period) {
    return forward<&L::jack_get_cycle_times>(-1, c, frames, usecs, next, period);
}
const char** jack_get_ports(jack_client_t* c, const char* pattern, const char* type, unsigned long flags) {
    return forward<&L::jack_get_ports>(static_cast<const char**>(nullptr), c, pattern, type, flags);
}
jack_nframes_t jack_get_buffer_size(jack_client_t* c) { return forward<&L::jack_get_buffer_size>(jack_nframes_t{0}, c); }
char* jack_get_client_name(jack_client_t* c) { return forward<&L::jack_get_client_name>(static_cast<char*>(nullptr), c); }
jack_nframes_t jack_get_sample_rate(jack_client_t* c) { return forward<&L::jack_get_sample_rate>(jack_nframes_t{0}, c); }
jack_time_t jack_get_time() { return forward<&L::jack_get_time>(jack_time_t{0}); }
jack_nframes_t jack_last_frame_time(const jack_client_t* c) { return forward<&L::jack_last_frame_time>(jack_nframes_t{0}, c); }
void jack_midi_clear_buffer(void* buffer) { forwardVoid<&L::jack_midi_clear_buffer>(buffer); }
int jack_midi_event_get(jack_midi_event_t* e, void* buffer, uint32_t index) {
    return forward<&L::jack_midi_event_get>(-1, e, buffer, index);
}
jack_midi_data_t* jack_midi_event_reserve(void* buffer, jack_nframes_t time, size_t size) {
    return forward<&L::jack_midi_event_reserve>(static_cast<jack_midi_data_t*>(nullptr), buffer, time, size);
}
uint32_t jack_midi_get_event_count(void* buffer) { return forward<&L::jack_midi_get_event_count>(uint32_t{0}, buffer); }
void jack_on_info_shutdown(jack_client_t* c, JackInfoShutdownCallback callback, void* arg) {
    forwardVoid<&L::jack_on_info_shutdown>(c, callback, arg);
}
void jack_on_shutdown(jack_client_t* c, JackShutdownCallback callback, void* arg) { forwardVoid<&L::jack_on_shutdown>(c, callback, arg); }
int jack_port_connected_to(const jack_port_t* p, const char* name) { return forward<&L::jack_port_connected_to>(0, p, name); }
void* jack_port_get_buffer(jack_port_t* p, jack_nframes_t frames) {
    return forward<&L::jack_port_get_buffer>(static_cast<void*>(nullptr), p, frames);
}
const char* jack_port_name(const jack_port_t* p) { return forward<&L::jack_port_name>("", p); }
jack_port_t* jack_port_register(jack_client_t* c, const char* name, const char* type, unsigned long flags, unsigned long size) {
    return forward<&L::jack_port_register>(static_cast<jack_port_t*>(nullptr), c, name, type, flags, size);
}
int jack_set_client_registration_callback(jack_client_t* c, JackClientRegistrationCallback callback, void* arg) {
    return forward<&L::jack_set_client_registration_callback>(-1, c, callback, arg);
}
void jack_set_error_function(void (*f)(const char*)) { forwardVoid<&L::jack_set_error_function>(f); }
void jack_set_info_function(void (*f)(const char*)) { forwardVoid<&L::jack_set_info_function>(f); }
int jack_set_process_callback(jack_client_t* c, JackProcessCallback callback, void* arg) {
    return forward<&L::jack_set_process_callback>(-1, c, callback, arg);
}

}  // extern "C"
