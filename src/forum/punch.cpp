#include "forum/punch.h"

#include <algorithm>
#include <ctime>

#include "forum/answer_markers.h"
#include "forum/forum_answer.h"
#include "forum/message_texts.h"
#include "http/http_request.h"

namespace tamsor {
namespace {

constexpr AnswerMarker kPunchAnswers[] = {
    {"您点击的太快了，休息下吧", MessageCode::clicked_too_fast},
    {"请刷新页面后重试！", MessageCode::reload_and_retry},
    {"完成 每日打卡", MessageCode::punched},
    {"您已签到完毕", MessageCode::already_punched},
};

// Counted from 1970-01-01 08:00:00 local time: the Unix epoch as a clock in the forum's zone
// (UTC+8) shows it. Elsewhere the stamp is off by the difference of the zones.
constexpr long long kEpochOffsetSeconds = 8 * 3600;

long long seconds_since_local_epoch(const LocalTime& t) {
    using namespace std::chrono;
    const sys_days day{year{t.year} / month{static_cast<unsigned>(t.month)} /
                       std::chrono::day{static_cast<unsigned>(t.day)}};
    const long long seconds_of_day = t.hour * 3600LL + t.minute * 60LL + t.second;
    return day.time_since_epoch().count() * 86400LL + seconds_of_day - kEpochOffsetSeconds;
}

std::string three_digits(int millisecond) {
    std::string digits = std::to_string(millisecond);
    if (digits.size() < 3) {
        digits.insert(0, 3 - digits.size(), '0');
    }
    return digits;
}

}  // namespace

std::optional<MessageCode> classify_punch_answer(std::string_view answer) {
    return first_marker_code(answer, kPunchAnswers);
}

LocalTime local_time_now() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto millisecond = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return {local.tm_year + 1900,
            local.tm_mon + 1,
            local.tm_mday,
            local.tm_hour,
            local.tm_min,
            local.tm_sec,
            static_cast<int>(millisecond)};
}

std::string punch_timestamp(const LocalTime& millisecond_reading, const LocalTime& seconds_reading,
                            bool seconds_only) {
    std::string stamp = std::to_string(seconds_since_local_epoch(seconds_reading)) +
                        three_digits(millisecond_reading.millisecond);
    if (seconds_only) {
        stamp.resize(std::min<size_t>(stamp.size(), 10));
    }
    return stamp;
}

std::string punch_timestamp(bool seconds_only) {
    // Two readings, milliseconds first: across a second boundary the stamp can run up to one
    // second ahead.
    const LocalTime millisecond_reading = local_time_now();
    const LocalTime seconds_reading = local_time_now();
    return punch_timestamp(millisecond_reading, seconds_reading, seconds_only);
}

void daily_punch(const ForumHosts& hosts, SharedState& state, PunchView& view, const Network& net) {
    const std::string timestamp = punch_timestamp();
    HttpRequest request;
    // The tokens are hex texts the forum handed out; they go back exactly as received.
    request.url = hosts.forum_base_url() +
                  "/jobcenter.php?action=punch&ajax=1&punchverify=" + state.punch_verify +
                  "&nowtime=" + timestamp + "&verify=" + state.verify_hash;
    request.method = HttpMethod::post;
    request.post_text = "step=2";
    const HttpResponse response = net.request(request);
    if (response.error == HttpError::cancelled) {
        return;  // the user gave it up with Esc and knows it brought nothing
    }
    const std::string answer = answer_text(response);

    const std::optional<MessageCode> code = classify_punch_answer(answer);
    if (!code && is_sign_in_page(answer)) {
        view.session_ended();
        return;
    }
    // Whatever came back, the user learns whether the punch counted: silence would leave them
    // guessing, and "already punched" or a success would be claims the forum never made.
    state.message_code = code.value_or(MessageCode::no_answer);
    view.show_message();
    if (code == MessageCode::punched) {
        view.start_profile_worker();
    }
}

}  // namespace tamsor
