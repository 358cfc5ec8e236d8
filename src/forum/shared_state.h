#pragma once

#include <string>

#include "forum/message_texts.h"
#include "http/http_request.h"
#include "regex/regex_object.h"

namespace tamsor {

// The one program-wide record through which windows and operations hand results to each other.
// It is read and written on the window thread only; workers report values through their views
// and the window layer stores them here.
struct SharedState {
    MessageCode message_code{};  // 0 until an operation sets one
    std::string punch_verify;
    std::string verify_hash;
    std::string home_page_text;
    std::string db_balance;
    std::string account_id;
    std::string account_level;
    std::string viewer_image_url;
    std::string popup_image_url;
    ByteArray viewer_image_data;
    std::string post_body_text;
    RegexObject post_regex;
    std::string post_title;
    std::string post_board;
    std::string selected_post_id;
};

}  // namespace tamsor
