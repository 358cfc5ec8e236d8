// Times the forum operations' page readers on megabyte pages: each operation runs as the
// program runs it, its fetches answered from memory (memory_network.h), so what is timed is
// the decoding, cutting and cleaning of the page and the copies its window would keep. Then the
// decoding and the pattern matcher alone on the same pages.
//
//   tamsor_reader_bench [benchmark options]
//   tamsor_reader_bench --write-pages DIR   writes the pages for the script peer and stops
//   tamsor_reader_bench --check             prints what each reader found and stops
#include <benchmark/benchmark.h>

#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "big_pages.h"
#include "forum/page_patterns.h"
#include "forum/shared_state.h"
#include "http/url.h"
#include "keeping_views.h"
#include "memory_network.h"
#include "text/charset.h"
#include "text/gbk.h"
#include "text/replacement_table.h"
#include "text/strings.h"

namespace tamsor::bench {
namespace {

const ForumHosts kHosts{"127.0.0.1:1", "127.0.0.1:2"};
const Network& kNet = memory_network::network();
const std::string kBoardAddress = kHosts.forum_root_url() + "thread.php?fid=11";
const std::string kPostAddress = kHosts.forum_root_url() + "r11001/";
const std::string kLongLinePostAddress = kHosts.forum_root_url() + "r11002/";

// The operations' own patterns, for the matcher benchmarks below.
constexpr std::string_view kBoardNamePattern = board_name_pattern;
constexpr std::string_view kBoardLinkPattern = board_link_pattern;
constexpr std::string_view kTitlePattern = thread_title_pattern;
constexpr std::string_view kThreadIdPattern = thread_id_pattern;

void serve_big_pages() {
    const BigPages& pages = big_pages();
    memory_network::serve(kHosts.forum_root_url(), pages.start_page);
    memory_network::serve(kBoardAddress, pages.board_page);
    memory_network::serve(kPostAddress, pages.post_page);
    memory_network::serve(kLongLinePostAddress, pages.long_line_post);
}

void BM_ReadProfile(benchmark::State& state) {
    KeepingProfileView view;
    for (auto _ : state) {
        fetch_profile(kHosts, view, std::nullopt, kNet);
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(big_pages().start_page.size()));
}

void BM_ReadDirectory(benchmark::State& state) {
    KeepingDirectoryView view;
    for (auto _ : state) {
        load_board_directory(kHosts, view, kNet);
    }
    state.SetBytesProcessed(state.iterations() * 2 *
                            static_cast<int64_t>(big_pages().start_page.size()));
}

void BM_ReadThreadList(benchmark::State& state) {
    KeepingThreadListView view(kBoardAddress);
    for (auto _ : state) {
        load_thread_list(kHosts, view, kNet);
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<int64_t>(big_pages().board_page.size()));
}

// The program's one SharedState lives for the whole run, its post_regex with it.
void BM_ReadPost(benchmark::State& state, const std::string* address, const std::string* page) {
    SharedState shared;
    KeepingPostView view(*address);
    for (auto _ : state) {
        read_post(kHosts, shared, view, kNet);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page->size()));
}

// The decoding every reader starts with, alone.
void BM_PageText(benchmark::State& state, const std::string BigPages::*page_of) {
    const std::string& page = big_pages().*page_of;
    for (auto _ : state) {
        benchmark::DoNotOptimize(decode_page(page, ""));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}

// The post page as the other forums send it: one that writes UTF-8, and one that writes GB18030
// with a character beyond GBK, a four-byte code, in place of every "帖".
struct OtherCharsetPage {
    std::string bytes;
    const char* content_type;
};
const OtherCharsetPage& utf8_post_page() {
    static const OtherCharsetPage page{gb18030_to_utf8(big_pages().post_page),
                                       "text/html; charset=utf-8"};
    return page;
}
const OtherCharsetPage& four_byte_post_page() {
    static const OtherCharsetPage page{
        utf8_to_gb18030(replace_all(gb18030_to_utf8(big_pages().post_page), "帖", "𠀀")),
        "text/html; charset=gb18030"};
    return page;
}

void BM_DecodePage(benchmark::State& state, const OtherCharsetPage& (*page_of)()) {
    const OtherCharsetPage& page = page_of();
    for (auto _ : state) {
        benchmark::DoNotOptimize(decode_page(page.bytes, page.content_type));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.bytes.size()));
}

// The subjects the operations hand the matcher: decoded pages, and post bodies cut out of them.
struct Subjects {
    std::string start_page;
    std::string board_page;
    std::string post_body;
    std::string long_line_body;
};

std::string post_body(const std::string& page_bytes) {
    return text_between(decode_page(page_bytes, ""), R"(<div class="f14 mb10" id="read_tpc">)",
                        "</div>\r\n\r\n\t\t</div>\r\n<!--content_read-->");
}

const Subjects& subjects() {
    static const Subjects decoded{
        decode_page(big_pages().start_page, ""), decode_page(big_pages().board_page, ""),
        post_body(big_pages().post_page), post_body(big_pages().long_line_post)};
    return decoded;
}

// The matcher alone: one global execute over a subject the operations would hand it.
void BM_Regex(benchmark::State& state, std::string_view pattern,
              std::string Subjects::*subject_of) {
    const std::string& subject = subjects().*subject_of;
    RegexObject regex;
    for (auto _ : state) {
        regex.execute(pattern, subject, true, true, true);
        benchmark::DoNotOptimize(regex.match_count());
    }
    state.counters["matches"] = regex.match_count();
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(subject.size()));
}

