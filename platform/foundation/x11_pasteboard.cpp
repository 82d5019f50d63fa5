#include "platform/foundation/x11_pasteboard.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

// XCB, not Xlib: an error comes back with the request that caused it (a requestor that vanished while
// we answered it) instead of going through a process-wide handler, which a host owns and which must
// not point into a module that may be unloaded.
namespace pulvan::foundation {

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

xcb_connection_t* connect(const std::string& displayName) {
    xcb_connection_t* connection = xcb_connect(displayName.empty() ? nullptr : displayName.c_str(), nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    return connection;
}

xcb_atom_t internAtom(xcb_connection_t* connection, const std::string& name) {
    const Reply<xcb_intern_atom_reply_t> reply{
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.c_str()), nullptr)};
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

xcb_window_t ownerOf(xcb_connection_t* connection, xcb_atom_t selection) {
    const Reply<xcb_get_selection_owner_reply_t> reply{
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr)};
    return reply ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
}

xcb_window_t makeWindow(xcb_connection_t* connection) {
    const xcb_window_t window = xcb_generate_id(connection);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
    return window;
}

using Event = Reply<xcb_generic_event_t>;

int eventType(const Event& event) { return event->response_type & 0x7f; }

// The connection's next event, none once the deadline passed or the connection broke.
Event nextEvent(xcb_connection_t* connection, std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        if (Event event{xcb_poll_for_event(connection)}) return event;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0 || xcb_connection_has_error(connection)) return nullptr;
        pollfd fd{xcb_get_file_descriptor(connection), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left));
    }
}

// The largest value one property change can carry; larger ones would need incremental transfer.
std::size_t maximumPropertyBytes(xcb_connection_t* connection) {
    return static_cast<std::size_t>(xcb_get_maximum_request_length(connection)) * 4 - 1024;
}

}  // namespace

struct X11Pasteboard::Connection {
    xcb_connection_t* xcb = nullptr;
    xcb_window_t window = 0;
    xcb_atom_t clipboard = 0;
    xcb_atom_t targets = 0;
    xcb_atom_t offeredTypes = 0;  // the property the owner's list of types arrives in
    int ownerChangeEvent = -1;    // the XFixes event for a new owner; -1 without the extension
    int wakePipe[2] = {-1, -1};
    std::map<std::string, xcb_atom_t> atoms;

    xcb_atom_t atom(const std::string& name) {
        auto it = atoms.find(name);
        if (it != atoms.end()) return it->second;
        return atoms[name] = internAtom(xcb, name);
    }
    ~Connection() {
        if (xcb) xcb_disconnect(xcb);
        for (int fd : wakePipe) {
            if (fd >= 0) close(fd);
        }
    }
};

