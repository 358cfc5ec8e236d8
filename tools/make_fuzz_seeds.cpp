// Writes the fuzz targets' first inputs from the simulated forum: the pages as the client
// receives them (GBK bytes), under a normal run and under the faults that change page bodies.
// Run once by hand when the pages change: tamsor-make-fuzz-seeds <corpus folder>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "catalogue.h"
#include "forum/login.h"
#include "http/http_request.h"
#include "http/url.h"
#include "pictures.h"
#include "simulator.h"
#include "text/charset.h"
#include "text/gbk.h"

using namespace tamsor;

namespace {

std::filesystem::path corpus_root;

// Seeds stay small: libFuzzer takes its longest input from the corpus.
void save(const std::string& target, const std::string& name, std::string_view bytes) {
    const std::filesystem::path folder = corpus_root / target;
    std::filesystem::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary)
        .write(bytes.data(),
               static_cast<std::streamsize>(std::min<size_t>(bytes.size(), 64 << 10)));
}

std::string joined(std::initializer_list<std::string_view> arguments) {
    std::string input;
    for (std::string_view argument : arguments) {
        input += (input.empty() ? "" : std::string(1, '\0')) + std::string(argument);
    }
    return input;
}

void sign_in(sim::Simulator& sim, const ForumHosts& hosts) {
    fetch_url_bytes(hosts.account_url(std::string(captcha_path)));
    const sim::DemoAccount& account = sim::Simulator::demo_accounts()[0];
    HttpRequest login;
    login.url = hosts.account_url("/index.php");
    login.method = HttpMethod::post;
    login.post_text =
        login_form_body(hosts, {account.name, account.password, sim.last_captcha_code()});
    const HttpResponse answer = http_request(login);
    save("cookies_fuzz", "login", joined({"a=1; sid=old", answer.new_cookies}));
}

void save_pages(const ForumHosts& hosts, const std::string& suffix) {
    const ByteArray start = fetch_url_bytes(hosts.forum_root_url());
    save("profile_reader_fuzz", "home" + suffix, start);
    save("directory_reader_fuzz", "start" + suffix, start);
    const sim::Board& board = sim::boards()[0];
    const ByteArray board_page =
        fetch_url_bytes(hosts.forum_root_url() + "thread.php?fid=" + std::to_string(board.fid));
    save("thread_list_reader_fuzz", "board" + suffix, board_page);
    // One post of every shape: pop-up or not, two, one or no picture lines.
    for (int n = 1; n <= 4; ++n) {
        const int tid = board.fid * 1000 + n;
        const ByteArray post =
            fetch_url_bytes(hosts.forum_root_url() + "r" + std::to_string(tid) + "/");
        save("post_reader_fuzz", "post" + std::to_string(n) + suffix, post);
        save("regex_image_fuzz", "post" + std::to_string(n) + suffix,
             text_between(post, "read_tpc\">", "<!--content_read-->"));
        save("replacement_table_fuzz", "post" + std::to_string(n) + suffix,
             std::string(1, '\0') +
                 text_between(decode_page(post, ""), "read_tpc\">", "<!--content_read-->"));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tamsor-make-fuzz-seeds <corpus folder>\n";
        return 2;
    }
    corpus_root = argv[1];
    sim::Simulator sim;
    if (!sim.start()) {
        std::cerr << "the simulator did not start\n";
        return 1;
    }
    const ForumHosts hosts{sim.account_host(), sim.forum_host()};
    sign_in(sim, hosts);
    save_pages(hosts, "");
    for (sim::Fault fault : {sim::Fault::invalid_gbk, sim::Fault::foreign_schemes}) {
        sim.set_fault(fault);
        save_pages(hosts, "_" + sim::fault_name(fault));
    }
    sim.set_fault(sim::Fault::none);

    const ByteArray board_page = fetch_url_bytes(
        hosts.forum_root_url() + "thread.php?fid=" + std::to_string(sim::boards()[0].fid));
    save("gbk_fuzz", "board", board_page.substr(0, 4096));
    for (const sim::Thread& thread : sim::threads_of(sim::boards()[1])) {
        save("cleanup_fuzz", "title" + std::to_string(thread.tid),
             "\x03" + joined({thread.raw_title, ","}));
        save("replacement_table_fuzz", "title" + std::to_string(thread.tid),
             "\x01" + thread.raw_title);
    }
    // Rows of its own: a removal that joins a later row, a row that puts in what a later removes.
    save("replacement_table_fuzz", "rows",
         "\x02" + joined({"<b>\n<div>\n&lt;\t<\ncenter", "<di<b>v>&lt;b>中cencenterter"}));
    save("url_fuzz", "page",
         joined({"http://Example.COM:8080/thread.php?fid=2#引号", "fid=", "#引号"}));
    save("url_fuzz", "schemeless", joined({"127.0.0.1:18081/r1/?next=https://x/", "://", "/"}));
    save("regex_pattern_fuzz", "names",
         "\x07" + joined({R"(<h2 class="forumT mr10">(.*?)</h2>)", decode_page(board_page, "")}));
    // The first byte picks the walk: even for JPEG, odd for GIF.
    for (const char* picture : {"p11001_2.jpg", "popup_11001.jpg", "p11001_3.gif"}) {
        const std::string bytes = sim::picture_named(picture).value().bytes;
        const char walk = bytes.starts_with("GIF") ? 1 : 0;
        save("picture_ends_fuzz", picture, std::string(1, walk) + bytes);
    }
    save("regex_pattern_fuzz", "quotes",
         "\x0f" + joined({R"(<a href=#引号(.*?)#引号)", R"(<a href="x">中文</a>)"}));
    return 0;
}
