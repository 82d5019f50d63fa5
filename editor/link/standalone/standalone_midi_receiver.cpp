#include "editor/link/standalone/standalone_midi_receiver.h"

#include "editor/link/standalone/endpoint_matching.h"
#include "platform/midi/endpoints.h"

namespace pulvan::link {

StandaloneMIDIReceiver::StandaloneMIDIReceiver(foundation::MainQueue& mainQueue, NoteHandler noteHandler,
                                               ControlChangeHandler controlChangeHandler)
    : mainQueue_(mainQueue),
      handlers_(std::make_shared<Handlers>(Handlers{std::move(noteHandler), std::move(controlChangeHandler)})),
      parser_(
          [this](int note, bool isOn) {
              mainQueue_.async([handlers = std::weak_ptr<Handlers>(handlers_), note, isOn] {
                  if (auto alive = handlers.lock(); alive && alive->note) alive->note(note, isOn);
              });
          },
          [this](int controller, int value) {
              if (inPluginHost_.load()) return;  // the host's drain brings them there
              mainQueue_.async([handlers = std::weak_ptr<Handlers>(handlers_), controller, value] {
                  if (auto alive = handlers.lock(); alive && alive->controlChange) alive->controlChange(controller, value);
              });
          }) {
    client_ = std::make_unique<midi::Client>(kClientName, [this] { connectSources(); });
    auto port = std::make_unique<midi::InputPort>(*client_, kPortName,
                                                  [this](std::span<const std::uint8_t> bytes, midi::Timestamp) { parser_.parse(bytes); });
    {
        std::lock_guard lock(connectionMutex_);
        inputPort_ = std::move(port);
    }
    connectSources();
}

StandaloneMIDIReceiver::~StandaloneMIDIReceiver() {
    client_.reset();  // no reconnection runs from here on
    disconnectAll();
    inputPort_.reset();  // nor any read
    handlers_.reset();
}

void StandaloneMIDIReceiver::setInPluginHost(bool inPluginHost) {
    if (inPluginHost_.exchange(inPluginHost) != inPluginHost) connectSources();
}

void StandaloneMIDIReceiver::connectSources() {
    std::lock_guard lock(connectionMutex_);
    if (!inputPort_) return;  // a setup change reported while the port is still being made
    disconnectAllLocked();
    for (const midi::Endpoint& source : midi::sources()) {
        if (source.address.empty() || isOwnVirtualSource(source)) continue;
        if (source.inThisProcess && inPluginHost_.load()) continue;  // the host's own tracks
        if (inputPort_->connectSource(source)) connectedSources_.push_back(source);
    }
}

void StandaloneMIDIReceiver::disconnectAll() {
    std::lock_guard lock(connectionMutex_);
    disconnectAllLocked();
}

void StandaloneMIDIReceiver::disconnectAllLocked() {
    // The port's own list also holds the sources that refused at first and were connected later.
    if (inputPort_) inputPort_->disconnectEverySource();
    connectedSources_.clear();
}

std::vector<midi::Endpoint> StandaloneMIDIReceiver::connectedSources() const {
    std::lock_guard lock(connectionMutex_);
    return connectedSources_;
}

}  // namespace pulvan::link
