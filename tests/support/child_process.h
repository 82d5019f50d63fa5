#pragma once
// A program the test starts, found on PATH unless named by its path, and killed at the end if it
// still runs; its exit is waited for with a deadline.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace pulvan::test {

class ChildProcess {
public:
    enum class Output { shown, discarded };

    explicit ChildProcess(std::vector<std::string> arguments, Output output = Output::shown) {
        // A program started with SIGCHLD ignored (some launchers leave it so) has its children reaped unseen,
        // and their exit could not be told.
        struct sigaction children {};
        if (::sigaction(SIGCHLD, nullptr, &children) == 0 && children.sa_handler == SIG_IGN) ::signal(SIGCHLD, SIG_DFL);
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (output == Output::discarded) {
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        }
        if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~ChildProcess() {
        if (pid_ == 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ != 0; }
    void signal(int number) const { ::kill(pid_, number); }

    // Its exit status once it ended by itself within `limit`; -1 while it still runs, when a signal ended it, or
    // when its end cannot be told.
    int exitStatusWithin(std::chrono::milliseconds limit) {
        if (pid_ == 0) return -1;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        int status = 0;
        pid_t ended = 0;
        while ((ended = ::waitpid(pid_, &status, WNOHANG)) == 0) {
            if (std::chrono::steady_clock::now() > deadline) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        pid_ = 0;
        return ended > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = 0;
};

}  // namespace pulvan::test
