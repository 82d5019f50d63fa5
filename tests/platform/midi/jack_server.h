#pragma once
// A JACK server of the test's own, beside the fixture's: another period size,
// one to stop and start again, one to pause, or one that runs its clients in real
// time as a desktop's does. The process talks to it while it exists.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

extern char** environ;

namespace pulvan::midi::test {

class OwnJackServer {
public:
    enum class Scheduling { plain, realtime };

    OwnJackServer(std::string suffix, int period, Scheduling scheduling = Scheduling::plain)
        : name_(std::string(std::getenv("JACK_DEFAULT_SERVER") ? std::getenv("JACK_DEFAULT_SERVER") : "pulvan") + "-" + suffix),
          period_(period),
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

    bool started() const { return started_; }
    bool start() {
        return run("start " + name_ + " " + std::to_string(period_) + (scheduling_ == Scheduling::realtime ? " realtime" : ""));
    }
    bool stop() { return run("stop " + name_); }
    // The server stops answering, as one that the machine stalls, until resumed.
    bool pause() { return run("pause " + name_); }
    bool resume() { return run("resume " + name_); }

    // Whether another program (jack_lsp) joins the server and leaves again within `limit`.
    bool admitsANewProgramWithin(std::chrono::milliseconds limit) const {
        posix_spawn_file_actions_t quiet;
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
        char* argv[] = {const_cast<char*>("jack_lsp"), nullptr};
        pid_t pid = 0;
        const bool spawned = posix_spawnp(&pid, "jack_lsp", &quiet, nullptr, argv, environ) == 0;
        posix_spawn_file_actions_destroy(&quiet);
        if (!spawned) return false;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    static bool run(const std::string& arguments) {
        return std::system((std::string(PULVAN_JACK_SCRIPT) + " " + arguments + " >/dev/null").c_str()) == 0;
    }

    std::string name_;
    int period_;
    Scheduling scheduling_;
    std::string previous_;
    bool started_ = false;
};

}  // namespace pulvan::midi::test
