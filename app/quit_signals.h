#pragma once
// Ctrl+C in the terminal, or a request to end from the session, quits the application as closing its
// window does, so that play stops first and no note is left sounding.
#include "platform/x11/event_loop.h"

#include <functional>

namespace pulvan::app {

class QuitSignals final : public x11::EventSource {
public:
    // SIGINT, SIGTERM and SIGHUP are taken from the whole process and read in the loop; onQuit runs there.
    QuitSignals(x11::EventLoop& loop, std::function<void()> onQuit);
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    int fileDescriptor() const override { return fd_; }
    void dispatch() override;
    void prepareToWait() override {}
    std::optional<std::int64_t> nextDeadline() const override { return std::nullopt; }

private:
    x11::EventLoop& loop_;
    std::function<void()> onQuit_;
    int fd_ = -1;
};

}  // namespace pulvan::app
