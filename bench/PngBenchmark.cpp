// PNG import speed: our decoder against libpng on the same files, our inflate against
// zlib on the same stream, and the whole conversion to grid text. The test images are
// made here with libpng: smooth terrain-like heights with a little noise, as grey in
// RGB (the usual height image) at 8 and 16 bits.
#include "png/InflateDecoder.h"
#include "png/PngImageDecoder.h"
#include "png/PngToGrid.h"

#include "QuietDiagnostics.h"

#include <benchmark/benchmark.h>
#include <png.h>
#include <zlib.h>

#include <QString>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

struct TestImage {
    std::string path;
    int width;
    int height;
    int bitDepth;
};

bool writeRgb(const std::string& path, int width, int height, int bitDepth, std::vector<png_bytep>& rows)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), bitDepth, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

const TestImage& heightImage(int size, int bitDepth)
{
    static std::vector<TestImage> made;
    for (const TestImage& image : made)
        if (image.width == size && image.bitDepth == bitDepth)
            return image;
    const int bytesPerSample = bitDepth / 8;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(size) * size * 3 * bytesPerSample);
    std::vector<png_bytep> rows(static_cast<std::size_t>(size));
    std::mt19937 generator(1);
    for (int y = 0; y < size; ++y) {
        unsigned char* row = pixels.data() + static_cast<std::size_t>(y) * size * 3 * bytesPerSample;
        rows[static_cast<std::size_t>(y)] = row;
        for (int x = 0; x < size; ++x) {
            const double u = 12.0 * x / size;
            const double v = 12.0 * y / size;
            const double height = 0.5 + 0.25 * std::sin(u) * std::cos(v) + 0.15 * std::sin(3.1 * u + 1.7 * v) +
                                  0.002 * static_cast<double>(generator() % 100);
            const int level = static_cast<int>(std::lround(std::clamp(height, 0.0, 1.0) * (bitDepth == 16 ? 65535 : 255)));
            for (int channel = 0; channel < 3; ++channel) {
                unsigned char* sample = row + (static_cast<std::size_t>(x) * 3 + channel) * bytesPerSample;
                if (bitDepth == 16) {
                    sample[0] = static_cast<unsigned char>(level >> 8);
                    sample[1] = static_cast<unsigned char>(level & 0xFF);
                } else {
                    sample[0] = static_cast<unsigned char>(level);
                }
            }
        }
    }
    const std::string path = "/tmp/talvane_png_benchmark_" + std::to_string(size) + "_" + std::to_string(bitDepth) + ".png";
    if (!writeRgb(path, size, size, bitDepth, rows))
        std::fprintf(stderr, "could not write %s\n", path.c_str());
    made.push_back({path, size, size, bitDepth});
    return made.back();
}

bool decodeWithLibpng(const std::string& path, std::vector<unsigned char>& rgba)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    // The same output as ours: 8-bit RGBA.
    png_set_strip_16(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    const std::size_t width = png_get_image_width(png, info);
    const std::size_t height = png_get_image_height(png, info);
    rgba.resize(width * height * 4);
    rows.resize(height);
    for (std::size_t y = 0; y < height; ++y)
        rows[y] = rgba.data() + y * width * 4;
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return true;
}

void ourDecode(benchmark::State& state, int size, int bitDepth)
{
    const TestImage& image = heightImage(size, bitDepth);
    const QuietDiagnostics quiet;
    for (auto _ : state) {
        PngImageDecoder decoder;
        decoder.decodeFile(QString::fromStdString(image.path));
        if (!decoder.imageComplete())
            state.SkipWithError("image not decoded");
        benchmark::DoNotOptimize(decoder.pixels.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size) * size * 3 * (bitDepth / 8));
}

void libpngDecode(benchmark::State& state, int size, int bitDepth)
{
    const TestImage& image = heightImage(size, bitDepth);
    std::vector<unsigned char> rgba;
    for (auto _ : state) {
        if (!decodeWithLibpng(image.path, rgba))
            state.SkipWithError("libpng failed");
        benchmark::DoNotOptimize(rgba.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size) * size * 3 * (bitDepth / 8));
}

// Inflate alone on 16 MiB of terrain text (what a grid file holds), against zlib. The
// sink takes whole runs, as the PNG decoder does, so the figure is inflate's own.
class CountingSink : public InflateSink {
public:
    int putByte(unsigned char byte) override
    {
        sum += byte;
        return 1;
    }
    int putBytes(const unsigned char* bytes, int count, int& taken) override
    {
        for (int i = 0; i < count; ++i)
            sum += bytes[i];
        taken = count;
        return 1;
    }
    unsigned sum = 0;
};

const std::vector<unsigned char>& textStream(std::size_t& originalSize)
{
    static std::vector<unsigned char> stream;
    static std::size_t size = 0;
    if (stream.empty()) {
        std::string text;
        std::mt19937 generator(3);
        double height = 500.0;
        while (text.size() < (std::size_t{16} << 20)) {
            height += static_cast<double>(generator() % 200) / 100.0 - 1.0;
            char value[32];
            text.append(value, static_cast<std::size_t>(std::snprintf(value, sizeof value, "%1.2f ", height)));
        }
        size = text.size();
        uLongf compressedSize = compressBound(static_cast<uLong>(size));
        stream.resize(compressedSize);
        compress2(stream.data(), &compressedSize, reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(size), 6);
        stream.resize(compressedSize);
    }
    originalSize = size;
    return stream;
}

void BM_OurInflateText(benchmark::State& state)
{
    std::size_t size = 0;
    const std::vector<unsigned char>& stream = textStream(size);
    const QuietDiagnostics quiet;
    for (auto _ : state) {
        CountingSink sink;
        InflateDecoder decoder(sink);
        if (decoder.inflate(stream.data(), static_cast<int>(stream.size())) != 1)
            state.SkipWithError("inflate failed");
        benchmark::DoNotOptimize(sink.sum);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
}

void BM_ZlibInflateText(benchmark::State& state)
{
    std::size_t size = 0;
    const std::vector<unsigned char>& stream = textStream(size);
    std::vector<unsigned char> out(size);
    for (auto _ : state) {
        uLongf outSize = static_cast<uLongf>(size);
        if (uncompress(out.data(), &outSize, stream.data(), static_cast<uLong>(stream.size())) != Z_OK)
            state.SkipWithError("zlib failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
}

void BM_ConvertToGridText2048(benchmark::State& state)
{
    const TestImage& image = heightImage(2048, 8);
    const QuietDiagnostics quiet;
    for (auto _ : state) {
        PngHeightImage heights;
        QString error;
        readPngHeightImage(QString::fromStdString(image.path), heights, error);
        const std::string text = pngGridText(heights);
        benchmark::DoNotOptimize(text.data());
    }
}

} // namespace

BENCHMARK_CAPTURE(ourDecode, rgb8_2048, 2048, 8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(libpngDecode, rgb8_2048, 2048, 8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ourDecode, rgb16_2048, 2048, 16)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(libpngDecode, rgb16_2048, 2048, 16)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ourDecode, rgb8_4097, 4097, 8)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(libpngDecode, rgb8_4097, 4097, 8)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OurInflateText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibInflateText)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertToGridText2048)->Unit(benchmark::kMillisecond);
