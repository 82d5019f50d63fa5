#pragma once
// The desktop's file and folder choosers: the XDG desktop portal's FileChooser over the session bus when a
// portal answers, else zenity or kdialog. Each runs on a thread of its own; its answer comes back on the
// main queue. Ending the choosers closes the dialogs still open and drops their answers.
#include "platform/foundation/main_queue.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pulvan::x11 {

struct ChooserOptions {
    bool folders = true;
    std::vector<std::string> extensions;  // of the files that can be chosen, without the dot; none: any
    std::string title;
    std::optional<std::uint32_t> parentWindow;  // the X11 window the dialog belongs to
};

struct ChooserResult {
    enum class Status { chosen, cancelled, failed, unavailable };
    Status status = Status::unavailable;
    std::filesystem::path path;  // when chosen
    std::string error;           // when failed
};

class FileChoosers {
public:
    explicit FileChoosers(foundation::MainQueue& queue);
    ~FileChoosers();
    FileChoosers(const FileChoosers&) = delete;
    FileChoosers& operator=(const FileChoosers&) = delete;

    // unavailable: neither a portal nor a chooser program is there.
    void choose(ChooserOptions options, std::function<void(const ChooserResult&)> completion);

    struct Running;

private:
    foundation::MainQueue& queue_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
    std::vector<std::unique_ptr<Running>> running_;
};

// Each way of asking, on the chooser's thread; `cancelled` turns true when the choosers end.
// none: the portal did not answer (the next way is tried).
std::optional<ChooserResult> chooseThroughPortal(const ChooserOptions& options, const std::atomic<bool>& cancelled);
// none: neither program is installed.
std::optional<ChooserResult> chooseThroughProgram(const ChooserOptions& options, const std::atomic<bool>& cancelled);

}  // namespace pulvan::x11
