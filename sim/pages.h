#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue.h"

// The pages of both hosts as UTF-8 text with CRLF line ends; the hosts encode them to GBK.
namespace tamsor::sim {

struct SignedInView {
    std::string name;
    std::string verify_hash;
    std::string punch_verify;
    long balance;
    int id;
    std::string level;
};

// The forum's start page: the board directory, and the account box when signed in; a guest gets
// a greeting with a link to `sign_in_url` instead.
std::string home_page(const std::optional<SignedInView>& account,
                      std::string_view sign_in_url = "");

enum class LoginOutcome { signed_in, wrong_captcha, wrong_password, bad_form };
std::string login_answer_page(LoginOutcome outcome, std::string_view forum_host);
std::string login_form_page(std::string_view forum_host);

std::string board_page(const Board& board, const std::vector<Thread>& threads);

struct PostView {
    Thread thread;
    std::string board_name;
    std::string popup_url;                                // "" for none
    std::vector<std::vector<std::string>> picture_lines;  // picture addresses, line by line
    std::string body_override;  // replaces the generated body when not empty
    std::string body_tail;      // follows the body
};
std::string post_page(const PostView& post);

// The answer of the punch request, in the forum's ajax form.
std::string punch_answer(std::string_view message, bool success);

// A short page for errors and missing addresses.
std::string notice_page(std::string_view title, std::string_view message);

// The exact text that closes a post body on a post page.
std::string post_body_end();

}  // namespace tamsor::sim
