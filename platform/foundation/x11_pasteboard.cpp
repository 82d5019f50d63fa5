#include "platform/foundation/x11_pasteboard.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <set>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

namespace pulvan::foundation {

namespace {

// Errors on our own connections (a requestor that vanished while we answered it)
// must not end the process; errors on anyone else's go to the handler set before us.
struct ErrorRouting {
    std::mutex mutex;
    std::set<Display*> ours;
    XErrorHandler previous = nullptr;
};

ErrorRouting& errorRouting() {
    static ErrorRouting routing;
    return routing;
}

int routeXError(Display* display, XErrorEvent* error) {
    XErrorHandler previous;
    {
        auto& routing = errorRouting();
        std::lock_guard lock(routing.mutex);
        if (routing.ours.contains(display)) return 0;
        previous = routing.previous;
    }
    return previous ? previous(display, error) : 0;
}

void initialiseXlibOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        XInitThreads();
        errorRouting().previous = XSetErrorHandler(routeXError);
    });
}

// A display connection whose errors are ours to ignore.
Display* openOwnDisplay(const char* name) {
    initialiseXlibOnce();
    Display* display = XOpenDisplay(name);
    if (display) {
        std::lock_guard lock(errorRouting().mutex);
        errorRouting().ours.insert(display);
    }
    return display;
}

void closeOwnDisplay(Display* display) {
    XCloseDisplay(display);
    std::lock_guard lock(errorRouting().mutex);
    errorRouting().ours.erase(display);
}

// Waits until the connection has an event or the deadline passes.
bool waitForEvent(Display* display, std::chrono::steady_clock::time_point deadline) {
    while (XPending(display) == 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) return false;
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(left));
    }
    return true;
}

// The largest value one property change can carry; larger ones would need incremental transfer.
std::size_t maximumPropertyBytes(Display* display) {
    long words = XExtendedMaxRequestSize(display);
    if (words == 0) words = XMaxRequestSize(display);
    return static_cast<std::size_t>(words) * 4 - 1024;
}

Window makeWindow(Display* display) {
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(display, window, PropertyChangeMask);
    return window;
}

}  // namespace

struct X11Pasteboard::Connection {
    Display* display = nullptr;
    Window window = 0;
    Atom clipboard = 0;
    Atom targets = 0;
    Atom offeredTypes = 0;      // the property the owner's list of types arrives in
    int ownerChangeEvent = -1;  // the XFixes event for a new owner; -1 without the extension
    int wakePipe[2] = {-1, -1};
    std::map<std::string, Atom> atoms;

    Atom atom(const std::string& name) {
        auto it = atoms.find(name);
        if (it != atoms.end()) return it->second;
        return atoms[name] = XInternAtom(display, name.c_str(), False);
    }
    ~Connection() {
        if (display) closeOwnDisplay(display);
        for (int fd : wakePipe) {
            if (fd >= 0) close(fd);
        }
    }
};

std::unique_ptr<X11Pasteboard> X11Pasteboard::open(const char* displayName) {
    auto connection = std::make_unique<Connection>();
    connection->display = openOwnDisplay(displayName);
    if (!connection->display || pipe2(connection->wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return nullptr;
    connection->window = makeWindow(connection->display);
    connection->clipboard = connection->atom("CLIPBOARD");
    connection->targets = connection->atom("TARGETS");
    connection->offeredTypes = connection->atom("PULVAN_TARGETS");
    int fixesEvent = 0, fixesError = 0;
    if (XFixesQueryExtension(connection->display, &fixesEvent, &fixesError)) {
        connection->ownerChangeEvent = fixesEvent + XFixesSelectionNotify;
        XFixesSelectSelectionInput(
            connection->display, connection->window, connection->clipboard,
            XFixesSetSelectionOwnerNotifyMask | XFixesSelectionWindowDestroyNotifyMask | XFixesSelectionClientCloseNotifyMask);
    }
    XFlush(connection->display);
    std::string name = DisplayString(connection->display);
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
    [[maybe_unused]] auto written = write(connection_->wakePipe[1], "x", 1);
    thread_.join();
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
        items_[type] = std::move(bytes);
    }
    // Claimed again each time: a copy elsewhere may have taken the clipboard since.
    return claimOwnership();
}

bool X11Pasteboard::claimOwnership() {
    std::unique_lock lock(mutex_);
    const std::uint64_t ticket = ++claimsRequested_;
    [[maybe_unused]] auto written = write(connection_->wakePipe[1], "c", 1);
    const bool answered =
        claimed_.wait_for(lock, std::chrono::milliseconds(replyTimeoutMilliseconds), [&] { return claimsAnswered_ >= ticket; });
    return answered && lastClaimSucceeded_;
}

std::optional<std::vector<std::uint8_t>> X11Pasteboard::data(const std::string& type) {
    Display* display = openOwnDisplay(displayName_.c_str());
    if (!display) return std::nullopt;
    const Atom clipboard = XInternAtom(display, "CLIPBOARD", False);
    // Ask the server, not our own flag: news of a copy elsewhere may still be on its way.
    if (XGetSelectionOwner(display, clipboard) == connection_->window) {
        closeOwnDisplay(display);
        std::lock_guard lock(mutex_);
        auto it = items_.find(type);
        if (it == items_.end()) return std::nullopt;
        return it->second;
    }
    const Window window = makeWindow(display);
    const Atom target = XInternAtom(display, type.c_str(), False);
    const Atom property = XInternAtom(display, "PULVAN_PASTE", False);
    XConvertSelection(display, clipboard, target, property, window, CurrentTime);
    XFlush(display);

    std::optional<std::vector<std::uint8_t>> result;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(replyTimeoutMilliseconds);
    while (waitForEvent(display, deadline)) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != SelectionNotify || event.xselection.requestor != window) continue;
        if (event.xselection.property == None) break;
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* bytes = nullptr;
        const int status = XGetWindowProperty(display, window, property, 0, 0x7fffffff / 4, True, AnyPropertyType, &actualType, &format,
                                              &count, &remaining, &bytes);
        // Only whole 8-bit values of the asked type; incremental transfers are not taken.
        if (status == Success && actualType == target && format == 8 && remaining == 0) result.emplace(bytes, bytes + count);
        if (bytes) XFree(bytes);
        break;
    }
    closeOwnDisplay(display);
    return result;
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
    if (owner == None || owner == x.window) return;
    XConvertSelection(x.display, x.clipboard, x.targets, x.offeredTypes, x.window, timestamp);
}

