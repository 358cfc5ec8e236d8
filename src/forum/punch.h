#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "forum/forum_hosts.h"
#include "forum/message_texts.h"
#include "forum/shared_state.h"
#include "http/network.h"

namespace tamsor {

// A local wall-clock reading, as the punch timestamp takes it.
struct LocalTime {
    int year, month, day, hour, minute, second, millisecond;
};
LocalTime local_time_now();

// Seconds from local 1970-01-01 08:00:00 to `seconds_reading`, followed by the three millisecond
// digits of `millisecond_reading` (13 digits today); only the first 10 characters when
// seconds_only. Two readings, as the clock is read twice.
std::string punch_timestamp(const LocalTime& millisecond_reading, const LocalTime& seconds_reading,
                            bool seconds_only = false);
std::string punch_timestamp(bool seconds_only = false);

// What the daily punch needs of the operations window. Called on the window thread.
class PunchView {
public:
    virtual ~PunchView() = default;
    virtual void show_message() = 0;          // message window for state.message_code, modal
    virtual void start_profile_worker() = 0;  // after a successful punch, once the message closed
    virtual void session_ended() = 0;         // the forum answered with its sign-in form
};

// Too fast, reload and retry, punched or already punched; nullopt for an unknown answer.
std::optional<MessageCode> classify_punch_answer(std::string_view answer);

// Sends the punch and shows the forum's answer. The sign-in form as answer reports the session
// over; no answer, or one of no known kind, shows that the forum did not answer.
void daily_punch(const ForumHosts& hosts, SharedState& state, PunchView& view,
                 const Network& net = real_network());

}  // namespace tamsor
