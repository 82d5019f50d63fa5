#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace pulvan::foundation {

// The general pasteboard: typed byte values shared between editors, and with
// other programs where the desktop has a clipboard. Main thread.
class Pasteboard {
public:
    virtual ~Pasteboard() = default;
    // Empties the board and makes this process its writer.
    virtual void clearContents() = 0;
    // Adds a value under a type (replacing one of the same type). False when the
    // board could not take it.
    virtual bool setData(const std::string& type, std::vector<std::uint8_t> bytes) = 0;
    // The value under a type, none when the board holds nothing of that type.
    virtual std::optional<std::vector<std::uint8_t>> data(const std::string& type) = 0;
    // Whether the board offers a type, from what this process already knows: it never
    // waits for another program, so a menu built on a tap can ask. An offer made
    // elsewhere may show a moment after that program took the board.
    virtual bool offers(const std::string& type) = 0;

    // Plain UTF-8 text, the type other programs read and write.
    static constexpr const char* textType = "UTF8_STRING";

    // The X11 CLIPBOARD when a display can be opened, otherwise the one
    // process-wide in-memory board. Chosen once, and again after retireGeneral.
    static Pasteboard& general();
    // Ends what the general board runs for itself (its thread), as the module that uses it is left.
    // The board stays, inert, for whoever still holds it; the next general() makes a new one.
    static void retireGeneral();

protected:
    virtual void stop() {}
};

// A board that lives in this process only; editors on several threads share it.
class MemoryPasteboard final : public Pasteboard {
public:
    void clearContents() override;
    bool setData(const std::string& type, std::vector<std::uint8_t> bytes) override;
    std::optional<std::vector<std::uint8_t>> data(const std::string& type) override;
    bool offers(const std::string& type) override;

private:
    std::mutex mutex_;
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> items_;
};

}  // namespace pulvan::foundation
