#include "editor/model/json_tape.h"

#include "editor/model/decoding_error.h"

#include <rapidjson/reader.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <limits>
#include <nlohmann/json.hpp>
#include <vector>

namespace pulvan::model {

// Appends values to a tape as a reader reports them.
class TapeWriter {
public:
    explicit TapeWriter(JsonTape& tape) : tape_(tape) {}

    void null() { push(JsonKind::null); }
    void boolean(bool value) { push(JsonKind::boolean).boolean = value; }
    void integer(std::int64_t value) { push(JsonKind::integer).integer = value; }
    void unsignedInteger(std::uint64_t value) {
        if (value <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            integer(static_cast<std::int64_t>(value));
        } else {
            push(JsonKind::bigUnsigned).bigUnsigned = value;
        }
    }
    void fraction(double value) { push(JsonKind::fraction).fraction = value; }
    // A string whose bytes stand in the tape's text at offset.
    void text(JsonKind kind, std::size_t offset, std::size_t size) {
        JsonTape::Token& token = push(kind);
        token.offset = offset;
        token.size = static_cast<std::uint32_t>(size);
    }
    std::string& bytes() { return tape_.text_; }
    std::size_t depth() const { return open_.size(); }
    void start(JsonKind kind) {
        open_.push_back(tape_.count_);
        push(kind);
    }
    // Closes the innermost container, which holds `values` values (members of an object).
    void close(std::size_t values) {
        JsonTape::Token& token = tape_.tokens_[open_.back()];
        token.size = static_cast<std::uint32_t>(values);
        token.end = tape_.count_;
        open_.pop_back();
    }

private:
    JsonTape::Token& push(JsonKind kind) {
        if (tape_.count_ == tape_.capacity_) [[unlikely]]
            grow();
        JsonTape::Token& token = tape_.tokens_[tape_.count_++];
        token.kind = kind;
        return token;
    }
    void grow() {
        // A text below 4 GB holds fewer values than that.
        const auto capacity = static_cast<std::uint32_t>(
            std::min<std::uint64_t>(std::uint64_t{tape_.capacity_} * 3 / 2 + 16, std::numeric_limits<std::uint32_t>::max()));
        auto tokens = std::make_unique_for_overwrite<JsonTape::Token[]>(capacity);
        std::copy_n(tape_.tokens_.get(), tape_.count_, tokens.get());
        tape_.tokens_ = std::move(tokens);
        tape_.capacity_ = capacity;
    }
    JsonTape& tape_;
    std::vector<std::uint32_t> open_;  // containers not closed yet, innermost last
};

namespace {

// Nesting that rapidjson's recursive reader may enter: presets go nine deep, and 64 levels of
// its recursion take a few kilobytes of the caller's stack (a host's thread, say).
constexpr std::size_t kRecursionLimit = 64;

// rapidjson's reading, in place. It refuses (and nlohmann-json reads again) what nests too deep
// and a \u escape of a lone low surrogate, which it passes and nlohmann-json rejects.
class FastReader : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, FastReader> {
public:
    FastReader(TapeWriter& writer, const rapidjson::InsituStringStream& stream) : writer_(writer), stream_(stream) {}