void X11Pasteboard::takeOfferedTypes(unsigned long property, unsigned long timestamp) {
    Connection& x = *connection_;
    std::set<std::string> types;
    if (property != None) {
        // Claims within one millisecond share a time, so several answers may read one property:
        // it is left in place, and an answer that finds it gone changes nothing.
        Atom actualType = None;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* bytes = nullptr;
        const int status =
            XGetWindowProperty(x.display, x.window, property, 0, 4096, False, XA_ATOM, &actualType, &format, &count, &remaining, &bytes);
        const bool read = status == Success && actualType == XA_ATOM && format == 32;
        if (read && count > 0) {
            std::vector<char*> names(count);
            if (XGetAtomNames(x.display, reinterpret_cast<Atom*>(bytes), static_cast<int>(count), names.data())) {
                for (char* name : names) {
                    types.insert(name);
                    XFree(name);
                }
            }
        }
        if (bytes) XFree(bytes);
        if (!read) return;
    }
    std::lock_guard lock(mutex_);
    // An answer from an owner that has been replaced since is dropped.
    if (timestamp == typesAskedAt_) foreignTypes_ = std::move(types);
}

void X11Pasteboard::serve() {
    Connection& x = *connection_;
    std::uint64_t claimsDone = 0;
    // The owner at start-up: its notification came before we listened.
    if (x.ownerChangeEvent >= 0) watchOwner(XGetSelectionOwner(x.display, x.clipboard), CurrentTime);
    for (;;) {
        std::uint64_t claimsWanted;
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
            claimsWanted = claimsRequested_;
        }
        if (claimsWanted > claimsDone) {
            XSetSelectionOwner(x.display, x.clipboard, x.window, CurrentTime);
            const bool succeeded = XGetSelectionOwner(x.display, x.clipboard) == x.window;
            {
                std::lock_guard lock(mutex_);
                owner_ = succeeded;
                lastClaimSucceeded_ = succeeded;
                claimsAnswered_ = claimsDone = claimsWanted;
            }
            claimed_.notify_all();
        }
        while (XPending(x.display) > 0) {
            XEvent event;
            XNextEvent(x.display, &event);
            if (event.type == x.ownerChangeEvent) {
                const auto& change = reinterpret_cast<const XFixesSelectionNotifyEvent&>(event);
                watchOwner(change.owner, change.selection_timestamp);
            } else if (event.type == SelectionNotify && event.xselection.requestor == x.window && event.xselection.target == x.targets) {
                takeOfferedTypes(event.xselection.property, event.xselection.time);
            } else if (event.type == SelectionClear && event.xselectionclear.selection == x.clipboard &&
                       XGetSelectionOwner(x.display, x.clipboard) != x.window) {
                // Another program copied something: our contents are no longer the clipboard.
                // (A clear that predates our latest claim is stale and ignored.)
                std::lock_guard lock(mutex_);
                owner_ = false;
                items_.clear();
            } else if (event.type == SelectionRequest) {
                const XSelectionRequestEvent& request = event.xselectionrequest;
                XSelectionEvent reply{};
                reply.type = SelectionNotify;
                reply.display = x.display;
                reply.requestor = request.requestor;
                reply.selection = request.selection;
                reply.target = request.target;
                reply.time = request.time;
                reply.property = None;
                const Atom property = request.property == None ? request.target : request.property;
                std::lock_guard lock(mutex_);
                if (owner_ && request.selection == x.clipboard) {
                    if (request.target == x.targets) {
                        std::vector<Atom> offered{x.targets};
                        for (const auto& [type, bytes] : items_) offered.push_back(x.atom(type));
                        XChangeProperty(x.display, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                                        reinterpret_cast<const unsigned char*>(offered.data()), static_cast<int>(offered.size()));
                        reply.property = property;
                    } else {
                        for (const auto& [type, bytes] : items_) {
                            if (x.atom(type) != request.target || bytes.size() > maximumPropertyBytes(x.display)) continue;
                            XChangeProperty(x.display, request.requestor, property, request.target, 8, PropModeReplace, bytes.data(),
                                            static_cast<int>(bytes.size()));
                            reply.property = property;
                            break;
                        }
                    }
                }
                XSendEvent(x.display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
            }
        }
        XFlush(x.display);
        pollfd fds[2] = {{ConnectionNumber(x.display), POLLIN, 0}, {x.wakePipe[0], POLLIN, 0}};
        poll(fds, 2, -1);
        if (fds[1].revents & POLLIN) {
            char drain[64];
            while (read(x.wakePipe[0], drain, sizeof drain) > 0) {
            }
        }
    }
}

}  // namespace pulvan::foundation
