#include "tests/platform/midi/peer_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

extern char** environ;

namespace pulvan::midi::test {

PeerProcess::PeerProcess(const std::vector<std::string>& arguments) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<char*> argv;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const int failed = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    output_ = pipeEnds[0];
    if (failed != 0) {
        ::close(output_);
        throw std::runtime_error("could not start " + arguments[0]);
    }
    reader_ = std::thread([this] {
        std::string pending;
        char buffer[256];
        ssize_t n;
        while ((n = ::read(output_, buffer, sizeof buffer)) > 0) {
            pending.append(buffer, static_cast<std::size_t>(n));
            for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
                std::lock_guard lock(mutex_);
                lines_.push_back(pending.substr(0, end));
                pending.erase(0, end + 1);
                changed_.notify_all();
            }
        }
    });
}

PeerProcess::~PeerProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        wait();
    }
    if (reader_.joinable()) reader_.join();
    ::close(output_);
}

void PeerProcess::wait() {
    if (pid_ <= 0) return;
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::vector<std::string> PeerProcess::matching(const std::string& prefix) {
    std::vector<std::string> found;
    for (const auto& line : lines_) {
        if (line.starts_with(prefix)) found.push_back(line);
    }
    return found;
}

std::optional<std::string> PeerProcess::waitForLine(const std::string& prefix, std::chrono::milliseconds timeout) {
    auto lines = waitForLines(prefix, 1, timeout);
    if (lines.empty()) return std::nullopt;
    return lines.front();
}

std::vector<std::string> PeerProcess::waitForLines(const std::string& prefix, std::size_t count,
                                                   std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [&] { return matching(prefix).size() >= count; });
    return matching(prefix);
}

}  // namespace pulvan::midi::test
