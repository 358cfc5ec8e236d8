// The one-pass replacement tables against their rows applied one after the other: the two
// cleanups of the readers and tables made from the input, on the input as it is and repeated
// into a long text (where cleaned pieces are reused, and Chinese text splits it).
//
// Input: a first byte picking the table (0 the post body's, 1 the thread title's, else the rows
// in the first argument: one row a line, "from" or "from<TAB>to"), then the text.
#include <string>
#include <vector>

#include "forum/post_reader.h"
#include "forum/thread_list.h"
#include "fuzz_support.h"
#include "text/replacement_table.h"

using namespace tamsor;

namespace {

// Rows read from the input; their views point into it.
std::vector<Replacement> rows_of(std::string_view lines) {
    std::vector<Replacement> rows;
    while (!lines.empty() && rows.size() < ReplacementTable::kMaxRows) {
        const size_t end = std::min(lines.find('\n'), lines.size());
        const std::string_view line = lines.substr(0, end);
        const size_t tab = line.find('\t');
        rows.push_back(tab == std::string_view::npos
                           ? Replacement{line}
                           : Replacement{line.substr(0, tab), line.substr(tab + 1)});
        lines.remove_prefix(std::min(end + 1, lines.size()));
    }
    return rows;
}

// The text, and the text repeated into a long one with a Chinese character now and then.
std::vector<std::string> texts_of(std::string_view text) {
    std::string long_text;
    for (size_t copy = 0; !text.empty() && long_text.size() < 6000; ++copy) {
        long_text.append(text).append(copy % 3 == 0 ? "中" : "");
    }
    return {std::string(text), long_text};
}

template <typename Clean>
void check_table(std::span<const Replacement> rows, std::string_view text, Clean clean) {
    for (const std::string& each : texts_of(text)) {
        fuzz::check(clean(each) == replace_row_by_row(rows, each),
                    "one pass gives the rows' result", each);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const std::string_view input = fuzz::input_bytes(data + 1, size - 1);
    if (data[0] == 0) {
        check_table(post_body_cleanup_rows(), input, clean_post_body);
    } else if (data[0] == 1) {
        check_table(thread_title_cleanup_rows(), input, clean_thread_title);
    } else {
        const std::vector<std::string_view> args = fuzz::split_arguments(input, 2);
        const std::vector<Replacement> rows = rows_of(args[0]);
        const ReplacementTable table(rows);
        check_table(rows, args[1], [&table](std::string_view text) { return table.apply(text); });
    }
    return 0;
}
