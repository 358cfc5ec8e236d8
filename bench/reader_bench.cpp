// Times what the forum operations do with a page once its bytes are in: the page readers, and
// the pattern matcher alone on the same pages.
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
#include "forum/post_reader.h"
#include "http/url.h"
#include "page_readers.h"
#include "text/gbk.h"

namespace tamsor::bench {
namespace {

void BM_ReadProfile(benchmark::State& state) {
    const std::string& page = big_pages().start_page;
    for (auto _ : state) {
        benchmark::DoNotOptimize(read_profile(page));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}

void BM_ReadDirectory(benchmark::State& state) {
    const std::string& page = big_pages().start_page;
    RegexObject regex;
    for (auto _ : state) {
        benchmark::DoNotOptimize(read_directory(regex, page, page));
    }
    state.SetBytesProcessed(state.iterations() * 2 * static_cast<int64_t>(page.size()));
}

void BM_ReadThreadList(benchmark::State& state) {
    const std::string& page = big_pages().board_page;
    RegexObject regex;
    for (auto _ : state) {
        benchmark::DoNotOptimize(read_thread_list(regex, page));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}

void read_post_bench(benchmark::State& state, const std::string& page) {
    RegexObject regex;
    for (auto _ : state) {
        benchmark::DoNotOptimize(read_post_page(regex, page));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}
void BM_ReadPost(benchmark::State& state) {
    read_post_bench(state, big_pages().post_page);
}
void BM_ReadLongLinePost(benchmark::State& state) {
    read_post_bench(state, big_pages().long_line_post);
}

// The decoding every reader starts with, alone.
void BM_PageText(benchmark::State& state, const std::string BigPages::*page_of) {
    const std::string& page = big_pages().*page_of;
    for (auto _ : state) {
        benchmark::DoNotOptimize(page_text(page));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(page.size()));
}

// The subjects the operations hand the matcher: decoded pages, and post bodies cut out of them.
struct Subjects {
    std::string start_page;
    std::string board_page;
    std::string post_body;
    std::string long_line_body;
};

std::string post_body(const std::string& page_bytes) {
    return text_between(page_text(page_bytes), R"(<div class="f14 mb10" id="read_tpc">)",
                        "</div>\r\n\r\n\t\t</div>\r\n<!--content_read-->");
}

const Subjects& subjects() {
    static const Subjects decoded{
        page_text(big_pages().start_page), page_text(big_pages().board_page),
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

BENCHMARK(BM_ReadProfile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDirectory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadThreadList)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPost)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLongLinePost)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PageText, start_page, &BigPages::start_page)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PageText, board_page, &BigPages::board_page)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PageText, post_page, &BigPages::post_page)->Unit(benchmark::kMillisecond);
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
    RegexObject regex;
    const DirectoryRead directory = read_directory(regex, pages.start_page, pages.start_page);
    const ThreadListRead threads = read_thread_list(regex, pages.board_page);
    const PostRead post = read_post_page(regex, pages.post_page);
    const PostRead long_line = read_post_page(regex, pages.long_line_post);
    const std::vector<std::string> profile = read_profile(pages.start_page);
    std::cout << "start page " << pages.start_page.size() << " bytes: " << directory.names.size()
              << " names, " << directory.links.size() << " links, profile";
    for (const std::string& value : profile) {
        std::cout << " [" << value << "]";
    }
    std::cout << "\nboard page " << pages.board_page.size() << " bytes: " << threads.titles.size()
              << " titles, " << threads.post_ids.size() << " ids, last title ["
              << threads.titles.back() << "]\npost page " << pages.post_page.size()
              << " bytes: body " << post.body.size() << " bytes, picture [" << post.picture_url
              << "], title [" << post.title << "], board [" << post.board << "]\nlong-line post "
              << pages.long_line_post.size() << " bytes: body " << long_line.body.size()
              << " bytes, picture [" << long_line.picture_url.substr(0, 60) << "...]\n";
}

}  // namespace
}  // namespace tamsor::bench

int main(int argc, char** argv) {
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
