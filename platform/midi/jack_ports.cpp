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

namespace pulvan::midi {
namespace {

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

}  // namespace

std::unique_ptr<JackClient> JackClient::open(const std::string& name) {
    std::lock_guard lock(libraryMutex());
    if (!closeGoneLocked() || !jackServerMayAnswer()) return nullptr;
    jack_client_t* client = quietly([&] {
        jack_status_t status{};
        return jack_client_open(name.c_str(), JackNoStartServer, &status);
    });
    if (!client) return nullptr;
    std::unique_ptr<JackClient> opened(new JackClient(client));
    registry().open.insert(opened.get());
    jack_on_info_shutdown(client, &JackClient::onShutdown, &opened->gone_);
    return opened;
}

JackClient::~JackClient() {
    std::lock_guard lock(libraryMutex());
    {
        std::lock_guard clientLock(mutex_);
        if (client_) quietly([&] { return jack_client_close(client_); });
    }
    registry().open.erase(this);
}

void JackClient::onShutdown(jack_status_t, const char*, void* gone) {
    static_cast<std::atomic<bool>*>(gone)->store(true, std::memory_order_release);
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

bool jackServerRunning() { return JackClient::open("PulvanMIDIProbe") != nullptr; }

std::vector<std::string> JackPortLookup::midiPorts(bool sources) {
    std::vector<std::string> names;
    std::lock_guard lock(mutex_);
    if (client_ && client_->gone()) client_.reset();
    const auto time = std::chrono::steady_clock::now();
    if (!client_ && time >= nextAttempt_) {
        nextAttempt_ = time + std::chrono::milliseconds(500);
        client_ = JackClient::open("PulvanMIDIPorts");
    }
    if (!client_) return names;
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
