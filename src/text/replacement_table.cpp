#include "text/replacement_table.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <vector>

#include "text/strings.h"

namespace tamsor {
namespace {

uint64_t load_word(const char* bytes) {
    uint64_t word;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

constexpr uint64_t kHighBits = 0x8080808080808080ULL;

// Where the first byte of `text` from `at` on lies whose high bit is `high` (the size when none
// does), eight bytes at a time.
size_t find_high_bit(std::string_view text, size_t at, bool high) {
    const uint64_t flip = high ? 0 : kHighBits;
    for (; at + 8 <= text.size(); at += 8) {
        const uint64_t marks = (load_word(text.data() + at) ^ flip) & kHighBits;
        if (marks != 0) {
            const int bit = std::endian::native == std::endian::little ? std::countr_zero(marks)
                                                                       : std::countl_zero(marks);
            return at + static_cast<size_t>(bit / 8);
        }
    }
    while (at < text.size() && (static_cast<unsigned char>(text[at]) >= 0x80) != high) {
        ++at;
    }
    return at;
}

// Builds a changed copy of a text in `out`, and only once something in it changes.
class LazyCopy {
public:
    LazyCopy(std::string_view text, std::string& out) : text_(text), out_(out) {}

    // Puts `with` in place of the `size` bytes at `at`; calls come in the order of the text.
    void replace(size_t at, size_t size, std::string_view with) {
        const size_t kept = at - copied_;
        if (written_ + kept + with.size() > out_.size()) {
            // Written through a pointer, as most pieces are a few bytes; cleanups mostly
            // shorten the text, so its own size is nearly always enough.
            out_.resize(std::max(text_.size(), 2 * (written_ + kept + with.size())));
        }
        char* const end = out_.data() + written_;
        std::memcpy(end, text_.data() + copied_, kept);
        std::memcpy(end + kept, with.data(), with.size());
        written_ += kept + with.size();
        copied_ = at + size;
        changed_ = true;
    }

    // The text with the replacements: `out` once something changed, the text itself until then.
    std::string_view finish() {
        if (!changed_) {
            return text_;
        }
        out_.resize(written_);
        out_.append(text_.data() + copied_, text_.size() - copied_);
        return out_;
    }

private:
    std::string_view text_;
    std::string& out_;
    size_t copied_ = 0;   // the text before `copied_` is accounted for in `out_`
    size_t written_ = 0;  // the bytes of `out_` written so far
    bool changed_ = false;
};

}  // namespace

// The results of the pieces one apply has cleaned already, by the piece's bytes: markup repeats
// the same few tags all through a page. A slot holds the last piece that hashed to it, so a
// piece is looked up with one comparison, and the memory stays bounded.
class ReplacementTable::Memo {
public:
    static constexpr size_t kLongestPiece = 1024;  // longer pieces are cleaned every time

    struct Slot {
        std::string_view key;
        std::string_view cleaned;
        bool changed = false;
    };

    // All pieces are parts of `text`.
    explicit Memo(std::string_view text) : text_end_(text.data() + text.size()) {}

    const Slot* find(std::string_view piece) {
        const Slot& slot = slots_[index(piece)];
        const bool same = slot.key.data() != nullptr && slot.key.size() == piece.size() &&
                          std::memcmp(slot.key.data(), piece.data(), piece.size()) == 0;
        return same ? &slot : nullptr;
    }

    // `cleaned` is the piece itself when no row occurs in it.
    void add(std::string_view piece, std::string_view cleaned) {
        const bool changed = cleaned.data() != piece.data();
        const size_t needed = piece.size() + (changed ? cleaned.size() : 0);
        if (piece.size() > kLongestPiece || arena_used_ + needed > kArena) {
            return;
        }
        if (arena_.empty()) {
            arena_.resize(kArena);
        }
        Slot& slot = slots_[index(piece)];
        slot.key = keep(piece);
        slot.cleaned = changed ? keep(cleaned) : slot.key;
        slot.changed = changed;
    }

private:
    static constexpr size_t kSlots = 1024;
    static constexpr size_t kArena = 256 * 1024;

    // From the piece's length and its first and last eight bytes.
    size_t index(std::string_view piece) const {
        const size_t size = piece.size();
        uint64_t first = 0;
        uint64_t last = 0;
        if (size >= 8) {
            first = load_word(piece.data());
            last = load_word(piece.data() + size - 8);
        } else if (text_end_ - piece.data() >= 8) {
            // The bytes past the piece are not part of it: keep only its own (the low ones on a
            // little-endian machine; elsewhere the hash is only weaker, never wrong).
            first = load_word(piece.data()) & ((uint64_t{1} << (8 * size)) - 1);
        } else {
            std::memcpy(&first, piece.data(), size);
        }
        const uint64_t hash =
            (first * 0x9E3779B97F4A7C15ULL) ^ (last * 0xC2B2AE3D27D4EB4FULL) ^ (size << 3);
        return static_cast<size_t>(hash >> 54) % kSlots;
    }

    std::string_view keep(std::string_view text) {
        char* at = arena_.data() + arena_used_;
        std::memcpy(at, text.data(), text.size());
        arena_used_ += text.size();
        return {at, text.size()};
    }

