#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "forum/board_directory.h"
#include "forum/post_reader.h"
#include "forum/profile.h"
#include "forum/thread_list.h"

// Views that keep what the windows would show, in plain containers, so that a benchmark times
// the operation and the copies the window layer makes, and nothing of Qt.
namespace tamsor::bench {

class KeepingProfileView : public ProfileView {
public:
    void set_status(std::string_view status) override { this->status = status; }
    void store_field(ProfileField field, std::string_view value) override {
        fields[static_cast<size_t>(field)] = value;
    }
    void show_label(ProfileLabel, std::string_view) override {}

    std::string status;
    std::array<std::string, 6> fields;
};

class KeepingDirectoryView : public BoardDirectoryView {
public:
    void clear_lists() override {
        names.clear();
        links.clear();
    }
    void add_board_name(std::string_view name) override { names.emplace_back(name); }
    void add_board_link(std::string_view link) override { links.emplace_back(link); }
    void status_step(DirectoryPhase phase) override {
        caption = directory_status_step(caption, phase).value_or(caption);
    }

    std::vector<std::string> names;
    std::vector<std::string> links;
    std::string caption = "状态：暂无获取";
};

class KeepingThreadListView : public ThreadListView {
public:
    explicit KeepingThreadListView(std::string address) : address_(std::move(address)) {}
    std::string board_address() override { return address_; }
    void clear_thread_lists() override {
        titles.clear();
        post_ids.clear();
    }
    void set_fetch_enabled(bool) override {}
    void show_board_info(std::string_view text) override { info = text; }
    void add_thread_title(std::string_view title) override { titles.emplace_back(title); }
    void add_post_id(std::string_view post_id) override { post_ids.emplace_back(post_id); }
    std::string status() override { return caption; }
    void set_status(std::string_view status) override { caption = status; }

    std::string info;
    std::vector<std::string> titles;
    std::vector<std::string> post_ids;
    std::string caption = "状态：暂无获取";

private:
    std::string address_;
};

class KeepingPostView : public PostView {
public:
    explicit KeepingPostView(std::string address) : address_(std::move(address)) {}
    std::string post_id() override { return "r1"; }
    std::string post_address() override { return address_; }
    void show_message() override {}
    void show_popup_picture(const ByteArray&) override {}
    void show_body_picture(const ByteArray&) override {}
    void show_body(std::string_view text) override { body = text; }
    void show_title(std::string_view title) override { this->title = title; }
    void show_board(std::string_view board) override { this->board = board; }

    std::string body;
    std::string title;
    std::string board;

private:
    std::string address_;
};

}  // namespace tamsor::bench
