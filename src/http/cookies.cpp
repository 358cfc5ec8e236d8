#include "http/cookies.h"

#include "text/strings.h"

namespace tamsor {
namespace {

// The items of a space-free cookie text. Empty pieces (from "a=1;" or ";;") are no cookies and
// would otherwise come back as stray "; " separators in the jar.
std::vector<std::string> cookie_items(std::string_view text) {
    std::vector<std::string> items;
    for (std::string& item : split(text, ";")) {
        if (!item.empty()) {
            items.push_back(std::move(item));
        }
    }
    return items;
}

}  // namespace

std::string merge_cookies(std::string& cookies, std::string& new_cookies) {
    cookies = replace_all(cookies, " ", "");
    new_cookies = replace_all(new_cookies, " ", "");

    std::vector<std::string> items = cookie_items(new_cookies);
    for (std::string& old_item : cookie_items(cookies)) {
        if (!has_cookie_named(items, cookie_name(old_item))) {
            items.push_back(std::move(old_item));
        }
    }

    std::string jar;
    for (const std::string& item : items) {
        if (!item.ends_with("=deleted")) {
            jar += item;
            jar += "; ";
        }
    }
    if (!jar.empty()) {
        jar.resize(jar.size() - 2);
    }
    cookies = remove_duplicate_items(jar, "; ");
    return cookies;
}

std::string cookie_name(std::string_view item) {
    return std::string(trim_spaces(item.substr(0, item.find('='))));
}

bool has_cookie_named(const std::vector<std::string>& items, std::string_view name) {
    for (const std::string& item : items) {
        if (cookie_name(item) == name) {
            return true;
        }
    }
    return false;
}

std::string remove_duplicate_items(std::string_view text, std::string_view separator) {
    std::vector<std::string> seen;
    std::string result;
    for (std::string& piece : split(text, separator)) {
        if (index_of_item(seen, piece) == -1) {
            result += piece;
            result += separator;
            seen.push_back(std::move(piece));
        }
    }
    if (!result.empty()) {
        result.resize(result.size() - separator.size());
    }
    return result;
}

int index_of_item(const std::vector<std::string>& items, std::string_view text) {
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) {
            return static_cast<int>(i) + 1;
        }
    }
    return -1;
}

}  // namespace tamsor
