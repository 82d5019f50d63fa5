#pragma once
#include "platform/foundation/pasteboard.h"

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

struct xcb_selection_request_event_t;

namespace pulvan::foundation {

// The X11 CLIPBOARD selection. A small thread with its own XCB connection
// owns the selection and answers other programs' requests; reading from another
// owner uses a short-lived connection of the caller's own. The same thread watches
// the selection's owner and asks each new owner for the types it offers, so
// offers() answers without a round trip.
class X11Pasteboard final : public Pasteboard {
public:
    // None when the display cannot be opened (null name: $DISPLAY).
    static std::unique_ptr<X11Pasteboard> open(const char* displayName = nullptr);
    ~X11Pasteboard() override;

    void clearContents() override;
    bool setData(const std::string& type, std::vector<std::uint8_t> bytes) override;
    std::optional<std::vector<std::uint8_t>> data(const std::string& type) override;
    bool offers(const std::string& type) override;

    // How long a read waits for the owning program, and a claim for the server.
    static constexpr int replyTimeoutMilliseconds = 1000;

private:
    struct Connection;
    // Ends the thread; the board answers nothing more from other programs.
    void stop() override;
    explicit X11Pasteboard(std::unique_ptr<Connection> connection, std::string displayName);
    bool claimOwnership();
    void serve();
    // Forgets the last owner's types and, for a foreign owner, asks for its new ones.
    void watchOwner(unsigned long owner, unsigned long timestamp);
    void takeOfferedTypes(unsigned long property, unsigned long timestamp);
    // Gives another program what it asked for, or tells it there is none.
    void answer(const xcb_selection_request_event_t& request);

    std::unique_ptr<Connection> connection_;
    std::string displayName_;
    std::mutex mutex_;
    std::condition_variable claimed_;
    std::map<std::string, std::vector<std::uint8_t>> items_;
    std::set<std::string> foreignTypes_;  // offered by the current foreign owner
    unsigned long typesAskedAt_ = 0;      // server time of the latest request for them
    bool owner_ = false;
    std::uint64_t claimsRequested_ = 0;
    std::uint64_t claimsAnswered_ = 0;
    bool lastClaimSucceeded_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace pulvan::foundation
