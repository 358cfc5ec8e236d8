// The one-pass replacement table must give what its rows give applied one after the other, byte
// for byte; the row-by-row form is the reference, on hand-made traps and on generated tables and
// texts of every size (short texts, long ones that reuse cleaned pieces, and long ones split by
// Chinese text).
#include "text/replacement_table.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "cleanup_texts.h"

namespace tamsor {
namespace {

// Rows made of strings the test owns, in the order given.
struct OwnedRows {
    std::vector<std::string> texts;
    std::vector<Replacement> rows;

    explicit OwnedRows(const std::vector<std::pair<std::string, std::string>>& pairs) {
        texts.reserve(2 * pairs.size());
        for (const auto& [from, to] : pairs) {
            texts.push_back(from);
            const std::string& kept_from = texts.back();
            texts.push_back(to);
            rows.push_back({kept_from, texts.back()});
        }
    }
};

void expect_same_as_row_by_row(const OwnedRows& owned, std::string_view text) {
    const ReplacementTable table(owned.rows);
    ASSERT_EQ(table.apply(text), replace_row_by_row(owned.rows, text)) << text.substr(0, 300);
}

// Each text cleaned as the rows clean it on its own, though they are cleaned together.
void expect_each_as_row_by_row(const OwnedRows& owned, const std::vector<std::string>& texts) {
    const std::vector<std::string> cleaned = ReplacementTable(owned.rows).apply_each(texts);
    ASSERT_EQ(cleaned.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        ASSERT_EQ(cleaned[i], replace_row_by_row(owned.rows, texts[i])) << texts[i];
    }
}

TEST(ReplacementTable, LaterRowsSeeWhatEarlierRowsJoinedOrPutIn) {
    const OwnedRows rows(
        {{"<b>", ""}, {"<div>", ""}, {"&lt;", "<"}, {"<i>", ""}, {"x", "中"}, {"中y", "!"}});
    const ReplacementTable table(rows.rows);
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"<di<b>v>", ""},       // a removal joins a later row's pieces
        {"<d<b>i<b>v>a", "a"},  // more than once
        {"&lt;i>", ""},         // a row puts in what a later row removes
        {"<<b>div>", ""},       // the join starts before the removal
        {"xy.xy", "!.!"},       // a row puts in a byte no row removes
        {"<b.>", "<b.>"},       // bytes no row holds stop every occurrence
        {"<b", "<b"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(table.apply(text), expected) << text;
        EXPECT_EQ(replace_row_by_row(rows.rows, text), expected) << text;
    }
}

// Titles are cleaned together only while the byte they are joined at stays a border: a row that
// removes it or puts it in makes each title be cleaned on its own.
TEST(ReplacementTable, RowsHoldingTheJoiningByteCleanEachTextOnItsOwn) {
    const std::string zero(1, '\0');
    expect_each_as_row_by_row(OwnedRows({{zero + "<", ""}}), {"a", "<b"});
    expect_each_as_row_by_row(OwnedRows({{"x", zero}}), {"x", "y"});
}

// Random tables mostly over a few bytes, so that rows overlap, repeat, join and feed each other,
// and some over more bytes than the table has bits for; texts from a few bytes to beyond the size
// from which cleaned pieces are reused.
TEST(ReplacementTable, GivesWhatTheRowsGiveOneAfterTheOther) {
    std::mt19937 random(16);
    std::string printable;
    for (char c = '!'; c <= '~'; ++c) {
        printable += c;
    }
    std::string alphabet;
    auto word = [&](size_t longest) {
        std::string text(std::uniform_int_distribution<size_t>(1, longest)(random), ' ');
        for (char& c : text) {
            c = alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(random)];
        }
        return text;
    };
    for (int round = 0; round < 300; ++round) {
        alphabet = round % 5 == 0 ? printable : "<>ab=\"/ ";
        std::vector<std::pair<std::string, std::string>> pairs;
        const int count = std::uniform_int_distribution<int>(1, round % 5 == 0 ? 40 : 12)(random);
        for (int r = 0; r < count; ++r) {
            const int kind = std::uniform_int_distribution<int>(0, 3)(random);
            pairs.emplace_back(word(6), kind == 0 ? word(3) : kind == 1 ? "中" : "");
        }
        const OwnedRows rows(pairs);
        for (size_t size : {size_t(20), size_t(300), size_t(6000), size_t(30000)}) {
            expect_same_as_row_by_row(rows, test::cleanup_text(rows.rows, random, size));
        }
        // Titles: many short texts, some holding the byte they are joined at.
        std::vector<std::string> titles;
        for (int t = 0; t < 200; ++t) {
            titles.push_back(test::cleanup_text(rows.rows, random, 30));
        }
        if (round % 7 == 0) {
            titles[9] += '\0';
        }
        expect_each_as_row_by_row(rows, titles);
    }
}

}  // namespace
}  // namespace tamsor