// The body cleanup alone over the post body as the reader hands it over (without the text of the
// first picture), in one pass as the reader runs it and row by row as the table reads.
void BM_CleanPostBody(benchmark::State& state, bool row_by_row) {
    static const std::string body = [] {
        RegexObject regex;
        regex.execute(image_pattern, subjects().post_body, true, true, false);
        return replace_all(subjects().post_body, regex.match_text(1), "");
    }();
    for (auto _ : state) {
        benchmark::DoNotOptimize(row_by_row ? replace_row_by_row(post_body_cleanup_rows(), body)
                                            : clean_post_body(body));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(body.size()));
}

// The five patterns over the simulator's own pages, as one session runs them: on pages this
// small, compiling a pattern costs more than matching it, so this shows what the compiled
// patterns kept per thread save.
void BM_RegexSessionPages(benchmark::State& state) {
    const BigPages& pages = simulator_pages();
    const std::string start = decode_page(pages.start_page, "");
    const std::string board = decode_page(pages.board_page, "");
    const std::string body = post_body(pages.post_page);
    const std::pair<std::string_view, const std::string*> runs[] = {{kBoardNamePattern, &start},
                                                                    {kBoardLinkPattern, &start},
                                                                    {kTitlePattern, &board},
                                                                    {kThreadIdPattern, &board},
                                                                    {image_pattern, &body}};
    RegexObject regex;
    for (auto _ : state) {
        for (const auto& [pattern, subject] : runs) {
            regex.execute(pattern, *subject, true, true, true);
            benchmark::DoNotOptimize(regex.match_count());
        }
    }
}

BENCHMARK(BM_ReadProfile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDirectory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadThreadList)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadPost, post, &kPostAddress, &big_pages().post_page)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ReadPost, long_line_post, &kLongLinePostAddress, &big_pages().long_line_post)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PageText, start_page, &BigPages::start_page)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PageText, board_page, &BigPages::board_page)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PageText, post_page, &BigPages::post_page)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodePage, utf8_post_page, utf8_post_page)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DecodePage, four_byte_post_page, four_byte_post_page)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Regex, board_names, kBoardNamePattern, &Subjects::start_page)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Regex, board_links, kBoardLinkPattern, &Subjects::start_page)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Regex, thread_titles, kTitlePattern, &Subjects::board_page)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Regex, thread_ids, kThreadIdPattern, &Subjects::board_page)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Regex, post_pictures, image_pattern, &Subjects::post_body)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Regex, long_line_pictures, image_pattern, &Subjects::long_line_body)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CleanPostBody, one_pass, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CleanPostBody, row_by_row, true)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegexSessionPages)->Unit(benchmark::kMicrosecond);

bool write_pages(const std::string& folder) {
    const BigPages& pages = big_pages();
    const std::pair<const char*, const std::string*> files[] = {
        {"start_page.html", &pages.start_page},
        {"board_page.html", &pages.board_page},
        {"post_page.html", &pages.post_page},
        {"long_line_post.html", &pages.long_line_post},
    };
    for (const auto& [name, bytes] : files) {
        std::ofstream out(folder + "/" + name, std::ios::binary);
        out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
        if (!out) {
            std::cerr << "cannot write " << folder << "/" << name << '\n';
            return false;
        }
    }
    return true;
}

// What the readers find, so a page that stopped matching shows up before it is timed.
void print_check() {
    const BigPages& pages = big_pages();
    KeepingProfileView profile;
    fetch_profile(kHosts, profile, std::nullopt, kNet);
    KeepingDirectoryView directory;
    load_board_directory(kHosts, directory, kNet);
    KeepingThreadListView threads(kBoardAddress);
    load_thread_list(kHosts, threads, kNet);
    SharedState shared;
    KeepingPostView post(kPostAddress);
    read_post(kHosts, shared, post, kNet);
    const std::string picture = shared.viewer_image_url;
    KeepingPostView long_line(kLongLinePostAddress);
    read_post(kHosts, shared, long_line, kNet);

    std::cout << "start page " << pages.start_page.size() << " bytes: " << directory.names.size()
              << " names, " << directory.links.size() << " links, profile";
    for (size_t field = 1; field < profile.fields.size(); ++field) {
        std::cout << " [" << profile.fields[field] << "]";
    }
    std::cout << "\nboard page " << pages.board_page.size() << " bytes: " << threads.titles.size()
              << " titles, " << threads.post_ids.size() << " ids, last title ["
              << threads.titles.back() << "]\npost page " << pages.post_page.size()
              << " bytes: body " << post.body.size() << " bytes, picture [" << picture
              << "], title [" << post.title << "], board [" << post.board << "]\nlong-line post "
              << pages.long_line_post.size() << " bytes: body " << long_line.body.size()
              << " bytes, picture [" << shared.viewer_image_url << "]\n";
}

}  // namespace
}  // namespace tamsor::bench

int main(int argc, char** argv) {
    tamsor::bench::serve_big_pages();
    if (argc == 3 && std::strcmp(argv[1], "--write-pages") == 0) {
        return tamsor::bench::write_pages(argv[2]) ? 0 : 1;
    }
    if (argc == 2 && std::strcmp(argv[1], "--check") == 0) {
        tamsor::bench::print_check();
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
