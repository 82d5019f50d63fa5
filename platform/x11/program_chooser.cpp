// zenity or kdialog, whichever is installed, as a child process whose standard output is the choice.
#include "platform/x11/file_choosers.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <sstream>

extern char** environ;

namespace pulvan::x11 {
namespace {

std::optional<std::string> onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return std::nullopt;
}

std::vector<std::string> zenityArguments(const std::string& program, const ChooserOptions& o) {
    std::vector<std::string> args{program, "--file-selection", "--title=" + o.title};
    if (o.folders) args.push_back("--directory");
    if (o.parentWindow) args.push_back("--attach=" + std::to_string(*o.parentWindow));
    if (!o.folders && !o.extensions.empty()) {
        std::string filter = "--file-filter=";
        for (const auto& e : o.extensions) filter += "*." + e + " ";
        args.push_back(filter);
    }
    return args;
}

std::vector<std::string> kdialogArguments(const std::string& program, const ChooserOptions& o) {
    const char* home = std::getenv("HOME");
    std::vector<std::string> args{program, o.folders ? "--getexistingdirectory" : "--getopenfilename", home ? home : "/"};
    if (!o.folders && !o.extensions.empty()) {
        std::string filter;
        for (const auto& e : o.extensions) filter += "*." + e + " ";
        args.push_back(filter);
    }
    args.insert(args.end(), {"--title", o.title});
    if (o.parentWindow) args.insert(args.end(), {"--attach", std::to_string(*o.parentWindow)});
    return args;
}

// Runs the program; its first line of output on success. Ends it when the choosers end.
ChooserResult run(const std::vector<std::string>& args, const std::atomic<bool>& cancelled) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return {ChooserResult::Status::failed, {}, "No pipe to the chooser."};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (spawned != 0) {
        close(out[0]);
        return {ChooserResult::Status::failed, {}, "The chooser could not be started."};
    }
    std::string output;
    for (;;) {
        if (cancelled) kill(pid, SIGTERM);
        pollfd fd{out[0], POLLIN, 0};
        if (poll(&fd, 1, 100) <= 0) continue;
        char buffer[4096];
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;
        output.append(buffer, static_cast<std::size_t>(n));
    }
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (cancelled || (WIFEXITED(status) && WEXITSTATUS(status) == 1)) return {ChooserResult::Status::cancelled, {}, {}};
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {ChooserResult::Status::failed, {}, "The chooser failed."};
    const std::string line = output.substr(0, output.find('\n'));
    if (line.empty()) return {ChooserResult::Status::cancelled, {}, {}};
    return {ChooserResult::Status::chosen, line, {}};
}

}  // namespace

std::optional<ChooserResult> chooseThroughProgram(const ChooserOptions& options, const std::atomic<bool>& cancelled) {
    if (const auto zenity = onPath("zenity")) return run(zenityArguments(*zenity, options), cancelled);
    if (const auto kdialog = onPath("kdialog")) return run(kdialogArguments(*kdialog, options), cancelled);
    return std::nullopt;
}

}  // namespace pulvan::x11
