#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Tables of replacements applied row by row, as the forum's cleanups are: each row replaces every
// occurrence of its text in what the rows before it left (replace_all), so a removal may join the
// pieces of a later row's occurrence.
namespace tamsor {

struct Replacement {
    std::string_view from;
    std::string_view to = {};  // empty: the row removes its text
};

// The rows applied one after the other, each to the whole text: the plain way, which moves the
// rest of the text at every occurrence and searches the whole text once per row.
std::string replace_row_by_row(std::span<const Replacement> rows, std::string_view text);

// The same result as replace_row_by_row, found in one pass over the text.
//
// A byte that no row's `from` holds can never be part of an occurrence, however the rows before
// have shortened the text around it, and no row removes it. So such bytes split the text into
// runs that the rows change independently of each other: the result is the runs' results with
// the bytes between them as they stand. Markup splits into short runs at line breaks, Chinese
// text, dots and most digits. Within a run the rows are applied row by row, each only if the run
// holds every byte of its `from`. A page repeats the same few tags, so in a long text the result
// of each run, and of each stretch of ASCII between two Chinese characters, is kept for the rest
// of the text.
class ReplacementTable {
public:
    static constexpr size_t kMaxRows = 64;

    // At most kMaxRows rows, which must outlive the table.
    constexpr explicit ReplacementTable(std::span<const Replacement> rows) : rows_(rows) {
        if (rows.size() > kMaxRows) {
            throw std::length_error("too many rows for one replacement table");
        }
        size_t next_bit = 0;
        for (const Replacement& row : rows) {
            for (char c : row.from) {
                uint64_t& bit = bit_of_[static_cast<unsigned char>(c)];
                if (bit == 0) {
                    // Bytes beyond the 64th share bits: the test a row passes before it is
                    // searched for stays a necessary condition, only a less sharp one.
                    bit = uint64_t{1} << (next_bit++ % 64);
                }
            }
        }
        for (size_t r = 0; r < rows.size(); ++r) {
            shortest_ = r == 0 ? rows[r].from.size() : std::min(shortest_, rows[r].from.size());
            needs_[r] = bits_of(rows[r].from);
            gives_[r] = bits_of(rows[r].to);
        }
        for (size_t byte = 0x80; byte <= 0xFF; ++byte) {
            high_bytes_split_ = high_bytes_split_ && bit_of_[byte] == 0;
        }
        for (const Replacement& row : rows) {
            zero_joins_ = zero_joins_ && bit_of_[0] == 0 && row.to.find('\0') == row.to.npos;
        }
    }

    std::string apply(std::string_view text) const;

    // apply on each text. Short texts such as titles share most of their tags, so they are
    // cleaned as one text, joined at zero bytes, and each piece they share is cleaned once.
    std::vector<std::string> apply_each(std::span<const std::string> texts) const;

    std::span<const Replacement> rows() const { return rows_; }

private:
    constexpr uint64_t bits_of(std::string_view text) const {
        uint64_t bits = 0;
        for (char c : text) {
            bits |= bit_of_[static_cast<unsigned char>(c)];
        }
        return bits;
    }

    class Memo;  // the results of the pieces of one text cleaned so far

    // The run with the rows applied, in `cleaned`; false when none of them occurs in it.
    bool clean_run(std::string_view run, std::string& cleaned) const;

    // A stretch of runs and the bytes between them, cleaned run by run: the stretch itself when
    // nothing in it changes, else `out`. `scratch` holds each run's result for a moment.
    std::string_view clean_runs(std::string_view stretch, Memo* memo, std::string& out,
                                std::string& scratch) const;

    std::span<const Replacement> rows_;
    // The bit standing for each byte found in some row's `from`; 0 for the bytes that split runs.
    std::array<uint64_t, 256> bit_of_{};
    std::array<uint64_t, kMaxRows> needs_{};  // the bits of each row's `from`
    std::array<uint64_t, kMaxRows> gives_{};  // the bits of each row's `to`
    size_t shortest_ = 0;                     // the shortest `from`
    // No `from` holds a byte above 0x7F, so Chinese text is skipped eight bytes at a time.
    bool high_bytes_split_ = true;
    // No row holds a zero byte or puts one in, so texts joined at zero bytes stay apart.
    bool zero_joins_ = true;
};

}  // namespace tamsor
