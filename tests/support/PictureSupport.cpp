#include "support/PictureSupport.h"

#include <sys/wait.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <regex>
#include <sstream>

#include "base/graphics/TBitmap.h"
#include "base/graphics/TBitmapImage.h"
#include "platform/DibSections.h"

namespace TestSupport {

namespace {

// RFC 1321, section 3.
struct TMd5 {
    std::uint32_t State[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};

    static std::uint32_t Rotate(std::uint32_t x, int c) { return (x << c) | (x >> (32 - c)); }

    void Block(const std::uint8_t* p) {
        static const std::uint32_t k[64] = {
            0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
            0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
            0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
            0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
            0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
            0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
            0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
            0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};
        static const int r[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                  5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                  4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                  6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
        std::uint32_t m[16];
        for (int i = 0; i < 16; ++i)
            m[i] = p[4 * i] | (p[4 * i + 1] << 8) | (p[4 * i + 2] << 16) |
                   (static_cast<std::uint32_t>(p[4 * i + 3]) << 24);
        std::uint32_t a = State[0], b = State[1], c = State[2], d = State[3];
        for (int i = 0; i < 64; ++i) {
            std::uint32_t f;
            int g;
            if (i < 16) {
                f = (b & c) | (~b & d);
                g = i;
            } else if (i < 32) {
                f = (d & b) | (~d & c);
                g = (5 * i + 1) % 16;
            } else if (i < 48) {
                f = b ^ c ^ d;
                g = (3 * i + 5) % 16;
            } else {
                f = c ^ (b | ~d);
                g = (7 * i) % 16;
            }
            const std::uint32_t t = d;
            d = c;
            c = b;
            b = b + Rotate(a + f + k[i] + m[g], r[i]);
            a = t;
        }
        State[0] += a;
        State[1] += b;
        State[2] += c;
        State[3] += d;
    }
};

}  // namespace

std::string Md5Hex(const void* data, std::size_t size) {
    TMd5 md5;
    const auto* p = static_cast<const std::uint8_t*>(data);
    std::size_t i = 0;
    for (; i + 64 <= size; i += 64)
        md5.Block(p + i);
    std::uint8_t tail[128] = {};
    const std::size_t rest = size - i;
    std::memcpy(tail, p + i, rest);
    tail[rest] = 0x80;
    const std::size_t blocks = rest + 9 > 64 ? 2 : 1;
    const std::uint64_t bits = static_cast<std::uint64_t>(size) * 8;
    for (int b = 0; b < 8; ++b)
        tail[blocks * 64 - 8 + b] = static_cast<std::uint8_t>(bits >> (8 * b));
    for (std::size_t b = 0; b < blocks; ++b)
        md5.Block(tail + 64 * b);
    char out[33];
    for (int w = 0; w < 4; ++w)
        for (int b = 0; b < 4; ++b)
            std::snprintf(out + 8 * w + 2 * b, 3, "%02x", (md5.State[w] >> (8 * b)) & 0xFF);
    return std::string(out, 32);
}

std::vector<std::uint8_t> BitmapRgb(TBitmap& bitmap) {
    const int width = bitmap.GetWidth(), height = bitmap.GetHeight();
    std::vector<std::uint8_t> rgb;
    if (width <= 0 || height <= 0)
        return rgb;
    bitmap.EnsureHandle();
    Platform::TBitmapInfoHeader h;
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = -height;
    h.biPlanes = 1;
    h.biBitCount = 24;
    const std::size_t stride = ((static_cast<std::size_t>(width) * 24 + 31) / 32) * 4;
    std::vector<std::uint8_t> bgr(stride * height);
    Platform::GetDIBits(bitmap.Image()->Handle, h, nullptr, nullptr, 0, bgr.data());
    rgb.resize(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                rgb[(static_cast<std::size_t>(y) * width + x) * 3 + c] = bgr[y * stride + x * 3 + 2 - c];
    return rgb;
}

std::vector<std::uint8_t> BitmapRgba(TBitmap& bitmap) {
    const std::vector<std::uint8_t> rgb = BitmapRgb(bitmap);
    std::vector<std::uint8_t> rgba(rgb.size() / 3 * 4);
    for (std::size_t i = 0, j = 0; i < rgb.size(); i += 3, j += 4) {
        rgba[j] = rgb[i];
        rgba[j + 1] = rgb[i + 1];
        rgba[j + 2] = rgb[i + 2];
        rgba[j + 3] = 255;
    }
    return rgba;
}

std::vector<std::string> SourcesRow(const std::string& sourcesFile, const std::string& name) {
    std::ifstream in(sourcesFile);
    std::string line;
    const std::string start = "| " + name + " |";
    while (std::getline(in, line)) {
        if (line.rfind(start, 0) != 0)
            continue;
        std::vector<std::string> cells;
        std::stringstream s(line.substr(1));
        std::string cell;
        while (std::getline(s, cell, '|')) {
            const std::size_t a = cell.find_first_not_of(' '), b = cell.find_last_not_of(' ');
            cells.push_back(a == std::string::npos ? std::string() : cell.substr(a, b - a + 1));
        }
        return cells;
    }
    return {};
}

bool ParseSizeAndDigest(const std::string& cell, int& width, int& height, std::string& md5) {
    static const std::regex pattern(R"((\d+)x(\d+) `([0-9a-f]{32})`)");
    std::smatch m;
    if (!std::regex_search(cell, m, pattern))
        return false;
    width = std::stoi(m[1]);
    height = std::stoi(m[2]);
    md5 = m[3];
    return true;
}

std::string RunCommand(const std::string& command, int* status) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        if (status != nullptr)
            *status = -1;
        return out;
    }
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    const int raw = pclose(pipe);
    if (status != nullptr)
        *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

}  // namespace TestSupport
