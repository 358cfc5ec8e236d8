#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "image.h"

// The simulator draws its pictures itself, so it needs its own writers for the three formats.
// Each is the smallest form of the format that every decoder accepts.
namespace tamsor::sim {
namespace {

void put_u16_be(std::string& out, unsigned value) {
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

void put_u32_be(std::string& out, uint32_t value) {
    put_u16_be(out, value >> 16);
    put_u16_be(out, value & 0xFFFF);
}

void put_u16_le(std::string& out, unsigned value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void put_png_chunk(std::string& out, std::string_view type, std::string_view data) {
    put_u32_be(out, static_cast<uint32_t>(data.size()));
    std::string typed = std::string(type) + std::string(data);
    out += typed;
    auto crc =
        crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()));
    put_u32_be(out, static_cast<uint32_t>(crc));
}

// Writes bits most significant first, stuffing a zero byte after every 0xFF as JPEG requires.
class JpegBitWriter {
public:
    explicit JpegBitWriter(std::string& out) : out_(out) {}
    void put(unsigned bits, int count) {
        for (int i = count - 1; i >= 0; --i) {
            current_ = static_cast<uint8_t>((current_ << 1) | ((bits >> i) & 1));
            if (++filled_ == 8) {
                flush_byte();
            }
        }
    }
    void finish() {
        while (filled_ != 0) {
            put(1, 1);  // pad with ones
        }
    }

private:
    void flush_byte() {
        out_ += static_cast<char>(current_);
        if (current_ == 0xFF) {
            out_ += '\0';
        }
        current_ = 0;
        filled_ = 0;
    }
    std::string& out_;
    uint8_t current_ = 0;
    int filled_ = 0;
};

// The samples of one colour component over the 8x8 block at (block_x, block_y), level-shifted
// to be centred on zero; edges repeat the last row and column.
std::array<double, 64> block_samples(const Image& image, int block_x, int block_y, int component) {
    std::array<double, 64> samples{};
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            Rgb p = image.at(std::min(block_x * 8 + x, image.width - 1),
                             std::min(block_y * 8 + y, image.height - 1));
            double r = p.r, g = p.g, b = p.b;
            double values[3] = {0.299 * r + 0.587 * g + 0.114 * b,
                                128 - 0.168736 * r - 0.331264 * g + 0.5 * b,
                                128 + 0.5 * r - 0.418688 * g - 0.081312 * b};
            samples[static_cast<size_t>(y * 8 + x)] = values[component] - 128;
        }
    }
    return samples;
}

// Zig-zag position k -> row-major index within the block.
std::array<int, 64> zigzag_order() {
    std::array<int, 64> order{};
    int k = 0;
    for (int sum = 0; sum < 15; ++sum) {
        int low = std::max(0, sum - 7), high = std::min(sum, 7);
        for (int i = 0; i <= high - low; ++i) {
            int row = sum % 2 == 1 ? low + i : high - i;
            order[static_cast<size_t>(k++)] = row * 8 + (sum - row);
        }
    }
    return order;
}

// Quantiser of zig-zag position k: coarser for higher frequencies.
int quantiser(int k) {
    return 2 + k / 2;
}

// Coefficients of one block in zig-zag order, quantised.
std::array<int, 64> transform(const std::array<double, 64>& samples) {
    static const std::array<int, 64> order = zigzag_order();
    static const std::array<double, 64> cosines = [] {
        std::array<double, 64> table{};  // [frequency * 8 + position]
        for (int f = 0; f < 8; ++f) {
            for (int x = 0; x < 8; ++x) {
                table[static_cast<size_t>(f * 8 + x)] =
                    std::cos((2 * x + 1) * f * std::acos(-1.0) / 16);
            }
        }
        return table;
    }();
    std::array<int, 64> out{};
    for (int k = 0; k < 64; ++k) {
        int v = order[static_cast<size_t>(k)] / 8, u = order[static_cast<size_t>(k)] % 8;
        double sum = 0;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                sum += samples[static_cast<size_t>(y * 8 + x)] *
                       cosines[static_cast<size_t>(u * 8 + x)] *
                       cosines[static_cast<size_t>(v * 8 + y)];
            }
        }
        double scale = (u == 0 ? std::sqrt(0.5) : 1.0) * (v == 0 ? std::sqrt(0.5) : 1.0) / 4;
        out[static_cast<size_t>(k)] = static_cast<int>(std::lround(sum * scale / quantiser(k)));
    }
    return out;
}

int magnitude_bits(int value) {
    int bits = 0;
    while ((std::abs(value) >> bits) != 0) {
        ++bits;
    }
    return bits;
}

// The AC symbols, in code order: the Huffman table gives every one an 8-bit code equal to
// its position, which keeps the tables trivial at a small cost in size.
std::vector<uint8_t> ac_symbols() {
    std::vector<uint8_t> symbols = {0x00, 0xF0};
    for (int run = 0; run < 16; ++run) {
        for (int size = 1; size <= 10; ++size) {
            symbols.push_back(static_cast<uint8_t>(run << 4 | size));
        }
    }
    return symbols;
}

