#include "platform/midi/jack_ports.h"

#include "platform/midi/jack_library.h"
#include "platform/midi/jack_server_watch.h"
#include "platform/midi/midi_types.h"

#include <dirent.h>
#include <jack/jack.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <limits>
#include <mutex>
#include <sstream>
#include <string_view>
#include <thread>

namespace pulvan::midi {
namespace {

// How long after finding no server the next look is.
constexpr auto kRetryAfterFailure = std::chrono::milliseconds(500);

void ignoreJackMessage(const char*) {}

// One libjack call at a time: the message handlers are process-wide, and
// libjack's shared state does not bear clients of one process opening and
// closing at once.
std::mutex& libraryMutex() {
    static auto* mutex = new std::mutex;  // never destroyed, as the registry below
    return *mutex;
}

// Silences libjack's process-wide handlers for one call, then gives the host
// process its own back. The caller holds libraryMutex().
template <typename Call>
auto quietly(Call&& call) {
    const JackMessageHandlers previous = jackMessageHandlers();
    jack_set_error_function(ignoreJackMessage);
    jack_set_info_function(ignoreJackMessage);
    auto result = call();
    setJackMessageHandlers(previous);
    return result;
}

// Our clients that are open. libjack deletes every client of the process that
// is still open, ours and a host's, when the process opens a client after its
// server went away; closing one of those afterwards crashes. So ours are closed
// before the next opening, and no client is opened again until a server answers
// on its socket (jackServerMayAnswer).
struct ClientRegistry {
    std::set<JackClient*> open;  // under libraryMutex(): a member is alive while it is held
};

// Never destroyed: clients held by other statics close after it would be.
ClientRegistry& registry() {
    static auto* clients = new ClientRegistry;
    return *clients;
}

// The socket inodes this process holds open.
std::set<std::string> ownSocketInodes() {
    std::set<std::string> inodes;
    DIR* fds = ::opendir("/proc/self/fd");
    if (!fds) return inodes;
    char target[128];
    while (const dirent* entry = ::readdir(fds)) {
        const std::string path = std::string("/proc/self/fd/") + entry->d_name;
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
        if (length <= 0) continue;
        const std::string_view link(target, static_cast<std::size_t>(length));
        if (link.starts_with("socket:[") && link.ends_with("]")) inodes.emplace(link.substr(8, link.size() - 9));
    }
    ::closedir(fds);
    return inodes;
}

// libjack binds one socket per client at "<dir>/jack_<client>_<uid>_<n>".
std::set<std::string> clientsOfOwnSockets() {
    std::set<std::string> clients;
    const std::set<std::string> inodes = ownSocketInodes();
    std::ifstream table("/proc/net/unix");
    std::string line;
    std::getline(table, line);  // headings
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string skip, inode, path;
        for (int i = 0; i < 6; ++i) fields >> skip;
        fields >> inode;
        std::getline(fields, path);
        if (!inodes.contains(inode)) continue;
        const auto slash = path.rfind("/jack_");
        if (slash == std::string::npos) continue;
        std::string name = path.substr(slash + 6);
        for (int part = 0; part < 2; ++part) name.resize(name.rfind('_') == std::string::npos ? 0 : name.rfind('_'));
        clients.insert(std::move(name));
    }
    return clients;
}

// Whether this process maps jack2's wake-up of the client of ours named `client`, a file
// "jack_sem.<uid>_<server>_<client>" in /dev/shm that the server made for it (not one it deleted).
bool wakeUpMapped(const std::string& client) {
    std::ifstream maps("/proc/self/maps");
    const std::string ending = "_" + client;
    for (std::string line; std::getline(maps, line);) {
        const auto file = line.find("/dev/shm/jack_sem.");
        if (file != std::string::npos && std::string_view(line).substr(file).ends_with(ending)) return true;
    }
    return false;
}

}  // namespace

std::unique_ptr<JackClient> JackClient::open(const std::string& name) {
    // An opening that finds no server costs (PipeWire's libjack sets up a whole context for it): while
    // none answers, at most twice a second for every client of ours together. jack2's is tried only
    // while its server's socket takes connections (jackServerMayAnswer), and a server just started
    // is not kept waiting for.
    static std::chrono::steady_clock::time_point nextAfterFailure{};  // under libraryMutex()
    std::lock_guard lock(libraryMutex());
    if (std::chrono::steady_clock::now() < nextAfterFailure || !closeGoneLocked() || !jackServerMayAnswer()) return nullptr;
    jack_client_t* client = quietly([&] {
        jack_status_t status{};
        return jack_client_open(name.c_str(), JackNoStartServer, &status);
    });
    if (!client) {
        if (!jackLibraryIsJack2()) nextAfterFailure = std::chrono::steady_clock::now() + kRetryAfterFailure;
        return nullptr;
    }
    std::unique_ptr<JackClient> opened(new JackClient(client));
    registry().open.insert(opened.get());
    // jack2 calls the first if set, else the second; PipeWire's calls only the second (and only while active).
    jack_on_info_shutdown(client, &JackClient::onInfoShutdown, opened.get());
    jack_on_shutdown(client, &JackClient::onShutdown, opened.get());
    jack_set_client_registration_callback(client, &JackClient::onRegistration, opened.get());
    return opened;
}

JackClient::JackClient(jack_client_t* client)
    : client_(client),
      raw_(client),
      lossesAtOpen_(serverLosses().load(std::memory_order_acquire)) {}

JackClient::~JackClient() {
    std::lock_guard lock(libraryMutex());
    {
        std::lock_guard clientLock(mutex_);
        if (client_) quietly([&] { return jack_client_close(client_); });
    }
    registry().open.erase(this);
}

