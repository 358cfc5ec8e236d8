#pragma once

#include <random>
#include <span>
#include <string>

#include "text/replacement_table.h"

// Texts made to meet what a one-pass replacement table finds hard: rows whole, cut in two with
// other rows' texts between the halves (so that a removal joins them, again and again), rows
// overlapping each other, what the rows put in, bytes that split runs, and stretches repeated.
namespace tamsor::test {

inline std::string cleanup_text(std::span<const Replacement> rows, std::mt19937& random,
                                size_t size) {
    auto pick = [&random](size_t count) {
        return std::uniform_int_distribution<size_t>(0, count - 1)(random);
    };
    auto row_text = [&] {
        const Replacement& row = rows[pick(rows.size())];
        return std::string(pick(4) == 0 ? row.to : row.from);
    };
    // A row's text with others put inside it, to a depth of three.
    auto nested = [&](auto& self, int depth) -> std::string {
        std::string text = row_text();
        if (depth == 0 || text.size() < 2) {
            return text;
        }
        const size_t cut = 1 + pick(text.size() - 1);
        return text.substr(0, cut) + self(self, depth - 1) + text.substr(cut);
    };
    const std::string splitters[] = {"中", "\r\n", ".", "9", "\xFF"};
    std::string text;
    while (text.size() < size) {
        switch (pick(7)) {
            case 0:
                text += row_text();
                break;
            case 1:
            case 2:
                text += nested(nested, 1 + static_cast<int>(pick(3)));
                break;
            case 3: {
                const std::string part = row_text();
                text += pick(2) == 0 ? part.substr(0, pick(part.size() + 1))
                                     : part.substr(pick(part.size() + 1));
                break;
            }
            case 4:
                text += splitters[pick(std::size(splitters))];
                break;
            case 5: {
                const std::string part = row_text();
                text += part.empty() ? 'x' : part[pick(part.size())];
                break;
            }
            default:
                // A stretch already written comes again, as tags do in a page.
                if (!text.empty()) {
                    const size_t from = pick(text.size());
                    text += text.substr(from, pick(std::min<size_t>(300, text.size() - from) + 1));
                }
        }
    }
    return text;
}

}  // namespace tamsor::test
