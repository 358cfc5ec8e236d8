#include "http/request_rules.h"

#include "http/url.h"
#include "text/strings.h"

namespace tamsor::request_rules {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

void append_line(std::string& block, std::string_view line) {
    if (!block.empty()) {
        block += kLineBreak;
    }
    block += line;
}

}  // namespace

bool is_secure(std::string_view url) {
    return to_lower_ascii(url.substr(0, 5)) == "https";
}

std::string agent_for(std::string_view extra_headers) {
    constexpr std::string_view kName = "user-agent:";
    size_t found = to_lower_ascii(extra_headers).find(kName);
    if (found == std::string::npos) {
        return std::string(kDefaultAgent);
    }
    std::string_view value = extra_headers.substr(found + kName.size());
    return std::string(trim_spaces(value.substr(0, value.find(kLineBreak))));
}

std::string complete_header_block(std::string_view extra_headers, std::string_view url,
                                  std::string_view cookies) {
    std::string block(extra_headers);
    if (!contains(block, "Accept:")) {
        append_line(block, "Accept: */*");
    }
    if (!contains(block, "Referer:")) {
        append_line(block, "Referer: " + std::string(url));
    }
    if (!contains(block, "Accept-Language:")) {
        append_line(block, "Accept-Language: zh-cn");
    }
    if (!contains(block, "Content-Type:")) {
        append_line(block, "Content-Type: application/x-www-form-urlencoded");
    }
    if (!cookies.empty()) {
        append_line(block, "Cookie: " + std::string(cookies));
    }
    return block;
}

std::vector<std::string> header_lines(std::string_view block) {
    std::vector<std::string> lines;
    for (std::string& line : split(block, kLineBreak)) {
        std::string_view trimmed = trim_spaces(line);
        if (trimmed.empty()) {
            continue;
        }
        // The transport reads "Name:" with nothing after it as "drop this header"; "Name;" is
        // its way to send the header with an empty value, which is what the caller wrote.
        if (trimmed.back() == ':') {
            line = std::string(trimmed);
            line.back() = ';';
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::string> without_credentials(const std::vector<std::string>& lines) {
    std::vector<std::string> kept;
    for (const std::string& line : lines) {
        const std::string name =
            to_lower_ascii(trim_spaces(line.substr(0, line.find_first_of(":;"))));
        if (name != "cookie" && name != "referer") {
            kept.push_back(line);
        }
    }
    return kept;
}

std::string normalise_set_cookie(std::string_view headers) {
    constexpr std::string_view kName = "Set-Cookie";
    std::string result(headers);
    std::string lower = to_lower_ascii(headers);
    for (size_t found = lower.find("set-cookie"); found != std::string::npos;
         found = lower.find("set-cookie", found + kName.size())) {
        result.replace(found, kName.size(), kName);
    }
    return result;
}

std::string new_cookies_from(std::string_view headers) {
    constexpr std::string_view kPrefix = "Set-Cookie:";
    std::string cookies;
    for (const std::string& line : split(headers, kLineBreak)) {
        // Only real Set-Cookie lines: a header whose value merely mentions the word sets nothing.
        if (!line.starts_with(kPrefix)) {
            continue;
        }
        std::string_view value = std::string_view(line).substr(kPrefix.size());
        std::string_view item = trim_spaces(value.substr(0, value.find(';')));
        if (!item.empty()) {
            if (!cookies.empty()) {
                cookies += "; ";
            }
            cookies += item;
        }
    }
    return cookies;
}

std::string header_value(std::string_view headers, std::string_view name) {
    const std::string prefix = to_lower_ascii(name) + ":";
    for (const std::string& line : split(headers, kLineBreak)) {
        if (to_lower_ascii(std::string_view(line).substr(0, prefix.size())) == prefix) {
            return std::string(trim_spaces(std::string_view(line).substr(prefix.size())));
        }
    }
    return "";
}

bool proxy_serves(std::string_view request_url, std::string_view hop_url) {
    return is_secure(request_url) || !is_secure(hop_url);
}

}  // namespace tamsor::request_rules
