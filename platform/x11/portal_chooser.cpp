// The XDG desktop portal's FileChooser over the session bus (libdbus, a private connection per chooser).
#include "platform/x11/file_choosers.h"

#include <dbus/dbus.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>

namespace pulvan::x11 {
namespace {

constexpr const char* kPortalService = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kFileChooser = "org.freedesktop.portal.FileChooser";
constexpr int kCallTimeoutMilliseconds = 5000;

struct ConnectionCloser {
    void operator()(DBusConnection* c) const {
        dbus_connection_close(c);
        dbus_connection_unref(c);
    }
};
struct MessageUnref {
    void operator()(DBusMessage* m) const { dbus_message_unref(m); }
};
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

void appendString(DBusMessageIter* iter, const std::string& value) {
    const char* text = value.c_str();
    dbus_message_iter_append_basic(iter, DBUS_TYPE_STRING, &text);
}

// One a{sv} entry whose value is a boolean or a string.
template <int Type, typename T>
void appendOption(DBusMessageIter* dict, const char* key, T value, const char* signature) {
    DBusMessageIter entry, variant;
    dbus_message_iter_open_container(dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
    dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key);
    dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, signature, &variant);
    dbus_message_iter_append_basic(&variant, Type, &value);
    dbus_message_iter_close_container(&entry, &variant);
    dbus_message_iter_close_container(dict, &entry);
}

// filters: a(sa(us)), one filter of glob patterns.
void appendFilter(DBusMessageIter* dict, const std::vector<std::string>& extensions) {
    const char* key = "filters";
    DBusMessageIter entry, variant, filters, filter, patterns, pattern;
    dbus_message_iter_open_container(dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
    dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key);
    dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "a(sa(us))", &variant);
    dbus_message_iter_open_container(&variant, DBUS_TYPE_ARRAY, "(sa(us))", &filters);
    dbus_message_iter_open_container(&filters, DBUS_TYPE_STRUCT, nullptr, &filter);
    std::string name;
    for (const auto& e : extensions) name += (name.empty() ? "" : ", ") + e;
    appendString(&filter, name);
    dbus_message_iter_open_container(&filter, DBUS_TYPE_ARRAY, "(us)", &patterns);
    for (const auto& e : extensions) {
        dbus_message_iter_open_container(&patterns, DBUS_TYPE_STRUCT, nullptr, &pattern);
        const dbus_uint32_t glob = 0;
        dbus_message_iter_append_basic(&pattern, DBUS_TYPE_UINT32, &glob);
        appendString(&pattern, "*." + e);
        dbus_message_iter_close_container(&patterns, &pattern);
    }
    dbus_message_iter_close_container(&filter, &patterns);
    dbus_message_iter_close_container(&filters, &filter);
    dbus_message_iter_close_container(&variant, &filters);
    dbus_message_iter_close_container(&entry, &variant);
    dbus_message_iter_close_container(dict, &entry);
}

std::string percentDecoded(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned value = 0;
        if (text[i] == '%' && i + 2 < text.size() && std::sscanf(text.c_str() + i + 1, "%2x", &value) == 1) {
            out += static_cast<char>(value);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The first file:// URI of the response's "uris", none when there is no such entry.
std::optional<std::string> firstUri(DBusMessageIter* results) {
    for (; dbus_message_iter_get_arg_type(results) == DBUS_TYPE_DICT_ENTRY; dbus_message_iter_next(results)) {
        DBusMessageIter entry, variant, uris;
        dbus_message_iter_recurse(results, &entry);
        const char* key = nullptr;
        dbus_message_iter_get_basic(&entry, &key);
        if (std::string(key) != "uris") continue;
        dbus_message_iter_next(&entry);
        dbus_message_iter_recurse(&entry, &variant);
        if (dbus_message_iter_get_arg_type(&variant) != DBUS_TYPE_ARRAY) return std::nullopt;
        dbus_message_iter_recurse(&variant, &uris);
        if (dbus_message_iter_get_arg_type(&uris) != DBUS_TYPE_STRING) return std::nullopt;
        const char* uri = nullptr;
        dbus_message_iter_get_basic(&uris, &uri);
        return std::string(uri);
    }
    return std::nullopt;
}

ChooserResult resultOf(DBusMessage* response) {
    DBusMessageIter args, results;
    dbus_uint32_t code = 2;
    if (!dbus_message_iter_init(response, &args) || dbus_message_iter_get_arg_type(&args) != DBUS_TYPE_UINT32)
        return {ChooserResult::Status::failed, {}, "The chooser answered nothing."};
    dbus_message_iter_get_basic(&args, &code);
    if (code == 1) return {ChooserResult::Status::cancelled, {}, {}};
    if (code != 0) return {ChooserResult::Status::failed, {}, "The chooser ended without a choice."};
    dbus_message_iter_next(&args);
    if (dbus_message_iter_get_arg_type(&args) != DBUS_TYPE_ARRAY)
        return {ChooserResult::Status::failed, {}, "The chooser answered nothing."};
    dbus_message_iter_recurse(&args, &results);
    const auto uri = firstUri(&results);
    if (!uri) return {ChooserResult::Status::cancelled, {}, {}};
    if (!uri->starts_with("file://")) return {ChooserResult::Status::failed, {}, "The chosen location is not a local file."};
    // file://host/path: the path starts at the first slash after the host.
    const std::string rest = uri->substr(7);
    const auto slash = rest.find('/');
    return {ChooserResult::Status::chosen, percentDecoded(slash == std::string::npos ? rest : rest.substr(slash)), {}};
}

// A portal answers only on the running session bus: its address, or the per-user socket where one
// is expected. Without either libdbus would autolaunch a new bus (on which no portal could answer), and
// a failed autolaunch leaks inside libdbus each time.
std::optional<std::string> sessionBusAddress() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) return address;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
        const std::filesystem::path socket = std::filesystem::path(runtime) / "bus";
        std::error_code ignored;
        if (std::filesystem::is_socket(socket, ignored)) return "unix:path=" + socket.string();
    }
    return std::nullopt;
}

