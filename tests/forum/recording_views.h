#pragma once

#include <chrono>
#include <mutex>
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

class CallLog {
public:
    void add(std::string line) {
        std::lock_guard lock(mutex_);
        lines_.push_back(std::move(line));
    }
    void clear() {
        std::lock_guard lock(mutex_);
        lines_.clear();
    }
    std::vector<std::string> lines() const {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    // The lines that start with `prefix`, without it.
    std::vector<std::string> with_prefix(std::string_view prefix) const {
        std::vector<std::string> found;
        for (const std::string& line : lines()) {
            if (line.starts_with(prefix)) {
                found.push_back(line.substr(prefix.size()));
            }
        }
        return found;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

// Names a picture by its format, so that logs of real pictures stay comparable.
inline std::string picture_line(std::string_view what, const ByteArray& picture) {
    std::string kind = std::to_string(picture.size()) + " bytes";
    if (picture.starts_with("\x89PNG")) {
        kind = "png";
    } else if (picture.starts_with("\xFF\xD8")) {
        kind = "jpeg";
    } else if (picture.starts_with("GIF8")) {
        kind = "gif";
    }
    return std::string(what) + ":" + kind;
}

class RecordingLoginView : public LoginView {
public:
    RecordingLoginView(SharedState& state, LoginForm form)
        : state_(state), form_(std::move(form)) {}
    LoginForm login_form() override {
        log.add("form");
        return form_;
    }
    void show_captcha(const ByteArray& picture) override {
        captcha = picture;
        log.add(picture_line("captcha", picture));
    }
    void show_message() override { log.add("message:" + std::to_string(state_.message_code)); }
    void set_form(LoginForm form) { form_ = std::move(form); }

    CallLog log;
    ByteArray captcha;

private:
    SharedState& state_;
    LoginForm form_;
};

inline std::string_view field_name(ProfileField field) {
    constexpr std::string_view names[] = {"home_page_text", "verify_hash", "punch_verify",
                                          "db_balance",     "account_id",  "account_level"};
    return names[static_cast<size_t>(field)];
}

inline std::string_view label_name(ProfileLabel label) {
    constexpr std::string_view names[] = {"DB", "QuendaID", "等级"};
    return names[static_cast<size_t>(label)];
}

// Stores the fields into a SharedState as the window layer does, and records the rest.
class RecordingProfileView : public ProfileView {
public:
    explicit RecordingProfileView(SharedState& state) : state_(state) {}
    void set_status(std::string_view status) override {
        log.add("status:" + std::string(status));
        std::lock_guard lock(state_mutex_);
        status_times.emplace_back(status, std::chrono::steady_clock::now());
    }
    void store_field(ProfileField field, std::string_view value) override {
        store(field, value);
        // The whole page would drown the log; its content is checked through the state.
        const bool whole_page = field == ProfileField::home_page_text;
        log.add("store:" + std::string(field_name(field)) +
                (whole_page ? std::string() : "=" + std::string(value)));
    }
    void show_label(ProfileLabel label, std::string_view value) override {
        log.add("label:" + std::string(label_name(label)) + "=" + std::string(value));
    }

    CallLog log;
    std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>> status_times;

private:
    void store(ProfileField field, std::string_view value) {
        std::lock_guard lock(state_mutex_);
        std::string* fields[] = {&state_.home_page_text, &state_.verify_hash,
                                 &state_.punch_verify,   &state_.db_balance,
                                 &state_.account_id,     &state_.account_level};
        *fields[static_cast<size_t>(field)] = value;
    }

    SharedState& state_;
    std::mutex state_mutex_;
};

class RecordingPunchView : public PunchView {
public:
    explicit RecordingPunchView(SharedState& state) : state_(state) {}
    void show_message() override { log.add("message:" + std::to_string(state_.message_code)); }
    void start_profile_worker() override { log.add("profile worker"); }

    CallLog log;

private:
    SharedState& state_;
};

// Applies status steps to its own caption like 标签4 does.
class RecordingDirectoryView : public BoardDirectoryView {
public:
    void clear_lists() override { log.add("clear"); }
    void add_board_name(std::string_view name) override { log.add("name:" + std::string(name)); }
    void add_board_link(std::string_view link) override { log.add("link:" + std::string(link)); }
    void status_step(int phase) override {
        std::lock_guard lock(caption_mutex_);
        if (auto next = directory_status_step(caption_, phase)) {
            caption_ = *next;
        }
    }
    std::string caption() const {
        std::lock_guard lock(caption_mutex_);
        return caption_;
    }

    CallLog log;

private:
    mutable std::mutex caption_mutex_;
    std::string caption_ = "状态：暂无获取";
};

class RecordingThreadListView : public ThreadListView {
public:
    std::string board_address() override { return address; }
    void clear_thread_lists() override { log.add("clear"); }
    void set_fetch_enabled(bool enabled) override {
        fetch_enabled = enabled;
        log.add(enabled ? "enable" : "disable");
    }
    void show_board_info(std::string_view text) override { log.add("info:" + std::string(text)); }
    void add_thread_title(std::string_view title) override {
        log.add("title:" + std::string(title));
    }
    void add_post_id(std::string_view post_id) override { log.add("id:" + std::string(post_id)); }
    std::string status() override { return caption; }
    void set_status(std::string_view status) override {
        caption = status;
        log.add("status:" + caption);
    }

    std::string address;
    std::string caption = "状态：暂无获取";
    bool fetch_enabled = true;
    CallLog log;
};

class RecordingPostView : public PostView {
public:
    explicit RecordingPostView(SharedState& state) : state_(state) {}
    std::string post_id() override { return id; }
    std::string post_address() override { return address; }
    void show_message() override { log.add("message:" + std::to_string(state_.message_code)); }
    void show_popup_picture(const ByteArray& picture) override {
        popup_picture = picture;
        log.add(picture_line("popup", picture));
    }
    void show_body_picture(const ByteArray& picture) override {
        body_picture = picture;
        log.add(picture_line("picture", picture));
    }
    void show_body(std::string_view text) override { log.add("body:" + std::string(text)); }
    void show_title(std::string_view title) override { log.add("title:" + std::string(title)); }
    void show_board(std::string_view board) override { log.add("board:" + std::string(board)); }

    std::string id;
    std::string address;
    ByteArray popup_picture;
    ByteArray body_picture;
    CallLog log;

private:
    SharedState& state_;
};

}  // namespace tamsor::testing
