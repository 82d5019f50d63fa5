#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

// A JSON text read once into a flat list of its values in document order, each container
// knowing where it ends: readers look values up and skip them without a tree of allocated
// nodes being built and freed. rapidjson reads it; whatever rapidjson refuses (nesting deeper
// than its recursion may go, or text it is stricter about) is read again by nlohmann-json,
// whose reading is the reference the stored documents were made with: its faults, its
// numbers, the last of repeated keys winning, a zero byte ending the text.
namespace pulvan::model {

// Containers last: a token of kind array or above spans the values inside it.
enum class JsonKind : std::uint8_t { null, boolean, integer, bigUnsigned, fraction, string, key, array, object };

class JsonValue;

class JsonTape {
public:
    // Throws DecodingError "not valid JSON: ..." with nlohmann-json's own wording.
    explicit JsonTape(std::string_view text);
    JsonTape(const JsonTape&) = delete;
    JsonTape& operator=(const JsonTape&) = delete;

    JsonValue root() const;

private:
    std::uint32_t after(std::uint32_t index) const {
        return tokens_[index].kind >= JsonKind::array ? static_cast<std::uint32_t>(tokens_[index].end) : index + 1;
    }

    friend class JsonValue;
    friend class TapeWriter;
    struct Token {
        union {
            bool boolean;
            std::int64_t integer;
            std::uint64_t bigUnsigned;
            double fraction;
            std::uint64_t offset;  // strings and keys: where their bytes start in text_
            std::uint64_t end;     // containers: the index just past their last value
        };
        std::uint32_t size;  // bytes of a string, values of an array, members of an object
        JsonKind kind;
    };
    std::string text_;  // the strings' bytes: the text itself, unescaped in place by rapidjson
    // Filled by TapeWriter, which grows it; plain storage, so that a token costs no more than
    // its own writing.
    std::unique_ptr<Token[]> tokens_;
    std::uint32_t count_ = 0;
    std::uint32_t capacity_ = 0;
};

class JsonValue {
public:
    JsonKind kind() const { return token().kind; }
    bool boolean() const { return token().boolean; }
    std::int64_t integer() const { return token().integer; }
    std::uint64_t bigUnsigned() const { return token().bigUnsigned; }
    double fraction() const { return token().fraction; }
    std::string_view text() const { return {tape_->text_.data() + token().offset, token().size}; }
    std::size_t size() const { return token().size; }

    class Iterator {
    public:
        JsonValue operator*() const { return {tape_, index_}; }
        Iterator& operator++() {
            index_ = tape_->after(index_);
            return *this;
        }
        bool operator!=(const Iterator& other) const { return index_ != other.index_; }

    private:
        friend class JsonValue;
        Iterator(const JsonTape* tape, std::uint32_t index) : tape_(tape), index_(index) {}
        const JsonTape* tape_;
        std::uint32_t index_;
    };
    struct Elements {
        Iterator first, last;
        Iterator begin() const { return first; }
        Iterator end() const { return last; }
    };
    // The values of an array.
    Elements elements() const { return {{tape_, index_ + 1}, {tape_, static_cast<std::uint32_t>(token().end)}}; }
    // The member of an object under key (the last one when the key repeats), or nothing.
    std::optional<JsonValue> member(std::string_view key) const;

private:
    friend class JsonTape;
    JsonValue(const JsonTape* tape, std::uint32_t index) : tape_(tape), index_(index) {}
    const JsonTape::Token& token() const { return tape_->tokens_[index_]; }
    const JsonTape* tape_;
    std::uint32_t index_;
};

}  // namespace pulvan::model
