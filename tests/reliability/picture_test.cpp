// Pictures from a hostile post: a header that declares a gigantic picture, pictures cut off
// half-way, and the largest pictures shown, in every box at once. None may cost the memory it
// asks for.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <zlib.h>

#include <QBuffer>
#include <QImageWriter>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "http/http_request.h"
#include "pictures.h"
#include "ui/picture_box.h"
#include "ui/post_viewer_window.h"
#include "ui_test_support.h"

namespace tamsor {
namespace {

void put_u32(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

void put_u16_le(std::string& out, uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void put_png_chunk(std::string& out, std::string_view type, std::string_view data) {
    put_u32(out, static_cast<uint32_t>(data.size()));
    const std::string body = std::string(type) + std::string(data);
    out += body;
    put_u32(out, static_cast<uint32_t>(
                     crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
}

// A well-formed PNG of side x side RGBA pixels whose data is a few kilobytes of zeros: what a
// reader would allocate is decided by the header alone.
std::string png_bomb(uint32_t side) {
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    put_u32(header, side);
    put_u32(header, side);
    header += std::string("\x08\x06\x00\x00\x00", 5);
    put_png_chunk(png, "IHDR", header);
    const std::string zeros(64 * 1024, '\0');
    uLongf packed_size = compressBound(zeros.size());
    std::string packed(packed_size, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &packed_size,
             reinterpret_cast<const Bytef*>(zeros.data()), zeros.size());
    packed.resize(packed_size);
    put_png_chunk(png, "IDAT", packed);
    put_png_chunk(png, "IEND", "");
    return png;
}

// A GIF whose screen and only image are side x side, with a tiny LZW stream.
std::string gif_bomb(uint16_t side) {
    std::string gif = "GIF89a";
    put_u16_le(gif, side);
    put_u16_le(gif, side);
    gif += std::string("\x80\x00\x00", 3);              // 2-colour table follows
    gif += std::string("\x00\x00\x00\xff\xff\xff", 6);  // black, white
    gif += ',';
    put_u16_le(gif, 0);
    put_u16_le(gif, 0);
    put_u16_le(gif, side);
    put_u16_le(gif, side);
    gif += std::string("\x00\x02\x02\x4c\x01\x00;", 7);  // code size 2, clear + one pixel + end
    return gif;
}

long peak_rss_kib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct PictureCase {
    const char* what;
    std::string bytes;
};

// Each case decodes to nothing, costs far less than it declares, and leaves a box empty.
void expect_no_picture(const std::vector<PictureCase>& cases) {
    for (const PictureCase& c : cases) {
        const long before = peak_rss_kib();
        EXPECT_TRUE(ui::decode_picture(c.bytes).isNull()) << c.what;
        // A decoded bomb would take gigabytes; a refused one costs what its bytes cost.
        EXPECT_LT(peak_rss_kib() - before, 64 * 1024) << c.what;

        ui::PictureBox box(nullptr, "box", QRect(0, 0, 100, 100), ui::PictureBox::Fit::stretch,
                           "box");
        box.set_picture_bytes(c.bytes);
        EXPECT_FALSE(box.has_picture()) << c.what;
    }
}

std::string whole_jpeg() {
    return sim::picture_named("hostile.jpg").value().bytes;
}

TEST(HostilePictures, DecompressionBombsAreRefusedBeforeTheyCostMemory) {
    expect_no_picture({
        {"PNG declaring 60000 x 60000", png_bomb(60000)},
        {"GIF declaring 60000 x 60000", gif_bomb(60000)},
        {"PNG declaring 2^31-1 square", png_bomb(0x7fffffff)},
        {"JPEG header only", whole_jpeg().substr(0, 20)},
    });
    // The same shapes at a sane size are pictures: what is refused is the size.
    EXPECT_FALSE(ui::decode_picture(gif_bomb(2)).isNull());
}

// A JPEG carrying, after its start marker, an application segment that holds a whole small
// JPEG of its own, as camera thumbnails do.
std::string with_thumbnail(const std::string& jpeg) {
    const std::string thumbnail = whole_jpeg();
    std::string segment = "\xFF\xE1";
    segment += static_cast<char>((thumbnail.size() + 2) >> 8);
    segment += static_cast<char>((thumbnail.size() + 2) & 0xFF);
    return jpeg.substr(0, 2) + segment + thumbnail + jpeg.substr(2);
}

// A small plain picture written by the toolkit in `format`.
std::string encoded_picture(const char* format, bool progressive = false) {
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image)) << format;
    return bytes.toStdString();
}

// The JPEG and GIF readers fill in what is missing and report success; half a picture must not
// be shown as if it were whole.
TEST(HostilePictures, TruncatedPicturesShowNothing) {
    const std::string jpeg = whole_jpeg();
    const std::string progressive = encoded_picture("jpeg", true);
    const std::string gif = sim::picture_named("hostile.gif").value().bytes;
    for (const std::string& whole :
         {jpeg, progressive, with_thumbnail(jpeg), jpeg + "trailer", gif, gif_bomb(2)}) {
        EXPECT_FALSE(ui::decode_picture(whole).isNull()) << "a whole picture is a picture";
    }
    // Cut anywhere before its last byte, a JPEG is refused before it is decoded; so is a GIF,
    // except without its one-byte trailer, which some writers leave out.
    struct Cuts {
        const std::string& whole;
        size_t whole_from;
    };
    for (const Cuts& cuts : {Cuts{jpeg, jpeg.size()}, Cuts{progressive, progressive.size()},
                             Cuts{gif, gif.size() - 1}}) {
        size_t shown = 0;
        for (size_t size = 0; size < cuts.whole_from; ++size) {
            shown += !ui::decode_picture(cuts.whole.substr(0, size)).isNull();
        }
        EXPECT_EQ(shown, 0u) << "of " << cuts.whole_from << " cuts";
    }
    expect_no_picture({
        {"JPEG cut in half", jpeg.substr(0, jpeg.size() / 2)},
        {"JPEG without its end marker", jpeg.substr(0, jpeg.size() - 2)},
        {"progressive JPEG cut after its first scans",
         progressive.substr(0, progressive.size() - 40)},
        {"JPEG cut, its thumbnail whole", with_thumbnail(jpeg).substr(0, jpeg.size() + 200)},
        {"GIF cut in its picture data", gif.substr(0, gif.size() / 2)},
        {"GIF cut in its colour table", gif.substr(0, 100)},
    });
}

// What the toolkit could read but a forum does not serve is not read at all, however it is
// labelled; the four forum formats are.
TEST(HostilePictures, OnlyForumPictureFormatsAreRead) {
    for (const char* format : {"png", "jpeg", "bmp"}) {
        EXPECT_FALSE(ui::decode_picture(encoded_picture(format)).isNull()) << format;
    }
    EXPECT_FALSE(ui::decode_picture(gif_bomb(2)).isNull());
    expect_no_picture({
        {"XPM", encoded_picture("xpm")},
        {"XBM", encoded_picture("xbm")},
        {"PPM", encoded_picture("ppm")},
        {"ICO", encoded_picture("ico")},
    });
}

// A line of /proc/self/status in MiB ("VmRSS", "VmHWM"); -1 when it cannot be read.
long status_mib(const std::string& key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with(key + ":")) {
            return std::stol(line.substr(key.size() + 1)) / 1024;
        }
    }
    return -1;
}

// Sets the peak resident size back to the present one.
bool reset_peak_memory() {
    std::ofstream clear_refs("/proc/self/clear_refs");
    clear_refs << "5";
    clear_refs.flush();
    return clear_refs.good();
}

using PictureMemory = test::ClientTest;

// The largest pictures a post may bring, in the shapes that cost their decoders most (an
// interlaced PNG and a progressive JPEG), in all three boxes at once: both thumbnails of the
// post viewer and the image viewer.
TEST_F(PictureMemory, ThreeBoxesOfTheLargestPicturesStayBounded) {
    if (test::built_with_sanitizer()) {
        GTEST_SKIP() << "a sanitizer's allocator holds on to freed memory";
    }
    using app::WindowKind;
    sim_.set_fault(sim::Fault::big_picture);
    const std::string png_url = "http://" + sim_.forum_host() + "/images/big.png";
    const ByteArray png = fetch_url_bytes(png_url);
    const ByteArray jpeg = fetch_url_bytes("http://" + sim_.forum_host() + "/images/big.jpg");
    program_->open_window(WindowKind::post_viewer);
    auto* post = program_->window_as<ui::PostViewerWindow>(WindowKind::post_viewer);
    ASSERT_NE(post, nullptr);
    program_->state().viewer_image_url = png_url;
    if (!reset_peak_memory()) {
        GTEST_SKIP() << "the peak memory cannot be reset here";
    }
    const long before = status_mib("VmRSS");

    post->show_popup_picture(jpeg);
    post->show_body_picture(png);
    program_->open_window(WindowKind::image_viewer);
    const long growth = status_mib("VmHWM") - before;

    for (auto [kind, name] : {std::pair{WindowKind::post_viewer, "图片框2"},
                              {WindowKind::post_viewer, "图片框3"},
                              {WindowKind::image_viewer, "图片框1"}}) {
        EXPECT_TRUE(control<ui::PictureBox>(kind, name)->has_picture()) << name;
    }
    RecordProperty("peak_growth_mib", static_cast<int>(growth));
    EXPECT_LT(growth, 250) << "MiB";
}

}  // namespace
}  // namespace tamsor
