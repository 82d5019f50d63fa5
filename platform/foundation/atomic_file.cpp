#include "platform/foundation/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace pulvan::foundation {
namespace {

std::error_code lastError() { return {errno, std::generic_category()}; }

std::error_code writeAll(int fd, std::string_view data) {
    std::size_t written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return lastError();
        }
        written += static_cast<std::size_t>(n);
    }
    return {};
}

// Makes a finished rename survive a crash of the machine.
void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

int renameReplacing(const char* from, const char* to) { return ::rename(from, to) == 0 ? 0 : errno; }

// Writes the bytes to a file just created, makes it readable to all, flushes it to disk
// and closes it.
std::error_code fillAndClose(int fd, std::string_view data) {
    std::error_code error = writeAll(fd, data);
    if (!error && ::fchmod(fd, 0644) != 0) error = lastError();
    if (!error && ::fsync(fd) != 0) error = lastError();
    if (::close(fd) != 0 && !error) error = lastError();
    return error;
}

// Writes a hidden temporary file beside the target and moves it into place. The temporary
// name is short whatever the target's, so every name the folder can hold can be written.
std::error_code writeThenMove(const std::filesystem::path& target, std::string_view data, MoveToFreeName move) {
    std::string temporary = (target.parent_path() / ".pulvan-XXXXXX").string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return lastError();
    std::error_code error = fillAndClose(fd, data);
    if (!error) {
        if (const int failure = move(temporary.c_str(), target.c_str())) error = {failure, std::generic_category()};
    }
    if (error) {
        ::unlink(temporary.c_str());
        return error;
    }
    syncFolder(target.parent_path());
    return {};
}

// NFS and FUSE mounts answer a move that must not replace with one of these.
bool cannotMoveWithoutReplacing(std::error_code error) {
    return error == std::errc::invalid_argument || error == std::errc::function_not_supported ||
           error == std::errc::operation_not_supported;
}

// Claims the name exclusively and writes in place; a reader may see the file while it
// grows, and a failed write removes it, since nobody else can have made it.
std::error_code writeExclusively(const std::filesystem::path& target, std::string_view data) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return lastError();
    if (const std::error_code error = fillAndClose(fd, data)) {
        ::unlink(target.c_str());
        return error;
    }
    syncFolder(target.parent_path());
    return {};
}

}  // namespace

int renameWithoutReplacing(const char* from, const char* to) {
    return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0 ? 0 : errno;
}

std::error_code writeFileAtomically(const std::filesystem::path& target, std::string_view data) {
    return writeThenMove(target, data, renameReplacing);
}

std::error_code writeNewFileAtomically(const std::filesystem::path& target, std::string_view data, MoveToFreeName move) {
    const std::error_code error = writeThenMove(target, data, move);
    return cannotMoveWithoutReplacing(error) ? writeExclusively(target, data) : error;
}

ReadResult readWholeFile(const std::filesystem::path& file) {
    // Never waits on a pipe or reads a device: only regular files are read.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {std::nullopt, lastError()};
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return {std::nullopt, std::make_error_code(std::errc::invalid_argument)};
    }
    std::string bytes;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            const std::error_code error = lastError();
            ::close(fd);
            return {std::nullopt, error};
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return {std::move(bytes), {}};
}

}  // namespace pulvan::foundation
