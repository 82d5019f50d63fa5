// A desktop portal that answers FileChooser.OpenFile at once, for tests: with the URI in
// FAKE_PORTAL_URI, or as cancelled when it is "cancel". It records the request's options it was
// asked (directory, the first filter pattern) in FAKE_PORTAL_LOG.
#include <dbus/dbus.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void logLine(const std::string& line) {
    if (const char* path = std::getenv("FAKE_PORTAL_LOG")) {
        if (FILE* f = std::fopen(path, "a")) {
            std::fprintf(f, "%s\n", line.c_str());
            std::fclose(f);
        }
    }
}

// Reads directory (b) and the first filter pattern from the options a{sv}.
void logOptions(DBusMessageIter* dict) {
    for (; dbus_message_iter_get_arg_type(dict) == DBUS_TYPE_DICT_ENTRY; dbus_message_iter_next(dict)) {
        DBusMessageIter entry, variant;
        dbus_message_iter_recurse(dict, &entry);
        const char* key = nullptr;
        dbus_message_iter_get_basic(&entry, &key);
        dbus_message_iter_next(&entry);
        dbus_message_iter_recurse(&entry, &variant);
        if (std::strcmp(key, "directory") == 0) {
            dbus_bool_t value = false;
            dbus_message_iter_get_basic(&variant, &value);
            logLine(std::string("directory ") + (value ? "true" : "false"));
        } else if (std::strcmp(key, "filters") == 0) {
            DBusMessageIter filters, filter, patterns, pattern;
            dbus_message_iter_recurse(&variant, &filters);
            dbus_message_iter_recurse(&filters, &filter);
            dbus_message_iter_next(&filter);
            dbus_message_iter_recurse(&filter, &patterns);
            dbus_message_iter_recurse(&patterns, &pattern);
            dbus_message_iter_next(&pattern);
            const char* glob = nullptr;
            dbus_message_iter_get_basic(&pattern, &glob);
            logLine(std::string("filter ") + glob);
        }
    }
}

}  // namespace

int main() {
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* bus = dbus_bus_get(DBUS_BUS_SESSION, &error);
    if (!bus) return 1;
    if (dbus_bus_request_name(bus, "org.freedesktop.portal.Desktop", DBUS_NAME_FLAG_DO_NOT_QUEUE, &error) !=
        DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER)
        return 1;
    const char* answer = std::getenv("FAKE_PORTAL_URI");
    int served = 0;
    while (dbus_connection_read_write(bus, -1)) {
        while (DBusMessage* call = dbus_connection_pop_message(bus)) {
            if (dbus_message_is_method_call(call, "org.freedesktop.portal.FileChooser", "OpenFile")) {
                DBusMessageIter args, dict;
                dbus_message_iter_init(call, &args);
                const char* parent = nullptr;
                dbus_message_iter_get_basic(&args, &parent);
                logLine(std::string("parent ") + parent);
                dbus_message_iter_next(&args);
                dbus_message_iter_next(&args);
                dbus_message_iter_recurse(&args, &dict);
                logOptions(&dict);

                const std::string path = "/org/freedesktop/portal/desktop/request/fake/" + std::to_string(++served);
                DBusMessage* reply = dbus_message_new_method_return(call);
                const char* handle = path.c_str();
                dbus_message_append_args(reply, DBUS_TYPE_OBJECT_PATH, &handle, DBUS_TYPE_INVALID);
                dbus_connection_send(bus, reply, nullptr);
                dbus_message_unref(reply);

                DBusMessage* response = dbus_message_new_signal(path.c_str(), "org.freedesktop.portal.Request", "Response");
                dbus_message_set_destination(response, dbus_message_get_sender(call));
                const bool cancel = !answer || std::strcmp(answer, "cancel") == 0;
                const dbus_uint32_t code = cancel ? 1 : 0;
                DBusMessageIter out, results, entry, variant, uris;
                dbus_message_iter_init_append(response, &out);
                dbus_message_iter_append_basic(&out, DBUS_TYPE_UINT32, &code);
                dbus_message_iter_open_container(&out, DBUS_TYPE_ARRAY, "{sv}", &results);
                if (!cancel) {
                    const char* key = "uris";
                    dbus_message_iter_open_container(&results, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
                    dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key);
                    dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "as", &variant);
                    dbus_message_iter_open_container(&variant, DBUS_TYPE_ARRAY, "s", &uris);
                    dbus_message_iter_append_basic(&uris, DBUS_TYPE_STRING, &answer);
                    dbus_message_iter_close_container(&variant, &uris);
                    dbus_message_iter_close_container(&entry, &variant);
                    dbus_message_iter_close_container(&results, &entry);
                }
                dbus_message_iter_close_container(&out, &results);
                dbus_connection_send(bus, response, nullptr);
                dbus_message_unref(response);
                dbus_connection_flush(bus);
            }
            dbus_message_unref(call);
        }
    }
    return 0;
}