    bool Null() { return writer_.null(), true; }
    bool Bool(bool value) { return writer_.boolean(value), true; }
    bool Int(int value) { return writer_.integer(value), true; }
    bool Uint(unsigned value) { return writer_.integer(value), true; }
    bool Int64(std::int64_t value) { return writer_.integer(value), true; }
    bool Uint64(std::uint64_t value) { return writer_.unsignedInteger(value), true; }
    // rapidjson's fractions may be a unit in the last place off; this one is read again from
    // its text, correctly rounded. While rapidjson reports a number, its stream still stands
    // at the number's first character (it reads numbers through a copy of the stream).
    bool Double(double) {
        double value = 0;
        const auto [end, fault] = std::from_chars(stream_.src_, stream_.head_ + writer_.bytes().size(), value);
        if (fault != std::errc{} || end == stream_.src_) return false;
        return writer_.fraction(value), true;
    }
    bool String(const char* text, rapidjson::SizeType size, bool) { return textValue(JsonKind::string, text, size); }
    bool Key(const char* text, rapidjson::SizeType size, bool) { return textValue(JsonKind::key, text, size); }
    bool StartObject() { return start(JsonKind::object); }
    bool EndObject(rapidjson::SizeType members) { return writer_.close(members), true; }
    bool StartArray() { return start(JsonKind::array); }
    bool EndArray(rapidjson::SizeType values) { return writer_.close(values), true; }

private:
    bool textValue(JsonKind kind, const char* text, rapidjson::SizeType size) {
        // The input's bytes are checked as UTF-8, so these bytes can only come from a \u escape.
        const char* const last = text + size;
        for (const char* at = text; (at = static_cast<const char*>(std::memchr(at, 0xED, static_cast<std::size_t>(last - at))));) {
            if (++at < last && static_cast<unsigned char>(*at) >= 0xA0) return false;
        }
        writer_.text(kind, static_cast<std::size_t>(text - writer_.bytes().data()), size);
        return true;
    }
    bool start(JsonKind kind) {
        if (writer_.depth() >= kRecursionLimit) return false;
        writer_.start(kind);
        return true;
    }
    TapeWriter& writer_;
    const rapidjson::InsituStringStream& stream_;
};

// nlohmann-json's reading: iterative, so at any depth; a fault throws with its own wording.
class ReferenceReader : public nlohmann::json_sax<nlohmann::json> {
public:
    explicit ReferenceReader(TapeWriter& writer) : writer_(writer) {}

    bool null() override { return value(), writer_.null(), true; }
    bool boolean(bool v) override { return value(), writer_.boolean(v), true; }
    bool number_integer(number_integer_t v) override { return value(), writer_.integer(v), true; }
    bool number_unsigned(number_unsigned_t v) override { return value(), writer_.unsignedInteger(v), true; }
    bool number_float(number_float_t v, const string_t&) override { return value(), writer_.fraction(v), true; }
    bool string(string_t& v) override { return value(), text(JsonKind::string, v); }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return start(JsonKind::object); }
    bool key(string_t& v) override { return text(JsonKind::key, v); }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return start(JsonKind::array); }
    bool end_array() override { return close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override {
        throw DecodingError(std::string("not valid JSON: ") + error.what());
    }

private:
    void value() {
        if (!values_.empty()) ++values_.back();
    }
    bool text(JsonKind kind, const std::string& v) {
        writer_.text(kind, writer_.bytes().size(), v.size());
        writer_.bytes() += v;
        return true;
    }
    bool start(JsonKind kind) {
        value();
        values_.push_back(0);
        writer_.start(kind);
        return true;
    }
    bool close() {
        writer_.close(values_.back());
        values_.pop_back();
        return true;
    }
    std::vector<std::size_t> values_;  // of each open container, innermost last
    TapeWriter& writer_;
};

}  // namespace

JsonTape::JsonTape(std::string_view text) {
    if (text.size() >= std::numeric_limits<std::uint32_t>::max()) throw DecodingError("not valid JSON: larger than 4 GB");
    // nlohmann-json skips a leading byte order mark; rapidjson does not. A zero byte ends the
    // text for both.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    text_.assign(text.substr(text.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0));
    // rapidjson's check of a multi-byte character cut off by the end reads up to three bytes
    // on, past the terminating zero.
    text_.append(3, '\0');
    // Presets hold a value in about three bytes.
    capacity_ = static_cast<std::uint32_t>(text_.size() / 3 + 16);
    tokens_ = std::make_unique_for_overwrite<Token[]>(capacity_);
    TapeWriter writer(*this);
    rapidjson::InsituStringStream stream(text_.data());
    FastReader fast(writer, stream);
    rapidjson::Reader reader;
    constexpr unsigned kFlags = rapidjson::kParseInsituFlag | rapidjson::kParseValidateEncodingFlag;
    if (!reader.Parse<kFlags>(stream, fast).IsError()) return;

    count_ = 0;
    text_.clear();
    TapeWriter again(*this);
    ReferenceReader reference(again);
    nlohmann::json::sax_parse(text.begin(), text.end(), &reference);
}

JsonValue JsonTape::root() const { return {this, 0}; }

std::optional<JsonValue> JsonValue::member(std::string_view key) const {
    std::optional<JsonValue> found;
    for (std::uint32_t at = index_ + 1; at < token().end; at = tape_->after(at + 1)) {
        if (JsonValue(tape_, at).text() == key) found = JsonValue(tape_, at + 1);
    }
    return found;
}

}  // namespace pulvan::model
