#include "editor/model/json_writer.h"

#include <charconv>
#include <nlohmann/json.hpp>

namespace pulvan::model {

void JsonWriter::beginValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (firstInContainer_.empty()) return;
    if (!firstInContainer_.back()) out_ += ',';
    firstInContainer_.back() = false;
}

void JsonWriter::open(char bracket) {
    beginValue();
    out_ += bracket;
    firstInContainer_.push_back(true);
}

void JsonWriter::close(char bracket) {
    firstInContainer_.pop_back();
    out_ += bracket;
}

void JsonWriter::beginObject() { open('{'); }
void JsonWriter::endObject() { close('}'); }
void JsonWriter::beginArray() { open('['); }
void JsonWriter::endArray() { close(']'); }

void JsonWriter::key(std::string_view name) {
    beginValue();
    out_ += '"';
    out_ += name;
    out_ += "\":";
    afterKey_ = true;
}

void JsonWriter::number(std::int64_t value) {
    beginValue();
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out_.append(digits, end);
}

void JsonWriter::boolean(bool value) {
    beginValue();
    out_ += value ? "true" : "false";
}

void JsonWriter::string(std::string_view text) {
    beginValue();
    out_ += nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void JsonWriter::null() {
    beginValue();
    out_ += "null";
}

void JsonWriter::raw(std::string_view json) {
    beginValue();
    out_ += json;
}

void JsonWriter::numbers(const std::vector<int>& values) {
    beginArray();
    for (const int value : values) number(value);
    endArray();
}

}  // namespace pulvan::model
