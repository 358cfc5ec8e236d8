#include "forum/forum_answer.h"

#include "text/charset.h"

namespace tamsor {
namespace {

constexpr std::string_view kStatusPrefix = "状态：";
constexpr std::string_view kFetchFailedStatus = "状态：获取失败";
constexpr std::string_view kSignedOutStatus = "状态：登录失效";
constexpr std::string_view kCancelledStatus = "状态：已取消";

ForumAnswer judged(long status, HttpError error, std::string_view body,
                   std::string_view content_type) {
    return {error == HttpError::none && status / 100 == 2 && !body.empty(),
            error == HttpError::cancelled, decode_page(body, content_type)};
}

}  // namespace

ForumAnswer fetch_forum_page(const std::string& url, const Network& net) {
    HttpRequest request;
    request.url = url;
    const HttpResponse response = net.request(request);
    return judged(response.status, response.error, response.body, response.content_type);
}

ForumAnswer fetch_forum_page_plain(const std::string& url, const Network& net) {
    const PlainFetch fetch = net.fetch(url);
    return judged(fetch.status, fetch.error, fetch.body, fetch.content_type);
}

std::string answer_text(const HttpResponse& response) {
    return decode_page(response.body, response.content_type);
}

bool is_sign_in_page(std::string_view text) {
    for (std::string_view marker : sign_in_page_markers) {
        if (text.find(marker) == std::string_view::npos) {
            return false;
        }
    }
    return true;
}

PageVerdict judge_page(const ForumAnswer& answer) {
    if (is_sign_in_page(answer.text)) {
        return PageVerdict::signed_out;
    }
    if (answer.cancelled) {
        return PageVerdict::cancelled;
    }
    return answer.answered ? PageVerdict::page : PageVerdict::no_answer;
}

std::string_view failure_status(PageVerdict verdict) {
    switch (verdict) {
        case PageVerdict::signed_out:
            return kSignedOutStatus;
        case PageVerdict::cancelled:
            return kCancelledStatus;
        default:
            return kFetchFailedStatus;
    }
}

std::string_view failure_caption(PageVerdict verdict) {
    return failure_status(verdict).substr(kStatusPrefix.size());
}

}  // namespace tamsor