std::unique_ptr<X11Pasteboard> X11Pasteboard::open(const char* displayName) {
    const char* chosen = displayName ? displayName : std::getenv("DISPLAY");
    std::string name = chosen ? chosen : "";
    auto connection = std::make_unique<Connection>();
    connection->xcb = connect(name);
    if (!connection->xcb || pipe2(connection->wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return nullptr;
    xcb_connection_t* xcb = connection->xcb;
    connection->window = makeWindow(xcb);
    connection->clipboard = connection->atom("CLIPBOARD");
    connection->targets = connection->atom("TARGETS");
    connection->offeredTypes = connection->atom("PULVAN_TARGETS");
    const xcb_query_extension_reply_t* fixes = xcb_get_extension_data(xcb, &xcb_xfixes_id);
    const Reply<xcb_xfixes_query_version_reply_t> version{
        fixes && fixes->present ? xcb_xfixes_query_version_reply(xcb, xcb_xfixes_query_version(xcb, 1, 0), nullptr) : nullptr};
    if (version) {
        connection->ownerChangeEvent = fixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
        xcb_xfixes_select_selection_input(xcb, connection->window, connection->clipboard,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    }
    xcb_flush(xcb);
    if (xcb_connection_has_error(xcb)) return nullptr;
    return std::unique_ptr<X11Pasteboard>(new X11Pasteboard(std::move(connection), std::move(name)));
}

X11Pasteboard::X11Pasteboard(std::unique_ptr<Connection> connection, std::string displayName)
    : connection_(std::move(connection)),
      displayName_(std::move(displayName)) {
    thread_ = std::thread([this] { serve(); });
}

X11Pasteboard::~X11Pasteboard() { stop(); }

void X11Pasteboard::stop() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    claimed_.notify_all();
    [[maybe_unused]] auto written = write(connection_->wakePipe[1], "x", 1);
    thread_.join();
    // A retired board keeps nothing open: no X client of ours stays with the server.
    std::lock_guard lock(mutex_);
    connection_.reset();
    owner_ = false;
    items_.clear();
    foreignTypes_.clear();
}

void X11Pasteboard::clearContents() {
    {
        std::lock_guard lock(mutex_);
        items_.clear();
    }
    claimOwnership();
}

bool X11Pasteboard::setData(const std::string& type, std::vector<std::uint8_t> bytes) {
    {
        std::lock_guard lock(mutex_);
        if (!connection_) return false;
        items_[type] = std::move(bytes);
    }
    // Claimed again each time: a copy elsewhere may have taken the clipboard since.
    return claimOwnership();
}

bool X11Pasteboard::claimOwnership() {
    std::unique_lock lock(mutex_);
    if (stopping_) return false;
    const std::uint64_t ticket = ++claimsRequested_;
    [[maybe_unused]] auto written = write(connection_->wakePipe[1], "c", 1);
    const bool answered = claimed_.wait_for(lock, std::chrono::milliseconds(replyTimeoutMilliseconds),
                                            [&] { return claimsAnswered_ >= ticket || stopping_; });
    return answered && claimsAnswered_ >= ticket && lastClaimSucceeded_;
}

std::optional<std::vector<std::uint8_t>> X11Pasteboard::data(const std::string& type) {
    xcb_window_t ownWindow;
    {
        std::lock_guard lock(mutex_);
        if (!connection_) return std::nullopt;
        ownWindow = connection_->window;
    }
    xcb_connection_t* xcb = connect(displayName_);
    if (!xcb) return std::nullopt;
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> closing(xcb, xcb_disconnect);
    const xcb_atom_t clipboard = internAtom(xcb, "CLIPBOARD");
    // Ask the server, not our own flag: news of a copy elsewhere may still be on its way.
    if (ownerOf(xcb, clipboard) == ownWindow) {
        std::lock_guard lock(mutex_);
        auto it = items_.find(type);
        if (it == items_.end()) return std::nullopt;
        return it->second;
    }
    const xcb_window_t window = makeWindow(xcb);
    const xcb_atom_t target = internAtom(xcb, type);
    const xcb_atom_t property = internAtom(xcb, "PULVAN_PASTE");
    xcb_convert_selection(xcb, window, clipboard, target, property, XCB_CURRENT_TIME);
    xcb_flush(xcb);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(replyTimeoutMilliseconds);
    while (Event event = nextEvent(xcb, deadline)) {
        if (eventType(event) != XCB_SELECTION_NOTIFY) continue;
        const auto& notify = reinterpret_cast<const xcb_selection_notify_event_t&>(*event);
        if (notify.requestor != window) continue;
        if (notify.property == XCB_ATOM_NONE) break;
        const Reply<xcb_get_property_reply_t> value{
            xcb_get_property_reply(xcb, xcb_get_property(xcb, 1, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0x7fffffff / 4), nullptr)};
        // Only whole 8-bit values of the asked type; incremental transfers are not taken.
        if (!value || value->type != target || value->format != 8 || value->bytes_after != 0) break;
        const auto* bytes = static_cast<const std::uint8_t*>(xcb_get_property_value(value.get()));
        return std::vector<std::uint8_t>(bytes, bytes + xcb_get_property_value_length(value.get()));
    }
    return std::nullopt;
}

bool X11Pasteboard::offers(const std::string& type) {
    std::lock_guard lock(mutex_);
    return owner_ ? items_.contains(type) : foreignTypes_.contains(type);
}

void X11Pasteboard::watchOwner(unsigned long owner, unsigned long timestamp) {
    Connection& x = *connection_;
    {
        std::lock_guard lock(mutex_);
        foreignTypes_.clear();
        typesAskedAt_ = timestamp;
    }
    if (owner == XCB_WINDOW_NONE || owner == x.window) return;
    xcb_convert_selection(x.xcb, x.window, x.clipboard, x.targets, x.offeredTypes, static_cast<xcb_timestamp_t>(timestamp));
}

void X11Pasteboard::takeOfferedTypes(unsigned long property, unsigned long timestamp) {
    Connection& x = *connection_;
    std::set<std::string> types;
    if (property != XCB_ATOM_NONE) {
        // Claims within one millisecond share a time, so several answers may read one property:
        // it is left in place, and an answer that finds it gone changes nothing.
        const Reply<xcb_get_property_reply_t> list{xcb_get_property_reply(
            x.xcb, xcb_get_property(x.xcb, 0, x.window, static_cast<xcb_atom_t>(property), XCB_ATOM_ATOM, 0, 4096), nullptr)};
        if (!list || list->type != XCB_ATOM_ATOM || list->format != 32) return;
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(list.get()));
        std::vector<xcb_get_atom_name_cookie_t> asked;
        for (int i = 0; i < xcb_get_property_value_length(list.get()) / 4; ++i) asked.push_back(xcb_get_atom_name(x.xcb, atoms[i]));
        for (const auto cookie : asked) {
            // An atom the server does not know (an owner's mistake) is skipped.
            const Reply<xcb_get_atom_name_reply_t> name{xcb_get_atom_name_reply(x.xcb, cookie, nullptr)};
            if (name) types.emplace(xcb_get_atom_name_name(name.get()), xcb_get_atom_name_name_length(name.get()));
        }
    }
    std::lock_guard lock(mutex_);
    // An answer from an owner that has been replaced since is dropped.
    if (timestamp == typesAskedAt_) foreignTypes_ = std::move(types);
}

void X11Pasteboard::answer(const xcb_selection_request_event_t& request) {
    Connection& x = *connection_;
    xcb_selection_notify_event_t reply{};
    reply.response_type = XCB_SELECTION_NOTIFY;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = XCB_ATOM_NONE;
    const xcb_atom_t property = request.property == XCB_ATOM_NONE ? request.target : request.property;
    std::lock_guard lock(mutex_);
    if (owner_ && request.selection == x.clipboard) {
        if (request.target == x.targets) {
            std::vector<xcb_atom_t> offered{x.targets};
            for (const auto& [type, bytes] : items_) offered.push_back(x.atom(type));
            xcb_change_property(x.xcb, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32,
                                static_cast<std::uint32_t>(offered.size()), offered.data());
            reply.property = property;
        } else {
            for (const auto& [type, bytes] : items_) {
                if (x.atom(type) != request.target || bytes.size() > maximumPropertyBytes(x.xcb)) continue;
                xcb_change_property(x.xcb, XCB_PROP_MODE_REPLACE, request.requestor, property, request.target, 8,
                                    static_cast<std::uint32_t>(bytes.size()), bytes.data());
                reply.property = property;
                break;
            }
        }
    }
    // Should the requestor be gone by now, the errors come back as events of ours and are dropped.
    xcb_send_event(x.xcb, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&reply));
}

