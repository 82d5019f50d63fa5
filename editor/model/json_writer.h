#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pulvan::model {

// Writes compact JSON text straight into a string, keys in the order they are written. The
// documents of the model are large arrays of small numbers, which a DOM would build and walk
// only to print them.
class JsonWriter {
public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();

    // A key of the document's own (plain ASCII, nothing to escape).
    void key(std::string_view name);
    void number(std::int64_t value);
    void boolean(bool value);
    // Escaped as JSON requires; bytes that are not valid UTF-8 become U+FFFD.
    void string(std::string_view text);
    void null();
    void numbers(const std::vector<int>& values);
    // A value encoded earlier, spliced in as it is.
    void raw(std::string_view json);

    void reserve(std::size_t bytes) { out_.reserve(bytes); }
    const std::string& text() const { return out_; }
    std::string take() { return std::move(out_); }

private:
    void beginValue();
    void open(char bracket);
    void close(char bracket);

    std::string out_;
    std::vector<bool> firstInContainer_;
    bool afterKey_ = false;
};

}  // namespace pulvan::model
