#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace pulvan::midi::test {

// Runs the test peer program and collects the lines it prints.
class PeerProcess {
public:
    explicit PeerProcess(const std::vector<std::string>& arguments);
    // Stops the peer if it still runs.
    ~PeerProcess();
    PeerProcess(const PeerProcess&) = delete;
    PeerProcess& operator=(const PeerProcess&) = delete;

    // The first line starting with `prefix`, waiting up to `timeout` for it.
    std::optional<std::string> waitForLine(const std::string& prefix, std::chrono::milliseconds timeout);
    // All lines starting with `prefix` once `count` of them are in or the timeout passes.
    std::vector<std::string> waitForLines(const std::string& prefix, std::size_t count, std::chrono::milliseconds timeout);
    // Waits for the peer to end by itself.
    void wait();

private:
    std::vector<std::string> matching(const std::string& prefix);

    int pid_ = -1;
    int output_ = -1;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
    std::thread reader_;
};

}  // namespace pulvan::midi::test