std::string randomToken() {
    std::random_device device;
    return "pulvan" + std::to_string(device());
}

}  // namespace

std::optional<ChooserResult> chooseThroughPortal(const ChooserOptions& options, const std::atomic<bool>& cancelled) {
    const auto address = sessionBusAddress();
    if (!address) return std::nullopt;
    DBusError error;
    dbus_error_init(&error);
    std::unique_ptr<DBusConnection, ConnectionCloser> bus(dbus_connection_open_private(address->c_str(), &error));
    const bool registered = bus && dbus_bus_register(bus.get(), &error);
    dbus_error_free(&error);
    if (!registered) return std::nullopt;
    dbus_connection_set_exit_on_disconnect(bus.get(), false);
    dbus_bus_add_match(bus.get(), "type='signal',interface='org.freedesktop.portal.Request',member='Response'", nullptr);

    Message call(dbus_message_new_method_call(kPortalService, kPortalPath, kFileChooser, "OpenFile"));
    DBusMessageIter args, dict;
    dbus_message_iter_init_append(call.get(), &args);
    char parent[32] = "";
    if (options.parentWindow) std::snprintf(parent, sizeof parent, "x11:%x", *options.parentWindow);
    appendString(&args, parent);
    appendString(&args, options.title);
    dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "{sv}", &dict);
    const std::string token = randomToken();
    appendOption<DBUS_TYPE_STRING>(&dict, "handle_token", token.c_str(), "s");
    appendOption<DBUS_TYPE_BOOLEAN>(&dict, "modal", dbus_bool_t{true}, "b");
    appendOption<DBUS_TYPE_BOOLEAN>(&dict, "directory", dbus_bool_t{options.folders}, "b");
    if (!options.folders && !options.extensions.empty()) appendFilter(&dict, options.extensions);
    dbus_message_iter_close_container(&args, &dict);

    Message reply(dbus_connection_send_with_reply_and_block(bus.get(), call.get(), kCallTimeoutMilliseconds, &error));
    const bool answered = reply && !dbus_error_is_set(&error);
    dbus_error_free(&error);
    if (!answered) return std::nullopt;  // no portal, or none with a file chooser
    const char* handle = nullptr;
    if (!dbus_message_get_args(reply.get(), nullptr, DBUS_TYPE_OBJECT_PATH, &handle, DBUS_TYPE_INVALID)) return std::nullopt;
    const std::string request = handle;

    while (!cancelled) {
        if (!dbus_connection_read_write(bus.get(), 100))
            return ChooserResult{ChooserResult::Status::failed, {}, "The session bus went away."};
        while (Message message{dbus_connection_pop_message(bus.get())}) {
            if (dbus_message_is_signal(message.get(), "org.freedesktop.portal.Request", "Response") &&
                request == dbus_message_get_path(message.get()))
                return resultOf(message.get());
        }
    }
    // The editor is closing: the dialog goes with it.
    Message close(dbus_message_new_method_call(kPortalService, request.c_str(), "org.freedesktop.portal.Request", "Close"));
    dbus_connection_send(bus.get(), close.get(), nullptr);
    dbus_connection_flush(bus.get());
    return ChooserResult{ChooserResult::Status::cancelled, {}, {}};
}

}  // namespace pulvan::x11
