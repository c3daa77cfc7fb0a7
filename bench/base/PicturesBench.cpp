// PNG decoding and encoding against libpng, inflating against zlib's own
// uncompress, and zipping and unzipping a 200 MB folder against zip and
// unzip, measured in one run so that the ratios compare like with like.

#include <benchmark/benchmark.h>
#include <png.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "base/core/Compression.h"
#include "base/core/TCustomZStream.h"
#include "base/core/TMemoryStream.h"
#include "base/core/TReadOnlyMemoryStream.h"
#include "base/files/TUnpackedZip.h"
#include "base/files/TZipFile.h"
#include "base/graphics/TCanvas.h"
#include "base/pictures/TPNGImage.h"
#include "platform/Files.h"

namespace {

// A 1024 x 768 photo-like picture: smooth gradients with some noise.
std::vector<std::uint8_t> TestRgb(int width, int height) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
            const int noise = static_cast<int>(random() % 9) - 4;
            p[0] = static_cast<std::uint8_t>(std::clamp(x * 255 / width + noise, 0, 255));
            p[1] = static_cast<std::uint8_t>(std::clamp(y * 255 / height + noise, 0, 255));
            p[2] = static_cast<std::uint8_t>(std::clamp((x + y) * 127 / (width + height) + 64 + noise, 0, 255));
        }
    return rgb;
}

constexpr int kWidth = 1024, kHeight = 768;

struct TPngWriteTarget {
    std::vector<std::uint8_t> Bytes;
};

void WriteToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* target = static_cast<TPngWriteTarget*>(png_get_io_ptr(png));
    target->Bytes.insert(target->Bytes.end(), data, data + length);
}

std::vector<std::uint8_t> LibpngEncode(const std::vector<std::uint8_t>& rgb, int level) {
    TPngWriteTarget target;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &target, WriteToVector, nullptr);
    png_set_compression_level(png, level);
    png_set_IHDR(png, info, kWidth, kHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < kHeight; ++y)
        png_write_row(png, rgb.data() + static_cast<std::size_t>(y) * kWidth * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return target.Bytes;
}

struct TPngReadSource {
    const std::vector<std::uint8_t>* Bytes;
    std::size_t At = 0;
};

void ReadFromVector(png_structp png, png_bytep data, png_size_t length) {
    auto* source = static_cast<TPngReadSource*>(png_get_io_ptr(png));
    std::memcpy(data, source->Bytes->data() + source->At, length);
    source->At += length;
}

std::vector<std::uint8_t>& EncodedPng() {
    static std::vector<std::uint8_t> bytes = LibpngEncode(TestRgb(kWidth, kHeight), 9);
    return bytes;
}

