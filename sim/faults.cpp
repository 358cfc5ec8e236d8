#include "faults.h"

#include <thread>

#include "hosts.h"
#include "image.h"
#include "pages.h"
#include "text/gbk.h"

namespace tamsor::sim {
namespace {

using std::chrono::milliseconds;

constexpr size_t kHugeBodyBytes = 100u << 20;
constexpr milliseconds kSlowDelay{2000};
constexpr milliseconds kLongestStall{120000};
// Ten bytes a second: a byte comes well inside any stall time-out, and a page still takes minutes.
constexpr milliseconds kTrickleInterval{100};
// As many pixels as a client can be expected to show (25 million), in files of a few hundred
// kilobytes at most.
constexpr int kBigPictureSide = 5000;

// Announces the whole body, sends half of it and then holds the connection silently until the
// server stops (or a long while has passed, so a forgotten client cannot hold it for ever).
void stall(ServerResponse& response) {
    std::string body = response.body.size() < 2 ? std::string(4096, ' ') : response.body;
    response.body.clear();
    response.stream_length = body.size();
    response.stream = [body = std::move(body)](BodySink& sink) {
        if (!sink.write(std::string_view(body).substr(0, body.size() / 2))) {
            return;
        }
        auto end = std::chrono::steady_clock::now() + kLongestStall;
        while (sink.open() && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(milliseconds(20));
        }
    };
}

ServerResponse huge_page() {
    ServerResponse response;
    response.headers = {{"Content-Type", "text/html; charset=gbk"}};
    response.stream_length = kHugeBodyBytes;
    response.stream = [](BodySink& sink) {
        std::string line = utf8_to_gbk("<p>这是一个非常非常长的页面。</p>\r\n");
        std::string chunk;
        while (chunk.size() < 65536) {
            chunk += line;
        }
        for (size_t sent = 0; sent < kHugeBodyBytes;) {
            size_t size = std::min(chunk.size(), kHugeBodyBytes - sent);
            if (!sink.write(std::string_view(chunk).substr(0, size))) {
                return;
            }
            sent += size;
        }
    };
    return response;
}

bool content_type_starts(const ServerResponse& response, std::string_view type) {
    for (const auto& [name, value] : response.headers) {
        if (name == "Content-Type") {
            return value.starts_with(type);
        }
    }
    return false;
}

// Puts bytes that no GBK decoder accepts before common opening tags. The markers the client
// cuts by stay whole, so a client that steps over bad bytes still finds everything.
std::string intersperse_invalid_gbk(const std::string& page) {
    static constexpr std::string_view kTags[] = {"<div", "<li", "<h2", "<p>", "<td"};
    std::string out;
    out.reserve(page.size() + page.size() / 20);
    for (size_t i = 0; i < page.size(); ++i) {
        if (page[i] == '<') {
            for (auto tag : kTags) {
                if (std::string_view(page).substr(i, tag.size()) == tag) {
                    out += "\xFF\x81";
                    break;
                }
            }
        }
        out += page[i];
    }
    return out;
}

// Pads the header block past 10 kB, keeping the answer's cookies and some more at its end.
void oversize_headers(ServerResponse& response) {
    HeaderList others, cookies;
    for (auto& header : response.headers) {
        (header.first == "Set-Cookie" ? cookies : others).push_back(std::move(header));
    }
    for (int i = 0; i < 120; ++i) {
        others.emplace_back("X-Padding-" + std::to_string(i), std::string(100, 'x'));
    }
    for (int i = 0; i < 5; ++i) {
        cookies.emplace_back("Set-Cookie", "tamsor_pad" + std::to_string(i) + "=" +
                                               std::string(200, 'c') + "; path=/");
    }
    others.insert(others.end(), cookies.begin(), cookies.end());
    response.headers = std::move(others);
}

struct BigPictures {
    std::string png = encode_plain_interlaced_png(kBigPictureSide);
    std::string jpeg = encode_plain_progressive_jpeg(kBigPictureSide);
};

// Made once, on first use (it takes a moment: the PNG is a hundred megabytes deflated).
const BigPictures& big_pictures() {
    static const BigPictures pictures;
    return pictures;
}

// Every picture becomes a big one of its own format; a GIF becomes a PNG.
void enlarge_picture(ServerResponse& response) {
    const bool is_jpeg = content_type_starts(response, "image/jpeg");
    response.body = is_jpeg ? big_pictures().jpeg : big_pictures().png;
    for (auto& [name, value] : response.headers) {
        if (name == "Content-Type") {
            value = is_jpeg ? "image/jpeg" : "image/png";
        }
    }
}

}  // namespace

void prepare_fault(Fault fault) {
    if (fault == Fault::big_picture) {
        big_pictures();
    }
}

std::optional<ServerResponse> fault_instead(Fault fault, const std::string& host,
                                            const ServerRequest& request) {
    switch (fault) {
        case Fault::reset: {
            ServerResponse response;
            response.reset = true;
            return response;
        }
        case Fault::redirect_loop: {
            ServerResponse response = gbk_page(notice_page("302", "页面已移动。"), 302);
            response.headers.emplace_back("Location", "http://" + host + request.target);
            return response;
        }
        case Fault::empty_200: {
            ServerResponse response = gbk_page("");
            return response;
        }
        case Fault::error_500:
            return gbk_page(notice_page("服务器错误", "服务器内部错误，请稍后再试。"), 500);
        case Fault::huge_body:
            return huge_page();
        default:
            return std::nullopt;
    }
}

void apply_fault(Fault fault, ServerResponse& response) {
    switch (fault) {
        case Fault::slow:
            response.delay = kSlowDelay;
            break;
        case Fault::stall:
            stall(response);
            break;
        case Fault::trickle:
            response.trickle = kTrickleInterval;
            break;
        case Fault::invalid_gbk:
            if (content_type_starts(response, "text/html")) {
                response.body = intersperse_invalid_gbk(response.body);
            }
            break;
        case Fault::oversize_headers:
            oversize_headers(response);
            break;
        case Fault::cut_pictures:
            // As if the picture files themselves had been cut short: the answer is whole.
            if (content_type_starts(response, "image/")) {
                response.body.resize(response.body.size() / 2);
            }
            break;
        case Fault::big_picture:
            if (content_type_starts(response, "image/")) {
                enlarge_picture(response);
            }
            break;
        default:
            break;
    }
}

}  // namespace tamsor::sim
