#pragma once
#include <array>
#include <atomic>
#include <bit>
#include <cstdint>
#include <optional>
#include <span>

namespace pulvan::midi {

// Notes by channel in plain bits and no allocation, so that a real-time thread may keep them.
class NoteSet {
public:
    void add(int channel, int note) noexcept { word(channel, note) |= bit(note); }
    void remove(int channel, int note) noexcept { word(channel, note) &= ~bit(note); }
    bool contains(int channel, int note) const noexcept { return (words_[index(channel, note)] & bit(note)) != 0; }
    friend bool operator==(const NoteSet&, const NoteSet&) = default;

    // The notes of this set that `other` does not hold.
    NoteSet without(const NoteSet& other) const noexcept {
        NoteSet rest;
        for (std::size_t i = 0; i < words_.size(); ++i) rest.words_[i] = words_[i] & ~other.words_[i];
        return rest;
    }

    // Calls `write` with a note-off (velocity 0) for every note in the set.
    template <typename Write>
    void writeNoteOffs(Write&& write) const noexcept {
        // Set bits only: an empty set, as it is in most cycles, costs a pass over 32 words.
        for (int index = 0; index < static_cast<int>(words_.size()); ++index) {
            for (std::uint64_t rest = words_[static_cast<std::size_t>(index)]; rest != 0; rest &= rest - 1) {
                const int bit = std::countr_zero(rest);
                const std::uint8_t off[3] = {static_cast<std::uint8_t>(0x80 | index / 2), static_cast<std::uint8_t>(index % 2 * 64 + bit),
                                             0};
                write(std::span<const std::uint8_t>(off, 3));
            }
        }
    }

private:
    friend class HeldNotesAtPort;
    static std::size_t index(int channel, int note) noexcept { return static_cast<std::size_t>((channel & 0x0F) * 2 + (note & 0x7F) / 64); }
    std::uint64_t& word(int channel, int note) noexcept { return words_[index(channel, note)]; }
    static std::uint64_t bit(int note) noexcept { return std::uint64_t{1} << (note & 63); }

    std::array<std::uint64_t, 32> words_{};
};

// What one message does to a note; a note-on of velocity 0 ends it.
struct NoteChange {
    enum class Kind { none, on, off };
    Kind kind = Kind::none;
    int channel = 0;
    int note = 0;

    static NoteChange of(std::span<const std::uint8_t> bytes) noexcept {
        if (bytes.size() < 3) return {};
        const int status = bytes[0] & 0xF0;
        const Kind kind = status == 0x90 && bytes[2] != 0 ? Kind::on : status == 0x80 || status == 0x90 ? Kind::off : Kind::none;
        return {kind, bytes[0] & 0x0F, bytes[1] & 0x7F};
    }
};

// The notes that the messages a port read left held, kept by the real-time thread that reads the port
// and read by any other. Each word is an atomic of its own, so neither side locks or waits.
class HeldNotesAtPort {
public:
    // Every message counts, a note or not, so that the count matches the messages taken and refused.
    void follow(std::span<const std::uint8_t> bytes) noexcept {
        followed_.fetch_add(1, std::memory_order_relaxed);
        const NoteChange change = NoteChange::of(bytes);
        if (change.kind == NoteChange::Kind::none) return;
        std::atomic<std::uint64_t>& word = words_[NoteSet::index(change.channel, change.note)];
        // Released, so that a snapshot that sees this message's change sees it counted too.
        if (change.kind == NoteChange::Kind::on) {
            word.fetch_or(NoteSet::bit(change.note), std::memory_order_release);
        } else {
            word.fetch_and(~NoteSet::bit(change.note), std::memory_order_release);
        }
    }

    // The notes held after exactly the first `messages` followed, or none when more were followed
    // before the snapshot ended: the set would hold what the reader has yet to deliver.
    std::optional<NoteSet> loadAfter(std::uint64_t messages) const noexcept {
        if (followed_.load(std::memory_order_acquire) != messages) return std::nullopt;
        NoteSet held;
        for (std::size_t i = 0; i < words_.size(); ++i) held.words_[i] = words_[i].load(std::memory_order_acquire);
        if (followed_.load(std::memory_order_relaxed) != messages) return std::nullopt;
        return held;
    }

private:
    std::array<std::atomic<std::uint64_t>, 32> words_{};
    std::atomic<std::uint64_t> followed_{0};
};

// Which notes the messages delivered so far left sounding.
class SoundingNotes {
public:
    void deliver(std::span<const std::uint8_t> bytes) noexcept {
        const NoteChange change = NoteChange::of(bytes);
        if (change.kind == NoteChange::Kind::on) notes_.add(change.channel, change.note);
        if (change.kind == NoteChange::Kind::off) notes_.remove(change.channel, change.note);
    }

    // Calls `write` with a note-off for every sounding note and forgets them.
    template <typename Write>
    void releaseAll(Write&& write) noexcept {
        const NoteSet sounded = notes_;
        notes_ = NoteSet{};
        sounded.writeNoteOffs(write);
    }

    const NoteSet& notes() const noexcept { return notes_; }

private:
    NoteSet notes_;
};

}  // namespace pulvan::midi