void BM_PngDecodeOurs(benchmark::State& state) {
    const auto& bytes = EncodedPng();
    for (auto _ : state) {
        TReadOnlyMemoryStream stream(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        TPNGImage image;
        image.LoadFromStream(stream);
        benchmark::DoNotOptimize(image.ScanLine(0));
    }
}
BENCHMARK(BM_PngDecodeOurs)->Unit(benchmark::kMillisecond);

void BM_PngDecodeLibpng(benchmark::State& state) {
    const auto& bytes = EncodedPng();
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
    for (auto _ : state) {
        TPngReadSource source{&bytes};
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        png_set_read_fn(png, &source, ReadFromVector);
        png_read_info(png, info);
        png_set_bgr(png);
        for (int y = 0; y < kHeight; ++y)
            png_read_row(png, rgb.data() + static_cast<std::size_t>(y) * kWidth * 3, nullptr);
        png_destroy_read_struct(&png, &info, nullptr);
        benchmark::DoNotOptimize(rgb.data());
    }
}
BENCHMARK(BM_PngDecodeLibpng)->Unit(benchmark::kMillisecond);

void BM_PngEncodeOurs(benchmark::State& state) {
    const auto& bytes = EncodedPng();
    TReadOnlyMemoryStream stream(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    TPNGImage image;
    image.LoadFromStream(stream);
    std::size_t size = 0;
    for (auto _ : state) {
        TMemoryStream out;
        image.SaveToStream(out);
        size = static_cast<std::size_t>(out.MemSize);
    }
    state.counters["bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_PngEncodeOurs)->Unit(benchmark::kMillisecond);

// libpng at the same deflate level as ours (9).
void BM_PngEncodeLibpng(benchmark::State& state) {
    const auto rgb = TestRgb(kWidth, kHeight);
    std::size_t size = 0;
    for (auto _ : state)
        size = LibpngEncode(rgb, 9).size();
    state.counters["bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_PngEncodeLibpng)->Unit(benchmark::kMillisecond);

// 32 MB of text-like data with some noise, deflated once.
const std::vector<std::uint8_t>& Deflated(std::size_t& rawSize) {
    static std::size_t size = 0;
    static const std::vector<std::uint8_t> packed = [] {
        std::string text;
        std::mt19937 random(3);
        static const char* words[] = {"the ", "quick ", "brown ", "fox ", "jumps ", "over ", "lazy ", "dog ", "\n"};
        while (text.size() < (32u << 20))
            text += random() % 50 == 0 ? std::string(1, static_cast<char>(random())) : words[random() % 9];
        size = text.size();
        auto out = DeflateToMemoryStream(text.data(), static_cast<std::int32_t>(text.size()));
        return std::vector<std::uint8_t>(out->Memory, out->Memory + out->MemSize);
    }();
    rawSize = size;
    return packed;
}

void BM_InflateOurs(benchmark::State& state) {
    std::size_t raw = 0;
    const auto& packed = Deflated(raw);
    for (auto _ : state) {
        auto out = InflateToMemoryStream(packed.data(), static_cast<std::int32_t>(packed.size()));
        if (static_cast<std::size_t>(out->MemSize) != raw)
            state.SkipWithError("wrong size");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * raw));
}
BENCHMARK(BM_InflateOurs)->Unit(benchmark::kMillisecond);

void BM_InflateZlibUncompress(benchmark::State& state) {
    std::size_t raw = 0;
    const auto& packed = Deflated(raw);
    std::vector<std::uint8_t> out(raw);
    for (auto _ : state) {
        uLongf size = out.size();
        if (::uncompress(out.data(), &size, packed.data(), packed.size()) != Z_OK || size != raw)
            state.SkipWithError("uncompress failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * raw));
}
BENCHMARK(BM_InflateZlibUncompress)->Unit(benchmark::kMillisecond);

// The 200 MB folder: 100 files of compressible text and 100 of random bytes,
// in a few subfolders; made once per run in a temporary folder.
const std::string& BigFolder() {
    static const std::string folder = [] {
        std::string root =
            (std::filesystem::temp_directory_path() / ("rez-zipbench-" + std::to_string(getpid()))).string();
        std::filesystem::create_directories(root + "/src");
        std::mt19937 random(11);
        std::string text;
        while (text.size() < (1u << 20))
            text +=
                "Lorem ipsum dolor sit amet, consectetur adipiscing elit " + std::to_string(random() % 1000) + ".\n";
        text.resize(1u << 20);
        std::string noise(1u << 20, '\0');
        for (int i = 0; i < 200; ++i) {
            const std::string sub = root + "/src/part" + std::to_string(i % 8);
            std::filesystem::create_directories(sub);
            std::ofstream out(sub + "/file" + std::to_string(i) + (i % 2 ? ".bin" : ".txt"), std::ios::binary);
            if (i % 2) {
                for (char& c : noise)
                    c = static_cast<char>(random());
                out.write(noise.data(), static_cast<std::streamsize>(noise.size()));
            } else {
                out.write(text.data(), static_cast<std::streamsize>(text.size()));
            }
        }
        std::atexit([] { std::filesystem::remove_all(BigFolder()); });
        return root;
    }();
    return folder;
}

void BM_ZipFolderOurs(benchmark::State& state) {
    const std::string root = BigFolder();
    ZipShowProgress = false;
    ZlibCompressionLevel = static_cast<std::int32_t>(state.range(0));
    for (auto _ : state)
        if (!ZipFolder(root + "/src/", root + "/ours.zip"))
            state.SkipWithError("ZipFolder failed");
    ZlibCompressionLevel = 9;
}
BENCHMARK(BM_ZipFolderOurs)->Arg(6)->Arg(9)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_ZipFolderInfoZip(benchmark::State& state) {
    const std::string root = BigFolder();
    const std::string command = "cd '" + root + "/src' && rm -f ../theirs.zip && zip -q -r -" +
                                std::to_string(state.range(0)) + " ../theirs.zip .";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("zip failed");
}
BENCHMARK(BM_ZipFolderInfoZip)->Arg(6)->Arg(9)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_UnzipOurs(benchmark::State& state) {
    const std::string root = BigFolder();
    if (!std::filesystem::exists(root + "/ours.zip"))
        ZipFolder(root + "/src/", root + "/ours.zip");
    for (auto _ : state) {
        std::filesystem::remove_all(root + "/out-ours");
        Platform::TFileHandle file = Platform::OpenExistingFile(root + "/ours.zip", Platform::TFileAccess::Read);
        {
            TUnpackedZip zip(file, root + "/out-ours/");
            for (std::int32_t i = 0; i < zip.GetCount(); ++i)
                if (!zip.ExtractEntry(zip.GetString(i)))
                    state.SkipWithError("extraction failed");
        }
        Platform::CloseFile(file);
    }
}
BENCHMARK(BM_UnzipOurs)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_UnzipInfoZip(benchmark::State& state) {
    const std::string root = BigFolder();
    if (!std::filesystem::exists(root + "/ours.zip"))
        ZipFolder(root + "/src/", root + "/ours.zip");
    const std::string command =
        "rm -rf '" + root + "/out-theirs' && unzip -qq '" + root + "/ours.zip' -d '" + root + "/out-theirs'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("unzip failed");
}
BENCHMARK(BM_UnzipInfoZip)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