    const char* text_end_;
    std::vector<Slot> slots_ = std::vector<Slot>(kSlots);
    std::string arena_;  // the keys and results, allocated once and never moved
    size_t arena_used_ = 0;
};

std::string replace_row_by_row(std::span<const Replacement> rows, std::string_view text) {
    std::string result(text);
    for (const Replacement& row : rows) {
        replace_all_in_place(result, row.from, row.to);
    }
    return result;
}

bool ReplacementTable::clean_run(std::string_view run, std::string& cleaned) const {
    uint64_t present = 0;
    for (char c : run) {
        present |= bit_of_[static_cast<unsigned char>(c)];
    }
    bool changed = false;
    for (size_t r = 0; r < rows_.size(); ++r) {
        const Replacement& row = rows_[r];
        // The run, as the rows before have left it, holds only bytes it held at first or that a
        // `to` put in, so a row missing one of those bytes cannot occur in it.
        if ((needs_[r] & ~present) != 0 || row.from.empty()) {
            continue;
        }
        if (!changed) {
            // Nothing is copied until a row occurs.
            if (row.from.size() > run.size() || run.find(row.from) == std::string_view::npos) {
                continue;
            }
            cleaned.assign(run);
            changed = true;
        }
        replace_all_in_place(cleaned, row.from, row.to);
        present |= gives_[r];
    }
    return changed;
}

std::string_view ReplacementTable::clean_runs(std::string_view stretch, Memo* memo,
                                              std::string& out, std::string& scratch) const {
    LazyCopy copy(stretch, out);
    const size_t size = stretch.size();
    size_t i = 0;
    while (i < size) {
        while (i < size && bit_of_[static_cast<unsigned char>(stretch[i])] == 0) {
            ++i;
        }
        const size_t start = i;
        while (i < size && bit_of_[static_cast<unsigned char>(stretch[i])] != 0) {
            ++i;
        }
        if (i - start < shortest_) {
            continue;
        }
        const std::string_view run = stretch.substr(start, i - start);
        if (const Memo::Slot* known = memo != nullptr ? memo->find(run) : nullptr) {
            if (known->changed) {
                copy.replace(start, run.size(), known->cleaned);
            }
        } else if (clean_run(run, scratch)) {
            copy.replace(start, run.size(), scratch);
            if (memo != nullptr) {
                memo->add(run, scratch);
            }
        } else if (memo != nullptr) {
            memo->add(run, run);
        }
    }
    return copy.finish();
}

std::string ReplacementTable::apply(std::string_view text) const {
    std::string result;
    std::string scratch;
    // Results are worth keeping only where tags can repeat.
    constexpr size_t kMemoFrom = 4096;
    if (text.size() < kMemoFrom || !high_bytes_split_) {
        std::unique_ptr<Memo> memo =
            text.size() < kMemoFrom ? nullptr : std::make_unique<Memo>(text);
        const std::string_view cleaned = clean_runs(text, memo.get(), result, scratch);
        return cleaned.data() == text.data() ? std::string(text) : std::move(result);
    }
    // Chinese text splits runs too, and the stretches of ASCII between two characters, mostly
    // tags and line breaks, repeat as often as runs do: each stretch is looked up as a whole.
    Memo memo(text);
    LazyCopy copy(text, result);
    std::string stretch_out;
    const size_t size = text.size();
    size_t i = 0;
    while (i < size) {
        const size_t start = find_high_bit(text, i, false);
        i = find_high_bit(text, start, true);
        const std::string_view stretch = text.substr(start, i - start);
        if (stretch.size() < shortest_) {
            continue;
        }
        if (const Memo::Slot* known = memo.find(stretch)) {
            if (known->changed) {
                copy.replace(start, stretch.size(), known->cleaned);
            }
            continue;
        }
        const std::string_view cleaned = clean_runs(stretch, &memo, stretch_out, scratch);
        memo.add(stretch, cleaned);
        if (cleaned.data() != stretch.data()) {
            copy.replace(start, stretch.size(), cleaned);
        }
    }
    const std::string_view cleaned = copy.finish();
    return cleaned.data() == text.data() ? std::string(text) : std::move(result);
}

std::vector<std::string> ReplacementTable::apply_each(std::span<const std::string> texts) const {
    std::vector<std::string> cleaned;
    cleaned.reserve(texts.size());
    const bool joinable = zero_joins_ && std::none_of(texts.begin(), texts.end(), [](auto& text) {
                              return text.find('\0') != std::string::npos;
                          });
    if (!joinable) {
        for (const std::string& text : texts) {
            cleaned.push_back(apply(text));
        }
        return cleaned;
    }
    std::string joined;
    for (const std::string& text : texts) {
        joined.append(text).push_back('\0');
    }
    const std::string all = apply(joined);
    for (size_t start = 0; cleaned.size() < texts.size();) {
        const size_t end = all.find('\0', start);
        cleaned.emplace_back(all, start, end - start);
        start = end + 1;
    }
    return cleaned;
}

}  // namespace tamsor
