#pragma once

#include <string>

// Forum pages as the hosts send them (GBK bytes), scaled up from the simulator's templates to
// the size of a busy forum: the board readers meet pages of about a megabyte there.
namespace tamsor::bench {

struct BigPages {
    std::string start_page;      // signed-in start page, 500 boards
    std::string board_page;      // one board, 1000 threads
    std::string post_page;       // one post with a body of about a megabyte
    std::string long_line_post;  // a post whose body is one 1 MiB line of unclosed picture tags
};

inline constexpr int kStartPageBoards = 500;
inline constexpr int kBoardPageThreads = 1000;

const BigPages& big_pages();

// The simulator's own pages, not scaled up: what one session meets (no long-line post).
const BigPages& simulator_pages();

}  // namespace tamsor::bench
