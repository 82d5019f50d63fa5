#pragma once
// A JACK server of the test's own, beside the fixture's: another period size,
// one to stop and start again, one to pause, one that runs its clients in real
// time as a desktop's does, or one that waits for every client each cycle, so that
// nothing written is lost to a client late on a busy machine. The process talks to
// it while it exists.
#include "tests/support/child_process.h"

#include <chrono>
#include <cstdlib>
#include <string>

namespace pulvan::midi::test {

class OwnJackServer {
public:
    enum class Scheduling { plain, realtime, waitingForEveryClient };

    OwnJackServer(const std::string& suffix, int period, Scheduling scheduling = Scheduling::plain, int rate = 44'100)
        : name_(nameFor(suffix)),
          period_(period),
          rate_(rate),
          scheduling_(scheduling),
          previous_(std::getenv("JACK_DEFAULT_SERVER") ? std::getenv("JACK_DEFAULT_SERVER") : "") {
        started_ = start();
        ::setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    }
    ~OwnJackServer() {
        stop();
        ::setenv("JACK_DEFAULT_SERVER", previous_.c_str(), 1);
    }
    OwnJackServer(const OwnJackServer&) = delete;
    OwnJackServer& operator=(const OwnJackServer&) = delete;

    // The name of the server made with `suffix`, for a program to be told before it starts.
    static std::string nameFor(const std::string& suffix) {
        return std::string(std::getenv("JACK_DEFAULT_SERVER") ? std::getenv("JACK_DEFAULT_SERVER") : PULVAN_TEST_JACK_SERVER) + "-" +
               suffix;
    }

    bool started() const { return started_; }
    bool start() { return run("start " + name_ + " " + std::to_string(period_) + " " + std::to_string(rate_) + schedulingWord()); }
    bool stop() { return run("stop " + name_); }
    // The server stops answering, as one that the machine stalls, until resumed.
    bool pause() { return run("pause " + name_); }
    bool resume() { return run("resume " + name_); }

    // Whether another program (jack_lsp) joins the server and leaves again within `limit`.
    bool admitsANewProgramWithin(std::chrono::milliseconds limit) const {
        using pulvan::test::ChildProcess;
        ChildProcess lsp({"jack_lsp"}, ChildProcess::Output::discarded);
        return lsp.exitStatusWithin(limit) == 0;
    }

private:
    const char* schedulingWord() const {
        switch (scheduling_) {
            case Scheduling::realtime: return " realtime";
            case Scheduling::waitingForEveryClient: return " sync";
            default: return "";
        }
    }
    static bool run(const std::string& arguments) {
        return std::system((std::string(PULVAN_JACK_SCRIPT) + " " + arguments + " >/dev/null").c_str()) == 0;
    }

    std::string name_;
    int period_;
    int rate_;
    Scheduling scheduling_;
    std::string previous_;
    bool started_ = false;
};

}  // namespace pulvan::midi::test
