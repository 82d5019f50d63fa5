#include "editor/link/standalone/standalone_midi_receiver.h"

#include "editor/link/standalone/endpoint_matching.h"
#include "platform/midi/endpoints.h"

namespace pulvan::link {

StandaloneMIDIReceiver::StandaloneMIDIReceiver(foundation::MainQueue& mainQueue, NoteHandler noteHandler)
    : mainQueue_(mainQueue),
      noteHandler_(std::make_shared<NoteHandler>(std::move(noteHandler))),
      parser_([this](int note, bool isOn) {
          mainQueue_.async([handler = std::weak_ptr<NoteHandler>(noteHandler_), note, isOn] {
              if (auto alive = handler.lock(); alive && *alive) (*alive)(note, isOn);
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
    noteHandler_.reset();
}

void StandaloneMIDIReceiver::connectSources() {
    std::lock_guard lock(connectionMutex_);
    if (!inputPort_) return;  // a setup change reported while the port is still being made
    disconnectAllLocked();
    for (const midi::Endpoint& source : midi::sources()) {
        if (source.address.empty() || isOwnVirtualSource(source)) continue;
        if (inputPort_->connectSource(source)) connectedSources_.push_back(source);
    }
}

void StandaloneMIDIReceiver::disconnectAll() {
    std::lock_guard lock(connectionMutex_);
    disconnectAllLocked();
}

void StandaloneMIDIReceiver::disconnectAllLocked() {
    for (const midi::Endpoint& source : connectedSources_) inputPort_->disconnectSource(source);
    connectedSources_.clear();
}

std::vector<midi::Endpoint> StandaloneMIDIReceiver::connectedSources() const {
    std::lock_guard lock(connectionMutex_);
    return connectedSources_;
}

}  // namespace pulvan::link