void X11Pasteboard::serve() {
    Connection& x = *connection_;
    std::uint64_t claimsDone = 0;
    // The owner at start-up: its notification came before we listened.
    if (x.ownerChangeEvent >= 0) watchOwner(ownerOf(x.xcb, x.clipboard), XCB_CURRENT_TIME);
    for (;;) {
        std::uint64_t claimsWanted;
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
            claimsWanted = claimsRequested_;
        }
        if (claimsWanted > claimsDone) {
            xcb_set_selection_owner(x.xcb, x.window, x.clipboard, XCB_CURRENT_TIME);
            const bool succeeded = ownerOf(x.xcb, x.clipboard) == x.window;
            {
                std::lock_guard lock(mutex_);
                owner_ = succeeded;
                lastClaimSucceeded_ = succeeded;
                claimsAnswered_ = claimsDone = claimsWanted;
            }
            claimed_.notify_all();
        }
        while (Event event{xcb_poll_for_event(x.xcb)}) {
            const int type = eventType(event);
            if (type == x.ownerChangeEvent) {
                const auto& change = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(*event);
                watchOwner(change.owner, change.selection_timestamp);
            } else if (type == XCB_SELECTION_NOTIFY) {
                const auto& notify = reinterpret_cast<const xcb_selection_notify_event_t&>(*event);
                if (notify.requestor == x.window && notify.target == x.targets) takeOfferedTypes(notify.property, notify.time);
            } else if (type == XCB_SELECTION_CLEAR) {
                const auto& clear = reinterpret_cast<const xcb_selection_clear_event_t&>(*event);
                // Another program copied something: our contents are no longer the clipboard.
                // (A clear that predates our latest claim is stale and ignored.)
                if (clear.selection == x.clipboard && ownerOf(x.xcb, x.clipboard) != x.window) {
                    std::lock_guard lock(mutex_);
                    owner_ = false;
                    items_.clear();
                }
            } else if (type == XCB_SELECTION_REQUEST) {
                answer(reinterpret_cast<const xcb_selection_request_event_t&>(*event));
            }
        }
        xcb_flush(x.xcb);
        // Once the server has gone, only our own callers are waited for (their claims then fail).
        const int server = xcb_connection_has_error(x.xcb) ? -1 : xcb_get_file_descriptor(x.xcb);
        pollfd fds[2] = {{server, POLLIN, 0}, {x.wakePipe[0], POLLIN, 0}};
        poll(fds, 2, -1);
        if (fds[1].revents & POLLIN) {
            char drain[64];
            while (read(x.wakePipe[0], drain, sizeof drain) > 0) {
            }
        }
    }
}

}  // namespace pulvan::foundation