void put_value(JpegBitWriter& bits, int value, int size) {
    if (size > 0) {
        bits.put(static_cast<unsigned>(value >= 0 ? value : value + (1 << size) - 1), size);
    }
}

// Deflates rows as they are made, so a picture of any size costs only its compressed bytes.
class RowDeflater {
public:
    RowDeflater() { deflateInit(&stream_, Z_BEST_SPEED); }
    ~RowDeflater() { deflateEnd(&stream_); }
    RowDeflater(const RowDeflater&) = delete;
    RowDeflater& operator=(const RowDeflater&) = delete;

    void add(const std::string& row) { run(row, Z_NO_FLUSH); }
    std::string finish() {
        run({}, Z_FINISH);
        return std::move(packed_);
    }

private:
    void run(const std::string& input, int flush) {
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(input.data()));
        stream_.avail_in = static_cast<uInt>(input.size());
        char buffer[16384];
        do {
            stream_.next_out = reinterpret_cast<Bytef*>(buffer);
            stream_.avail_out = sizeof buffer;
            deflate(&stream_, flush);
            packed_.append(buffer, sizeof buffer - stream_.avail_out);
        } while (stream_.avail_out == 0);
    }

    z_stream stream_{};
    std::string packed_;
};

uint8_t palette_index(Rgb c) {
    return static_cast<uint8_t>((c.r >> 6) << 5 | (c.g >> 5) << 2 | c.b >> 6);
}

}  // namespace

