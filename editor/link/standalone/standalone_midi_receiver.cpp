#include "editor/link/standalone/standalone_midi_receiver.h"

#include "editor/link/standalone/endpoint_matching.h"
#include "editor/link/store_link.h"
#include "platform/midi/endpoints.h"

namespace pulvan::link {

StandaloneMIDIReceiver::StandaloneMIDIReceiver(foundation::MainQueue& mainQueue, NoteHandler noteHandler,
                                               ControlChangeHandler controlChangeHandler, HeldNotesHandler heldNotesHandler,
                                               NotesTakenHandler notesTakenHandler)
    : inbox_(std::make_shared<Inbox>(mainQueue, std::move(noteHandler), std::move(controlChangeHandler), std::move(heldNotesHandler),
                                     std::move(notesTakenHandler))),
      parser_(
          [this](int channel, int note, bool isOn) {
              receive({IncomingMIDIBacklog::Message::Kind::note, static_cast<std::uint8_t>(note), static_cast<std::uint8_t>(isOn),
                       static_cast<std::uint8_t>(channel)});
          },
          [this](int controller, int value) {
              if (inPluginHost_.load()) return;  // the host's drain brings them there
              receive({IncomingMIDIBacklog::Message::Kind::controlChange, static_cast<std::uint8_t>(controller),
                       static_cast<std::uint8_t>(value)});
          }) {
    client_ = std::make_unique<midi::Client>(kClientName, [this] { connectSources(); });
    auto port = std::make_unique<midi::InputPort>(
        *client_, kPortName, [this](std::span<const std::uint8_t> bytes, midi::Timestamp) { parser_.parse(bytes); },
        [this](const midi::NoteSet& held) { receiveHeldNotes(held); });
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
    inbox_.reset();
}

void StandaloneMIDIReceiver::receive(IncomingMIDIBacklog::Message message) { drainWhenIdleBefore(inbox_->backlog.push(message)); }

void StandaloneMIDIReceiver::receiveHeldNotes(const midi::NoteSet& held) { drainWhenIdleBefore(inbox_->backlog.replaceHeldKeys(held)); }

void StandaloneMIDIReceiver::drainWhenIdleBefore(bool wasIdle) {
    if (!wasIdle) return;  // a drain is on its way
    inbox_->mainQueue.async([weak = std::weak_ptr<Inbox>(inbox_)] { drain(weak); });
}

void StandaloneMIDIReceiver::drain(const std::weak_ptr<Inbox>& weakInbox) {
    foundation::MainQueue* queue = nullptr;  // outlives the receiver
    {
        const auto inbox = weakInbox.lock();
        if (!inbox) return;
        queue = &inbox->mainQueue;
        const std::int64_t now = queue->clock().nowNanoseconds();
        if (now < inbox->nextRunAllowedAt) {
            inbox->nextRun = queue->scheduleOneShot(inbox->nextRunAllowedAt - now, [weakInbox] { drain(weakInbox); });
            return;
        }
    }  // not held while handing on: a handler may end the receiver
    const RunOutcome outcome = handOnWhatWaits(weakInbox, queue->clock());
    const auto inbox = weakInbox.lock();
    if (!inbox) return;
    inbox->nextRunAllowedAt = queue->clock().nowNanoseconds() + kRunSpacingNanoseconds;
    // More than a run takes: the next comes a poll later, as the plug-in's does, so that the input
    // and the window drawing what it changed leave the main thread room for a click.
    if (outcome.more) {
        inbox->nextRun = queue->scheduleOneShot(StoreLink::kPlayheadPollIntervalNanoseconds, [weakInbox] { drain(weakInbox); });
    }
    if (outcome.notesHandedOn && inbox->notesTaken) inbox->notesTaken();  // last: it may end the receiver
}

StandaloneMIDIReceiver::RunOutcome StandaloneMIDIReceiver::handOnWhatWaits(const std::weak_ptr<Inbox>& weakInbox,
                                                                           const foundation::Clock& clock) {
    RunOutcome outcome;
    const std::int64_t deadline = clock.nowNanoseconds() + StoreLink::kIncomingMIDIRunTimeLimitNanoseconds;
    for (int taken = 0; taken < StoreLink::kIncomingMIDIRunMessageLimit && clock.nowNanoseconds() <= deadline; ++taken) {
        // Held for one message only: a handler may end the receiver.
        const auto inbox = weakInbox.lock();
        if (!inbox) return outcome;
        const auto item = inbox->backlog.take();
        if (!item) return outcome;  // idle: the next message posts a drain again
        if (inbox->handOn(*item)) outcome.notesHandedOn = true;
    }
    outcome.more = true;
    return outcome;
}

bool StandaloneMIDIReceiver::Inbox::handOn(const IncomingMIDIBacklog::Item& item) const {
    if (const auto* held = std::get_if<IncomingMIDIBacklog::HeldKeys>(&item)) {
        if (heldNotes) heldNotes(*held);
        return false;
    }
    const auto& message = std::get<IncomingMIDIBacklog::Message>(item);
    if (message.kind == IncomingMIDIBacklog::Message::Kind::note) {
        if (note) note(message.number, message.value != 0);
        return true;
    }
    if (controlChange) controlChange(message.number, message.value);
    return false;
}

void StandaloneMIDIReceiver::setInPluginHost(bool inPluginHost) {
    if (inPluginHost_.exchange(inPluginHost) != inPluginHost) connectSources();
}

void StandaloneMIDIReceiver::connectSources() {
    std::lock_guard lock(connectionMutex_);
    if (!inputPort_) return;  // a setup change reported while the port is still being made
    disconnectAllLocked();
    for (const midi::Endpoint& source : midi::sources()) {
        if (source.address.empty() || isPulvanSource(source)) continue;
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
