#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "forum/board_directory.h"
#include "forum/login.h"
#include "forum/post_reader.h"
#include "forum/profile.h"
#include "forum/punch.h"
#include "forum/thread_list.h"

// Views that write down every call as one line of text, in the order the operation made them.
namespace tamsor::testing {

using Lines = std::vector<std::string>;

// Read by the test only once the operation's thread has been joined.
class CallLog {
public:
    void add(std::string_view what, std::string_view value = {}) {
        lines_.push_back(std::string(what) + (value.empty() ? "" : ":") + std::string(value));
    }
    const Lines& lines() const { return lines_; }
    void clear() { lines_.clear(); }
    // The values of the lines written as `what`.
    Lines values(std::string_view what) const {
        Lines found;
        for (const std::string& line : lines_) {
            if (line.starts_with(std::string(what) + ":")) {
                found.push_back(line.substr(what.size() + 1));
            }
        }
        return found;
    }

private:
    Lines lines_;
};

// A picture by its format, so that logs of real pictures stay comparable.
inline std::string picture_kind(const ByteArray& picture) {
    return picture.empty()                   ? "none"
           : picture.starts_with("\x89PNG")  ? "png"
           : picture.starts_with("\xFF\xD8") ? "jpeg"
           : picture.starts_with("GIF8")     ? "gif"
                                             : "other";
}

// A message code by its number, so the logs pin the numbers message_code holds.
inline std::string code_number(MessageCode code) {
    return std::to_string(static_cast<int32_t>(code));
}

class RecordingLoginView : public LoginView {
public:
    explicit RecordingLoginView(SharedState& state) : state_(state) {}
    LoginForm login_form() override {
        log.add("form");
        return form;
    }
    void show_captcha(const ByteArray& picture) override {
        log.add("captcha", picture_kind(picture));
    }
    void show_message() override { log.add("message", code_number(state_.message_code)); }

    LoginForm form;
    CallLog log;

private:
    SharedState& state_;
};

// Stores the fields into a SharedState, as the window layer does on its thread.
class RecordingProfileView : public ProfileView {
public:
    explicit RecordingProfileView(SharedState& state) : state_(state) {}
    void set_status(std::string_view status) override { log.add("status", status); }
    void store_field(ProfileField field, std::string_view value) override {
        std::string* fields[] = {&state_.home_page_text, &state_.verify_hash,
                                 &state_.punch_verify,   &state_.db_balance,
                                 &state_.account_id,     &state_.account_level};
        *fields[static_cast<size_t>(field)] = value;
        log.add("store", std::to_string(static_cast<int>(field)));
    }
    void show_label(ProfileLabel label, std::string_view value) override {
        log.add("label" + std::to_string(static_cast<int>(label)), value);
    }
    void session_ended() override { log.add("session ended"); }

    CallLog log;

private:
    SharedState& state_;
};

class RecordingPunchView : public PunchView {
public:
    explicit RecordingPunchView(SharedState& state) : state_(state) {}
    void show_message() override { log.add("message", code_number(state_.message_code)); }
    void start_profile_worker() override { log.add("profile worker"); }
    void session_ended() override { log.add("session ended"); }

    CallLog log;

private:
    SharedState& state_;
};

// Steps its own caption like 标签4.
class RecordingDirectoryView : public BoardDirectoryView {
public:
    void clear_lists() override { log.add("clear"); }
    void add_board_name(std::string_view name) override { log.add("name", name); }
    void add_board_link(std::string_view link) override { log.add("link", link); }
    void status_step(DirectoryPhase phase) override {
        caption = directory_status_step(caption, phase).value_or(caption);
    }
    void show_failure(std::string_view failure) override { caption = failure; }
    void session_ended() override { log.add("session ended"); }

    std::string caption = "状态：暂无获取";
    CallLog log;
};

class RecordingThreadListView : public ThreadListView {
public:
    std::string board_address() override { return address; }
    void clear_thread_lists() override { log.add("clear"); }
    void set_fetch_enabled(bool enabled) override { log.add(enabled ? "enable" : "disable"); }
    void show_board_info(std::string_view text) override { log.add("info", text); }
    void add_thread_title(std::string_view title) override { log.add("title", title); }
    void add_post_id(std::string_view post_id) override { log.add("id", post_id); }
    std::string status() override { return caption; }
    void set_status(std::string_view status) override {
        caption = status;
        log.add("status", status);
    }
    void session_ended() override { log.add("session ended"); }

    std::string address;
    std::string caption = "状态：暂无获取";
    CallLog log;
};

class RecordingPostView : public PostView {
public:
    explicit RecordingPostView(SharedState& state) : state_(state) {}
    std::string post_id() override { return id; }
    std::string post_address() override { return address; }
    void show_message() override { log.add("message", code_number(state_.message_code)); }
    void show_popup_picture(const ByteArray& picture) override {
        log.add("popup", picture_kind(picture));
    }
    void show_body_picture(const ByteArray& picture) override {
        log.add("picture", picture_kind(picture));
    }
    void show_body(std::string_view text) override { log.add("body", text); }
    void show_title(std::string_view title) override { log.add("title", title); }
    void show_board(std::string_view board) override { log.add("board", board); }
    void session_ended() override { log.add("session ended"); }

    std::string id;
    std::string address;
    CallLog log;

private:
    SharedState& state_;
};

}  // namespace tamsor::testing