std::string encode_png(const Image& image) {
    std::string raw;
    raw.reserve(static_cast<size_t>(image.height * (image.width * 3 + 1)));
    for (int y = 0; y < image.height; ++y) {
        raw += '\0';  // filter: none
        for (int x = 0; x < image.width; ++x) {
            Rgb p = image.at(x, y);
            raw += static_cast<char>(p.r);
            raw += static_cast<char>(p.g);
            raw += static_cast<char>(p.b);
        }
    }
    uLongf packed_size = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packed_size, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &packed_size,
             reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()));
    packed.resize(packed_size);

    std::string header;
    put_u32_be(header, static_cast<uint32_t>(image.width));
    put_u32_be(header, static_cast<uint32_t>(image.height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no interlace

    std::string out = "\x89PNG\r\n\x1a\n";
    put_png_chunk(out, "IHDR", header);
    put_png_chunk(out, "IDAT", packed);
    put_png_chunk(out, "IEND", "");
    return out;
}

std::string encode_jpeg(const Image& image) {
    static const std::vector<uint8_t> symbols = ac_symbols();
    std::array<int, 256> ac_code{};
    for (size_t i = 0; i < symbols.size(); ++i) {
        ac_code[symbols[i]] = static_cast<int>(i);
    }

    std::string out = "\xFF\xD8";
    out += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    out += std::string("\xFF\xDB\x00\x43\x00", 5);
    for (int k = 0; k < 64; ++k) {
        out += static_cast<char>(quantiser(k));
    }
    out += "\xFF\xC0";
    put_u16_be(out, 17);
    out += '\x08';
    put_u16_be(out, static_cast<unsigned>(image.height));
    put_u16_be(out, static_cast<unsigned>(image.width));
    out += std::string("\x03\x01\x11\x00\x02\x11\x00\x03\x11\x00", 10);
    // DC table: the twelve size categories, each a 4-bit code equal to the category.
    out += std::string("\xFF\xC4\x00\x1F\x00\x00\x00\x00\x0C", 9) + std::string(12, '\0') +
           std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B", 12);
    // AC table: every symbol an 8-bit code.
    out += "\xFF\xC4";
    put_u16_be(out, static_cast<unsigned>(2 + 1 + 16 + symbols.size()));
    out += std::string("\x10\x00\x00\x00\x00\x00\x00\x00", 8) + static_cast<char>(symbols.size()) +
           std::string(8, '\0') + std::string(symbols.begin(), symbols.end());
    out += std::string("\xFF\xDA\x00\x0C\x03\x01\x00\x02\x00\x03\x00\x00\x3F\x00", 14);

    JpegBitWriter bits(out);
    int previous[3] = {0, 0, 0};
    for (int block_y = 0; block_y * 8 < image.height; ++block_y) {
        for (int block_x = 0; block_x * 8 < image.width; ++block_x) {
            for (int component = 0; component < 3; ++component) {
                auto coefficients = transform(block_samples(image, block_x, block_y, component));
                int diff = coefficients[0] - previous[component];
                previous[component] = coefficients[0];
                bits.put(static_cast<unsigned>(magnitude_bits(diff)), 4);
                put_value(bits, diff, magnitude_bits(diff));
                int run = 0;
                for (size_t k = 1; k < 64; ++k) {
                    int value = coefficients[k];
                    if (value == 0) {
                        ++run;
                        continue;
                    }
                    for (; run > 15; run -= 16) {
                        bits.put(static_cast<unsigned>(ac_code[0xF0]), 8);
                    }
                    int size = magnitude_bits(value);
                    bits.put(static_cast<unsigned>(ac_code[static_cast<size_t>(run << 4 | size)]),
                             8);
                    put_value(bits, value, size);
                    run = 0;
                }
                if (run > 0) {
                    bits.put(static_cast<unsigned>(ac_code[0x00]), 8);  // end of block
                }
            }
        }
    }
    bits.finish();
    out += "\xFF\xD9";
    return out;
}

std::string encode_plain_interlaced_png(int side) {
    // The seven passes of the interlace: first column and row, then the steps between them.
    struct Pass {
        int x0, y0, dx, dy;
    };
    constexpr Pass passes[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                               {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    RowDeflater rows;
    for (const Pass& pass : passes) {
        const int width = (side - pass.x0 + pass.dx - 1) / pass.dx;
        const int height = (side - pass.y0 + pass.dy - 1) / pass.dy;
        std::string row(1, '\0');  // filter: none
        for (int x = 0; x < width; ++x) {
            row += std::string("\xC8\x3C\x3C\xFF", 4);
        }
        for (int y = 0; width > 0 && y < height; ++y) {
            rows.add(row);
        }
    }
    std::string header;
    put_u32_be(header, static_cast<uint32_t>(side));
    put_u32_be(header, static_cast<uint32_t>(side));
    header += std::string("\x08\x06\x00\x00\x01", 5);  // 8 bits, RGBA, deflate, interlaced

    std::string out = "\x89PNG\r\n\x1a\n";
    put_png_chunk(out, "IHDR", header);
    put_png_chunk(out, "IDAT", rows.finish());
    put_png_chunk(out, "IEND", "");
    return out;
}

std::string encode_plain_progressive_jpeg(int side) {
    std::string out = "\xFF\xD8";
    out += std::string("\xFF\xDB\x00\x43\x00", 5) + std::string(64, '\x01');
    out += "\xFF\xC2";  // progressive, Huffman coded
    put_u16_be(out, 17);
    out += '\x08';
    put_u16_be(out, static_cast<unsigned>(side));
    put_u16_be(out, static_cast<unsigned>(side));
    out += std::string("\x03\x01\x11\x00\x02\x11\x00\x03\x11\x00", 10);  // 4:4:4
    // DC table: category 0 alone, coded as one 0 bit (a code of all ones is not allowed).
    out += std::string("\xFF\xC4\x00\x14\x00\x01", 6) + std::string(15, '\0') + '\0';
    // The first DC scan of all three components; the AC coefficients are never sent.
    out += std::string("\xFF\xDA\x00\x0C\x03\x01\x00\x02\x00\x03\x00\x00\x00\x00", 14);
    const size_t blocks = static_cast<size_t>((side + 7) / 8) * static_cast<size_t>((side + 7) / 8);
    JpegBitWriter bits(out);
    for (size_t i = 0; i < blocks * 3; ++i) {
        bits.put(0, 1);  // no change of the DC value: one colour throughout
    }
    bits.finish();
    out += "\xFF\xD9";
    return out;
}

std::string encode_gif(const Image& image) {
    constexpr int kCodeSize = 7;
    constexpr uint8_t kClear = 1 << kCodeSize, kEnd = kClear + 1;
    // After each clear code the decoder's table grows by one entry per code; restarting well
    // before it reaches 256 keeps every code exactly 8 bits wide, so codes are plain bytes.
    constexpr int kRun = (1 << kCodeSize) - 3;

    std::string out = "GIF89a";
    put_u16_le(out, static_cast<unsigned>(image.width));
    put_u16_le(out, static_cast<unsigned>(image.height));
    out += std::string("\xE6\x00\x00", 3);  // global table of 128 colours
    for (int i = 0; i < 128; ++i) {
        out += static_cast<char>(((i >> 5) & 3) * 85);
        out += static_cast<char>(((i >> 2) & 7) * 255 / 7);
        out += static_cast<char>((i & 3) * 85);
    }
    out += '\x2C';
    put_u16_le(out, 0);
    put_u16_le(out, 0);
    put_u16_le(out, static_cast<unsigned>(image.width));
    put_u16_le(out, static_cast<unsigned>(image.height));
    out += '\0';
    out += static_cast<char>(kCodeSize);

    std::string codes;
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        if (i % kRun == 0) {
            codes += static_cast<char>(kClear);
        }
        codes += static_cast<char>(palette_index(image.pixels[i]));
    }
    codes += static_cast<char>(kEnd);
    for (size_t at = 0; at < codes.size(); at += 255) {
        std::string_view block = std::string_view(codes).substr(at, 255);
        out += static_cast<char>(block.size());
        out += block;
    }
    out += '\0';
    out += '\x3B';
    return out;
}

}  // namespace tamsor::sim
