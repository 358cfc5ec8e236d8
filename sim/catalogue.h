#pragma once

#include <string>
#include <vector>

// What the simulated forum holds: its boards, their threads and the shape of every post.
// Tests of the client compare what it shows against these tables.
namespace tamsor::sim {

struct Board {
    int fid;              // its address is "thread.php?fid=<fid>" on the forum root
    std::string name;     // the board name as the client lists it (UTF-8)
    std::string heading;  // the markup of its heading on the start page
    std::string tag;      // short name put in front of its thread titles
    int topics;           // board information: number of topics
    int today;            // posts today
    int rank;             // ranking
    size_t category;      // index into category_captions()
    // A row after the threads of its page whose title has no post ID (a thread moved away);
    // "" for none.
    std::string notice_title;
};

struct Thread {
    int tid;  // the post is "/r<tid>/"
    int fid;
    std::string raw_title;  // as the board page writes it, markup included
    std::string cleaned;    // what is left once the font, style and entity markup is cleaned
    std::string plain;      // the title as the post's keywords carry it (its first field)
    std::string keywords;   // the whole keywords text of the post page
};

// The four category captions, each shown as a red heading before its boards.
const std::vector<std::string>& category_captions();

// Every board, in start-page order, grouped by category. The question board (the last one)
// has a name and thread titles that look like markup, a post whose keywords name no board,
// a title with characters GBK cannot hold, and a title without a post ID.
const std::vector<Board>& boards();
const Board* find_board(int fid);

// Threads of a board in page order (14 each, 4 on the question board):
// tid = fid * 1000 + 1, fid * 1000 + 2, ...
std::vector<Thread> threads_of(const Board& board);
// The thread of a post id, or false when the forum has no such post.
bool find_thread(int tid, Thread& thread);

// How a post looks, decided by the thread's number n = tid % 1000:
//  - odd n: the page opens the pop-up picture "images/popup_<tid>.jpg" with window.open;
//  - n % 4 == 1: a line with two pictures (p<tid>_1.png, p<tid>_2.jpg), then a line with
//    p<tid>_3.gif; n % 4 == 2: one line with p<tid>_1.jpg; n % 4 == 3: one line with
//    p<tid>_1.gif; n % 4 == 0: no pictures.
// The one exception is kChinesePicturePost, whose pop-up and one picture are kChinesePicture.
struct PostShape {
    std::string popup;  // the pop-up picture's path from the forum root, "" for none
    // Picture names, line by line: in "images/", or from the forum root when they hold a "/".
    std::vector<std::vector<std::string>> picture_lines;
};
PostShape post_shape(int tid);

// A picture named in Chinese in a folder named in Chinese, as real forums have them. The forum
// names its files in GBK, so it serves the picture only at its GBK-escaped address.
inline constexpr int kChinesePicturePost = 42003;
inline constexpr const char* kChinesePicture = "图片/中文图.png";
inline constexpr const char* kChinesePictureTarget = "/%CD%BC%C6%AC/%D6%D0%CE%C4%CD%BC.png";

// The third field of every post's keywords, after the title and the board name.
inline constexpr const char* kKeywordsTail = "Tamsor论坛";

}  // namespace tamsor::sim