// jack2 wakes the clients of one process through one table, by client number, which each client of
// ours fills in as the server's news of others joining and leaving reaches it. When a client of ours
// takes the number of another program's client that just left, before an older client of ours heard
// that it left, the table still holds the wake-up of the one that left, and the new client's process
// thread, started now, would wait on that one for ever while the server waits for it every cycle.
// Once every client of ours heard that the new one joined, they heard everything before, and its
// entry is its own. Their news comes on threads of this process: a busy machine delays it a little.
// The news that a client left, reaching a client of ours while it is still opening, is dropped by
// libjack, and the entry keeps the wake-up of the one that left: a client of ours that then takes
// its number finds its own wake-up not taken in. It is not activated; closing it clears the entry,
// and its owner opens it again. Should a thread still not run, its owner gives it up quickly
// (JackPortClient::firstCycleRuns).
bool JackClient::activate() {
    constexpr auto kNewsWait = std::chrono::milliseconds(500);
    std::unique_lock lock(libraryMutex());
    std::string name;
    if (!use([&](jack_client_t* client) { name = jack_get_client_name(client); })) return false;
    if (jackLibraryIsJack2()) {
        const auto deadline = std::chrono::steady_clock::now() + kNewsWait;
        while (!heardByOthersLocked(*this, name) && std::chrono::steady_clock::now() < deadline) {
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            lock.lock();
        }
        if (!wakeUpMapped(name)) return false;
    }
    bool activated = false;
    use([&](jack_client_t* client) { activated = jack_activate(client) == 0; });
    active_ = activated;
    return activated;
}

bool JackClient::heardByOthersLocked(const JackClient& self, const std::string& name) {
    for (JackClient* other : registry().open) {
        if (other == &self || !other->active_ || other->gone()) continue;
        std::lock_guard joinedLock(other->joinedMutex_);
        if (std::ranges::find(other->joined_, name) == other->joined_.end()) return false;
    }
    return true;
}

std::atomic<std::uint64_t>& JackClient::serverLosses() {
    static std::atomic<std::uint64_t> losses{0};
    return losses;
}

void JackClient::onInfoShutdown(jack_status_t, const char*, void* self) { onShutdown(self); }

void JackClient::onShutdown(void* self) {
    auto& client = *static_cast<JackClient*>(self);
    client.gone_.store(true, std::memory_order_release);
    // Counted once for the clients opened before: a later one's server is another.
    std::uint64_t expected = client.lossesAtOpen_;
    serverLosses().compare_exchange_strong(expected, expected + 1, std::memory_order_acq_rel);
}

void JackClient::onRegistration(const char* name, int joined, void* self) {
    if (!joined || !name) return;
    auto& client = *static_cast<JackClient*>(self);
    std::lock_guard lock(client.joinedMutex_);
    client.joined_[client.nextJoined_] = name;
    client.nextJoined_ = (client.nextJoined_ + 1) % client.joined_.size();
}

bool JackClient::closeGoneLocked() {
    bool allClosed = true;
    for (JackClient* client : registry().open) {
        if (!client->gone()) continue;
        std::unique_lock clientLock(client->mutex_, std::try_to_lock);
        if (!clientLock) {
            allClosed = false;  // a call on it is under way: its owner's thread, another time
            continue;
        }
        if (client->client_) quietly([&] { return jack_client_close(client->client_); });
        client->client_ = nullptr;
    }
    return allClosed;
}

std::int64_t jackClockOffsetNanoseconds() noexcept {
    std::int64_t best = 0;
    std::int64_t narrowest = std::numeric_limits<std::int64_t>::max();
    for (int attempt = 0; attempt < 3; ++attempt) {
        const auto before = static_cast<std::int64_t>(now());
        const auto jackNs = static_cast<std::int64_t>(jack_get_time()) * 1000;
        const auto after = static_cast<std::int64_t>(now());
        if (after - before < narrowest) {
            narrowest = after - before;
            best = before + (after - before) / 2 - jackNs;
        }
    }
    return best;
}

bool JackPortLookup::open() {
    std::lock_guard lock(mutex_);
    return openLocked();
}

bool JackPortLookup::openLocked() {
    if (client_ && client_->gone()) client_.reset();
    const auto time = std::chrono::steady_clock::now();
    if (!client_ && time >= nextAttempt_) {
        nextAttempt_ = time + kRetryAfterFailure;
        client_ = JackClient::open("PulvanMIDIPorts");
        if (client_) client_->activate();
    }
    return client_ != nullptr;
}

std::vector<std::string> JackPortLookup::midiPorts(bool sources) {
    std::vector<std::string> names;
    std::lock_guard lock(mutex_);
    if (!openLocked()) return names;
    client_->use([&](jack_client_t* client) {
        const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_MIDI_TYPE, sources ? JackPortIsOutput : JackPortIsInput);
        if (!ports) return;
        for (const char** port = ports; *port; ++port) names.emplace_back(*port);
        jack_free(ports);
    });
    return names;
}

std::set<std::string> JackPortLookup::clientsInThisProcess(const std::set<std::string>& clientNames) {
    std::set<std::string> found;
    std::set<std::string> unknown;
    std::unique_lock lock(libraryMutex());
    for (const std::string& name : clientNames) {
        const int pid = quietly([&] { return jack_get_client_pid(name.c_str()); });
        if (pid == ::getpid()) found.insert(name);
        if (pid <= 0) unknown.insert(name);
    }
    lock.unlock();
    if (unknown.empty()) return found;
    for (const std::string& name : clientsOfOwnSockets()) {
        if (unknown.contains(name)) found.insert(name);
    }
    return found;
}

}  // namespace pulvan::midi
