#include "PngTestSupport.h"

#include "diagnostics/CollectingSink.h"

#include <png.h>
#include <zlib.h>

#include <QDir>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>

int pngRowBytes(const PngLayout& layout)
{
    const int channels = layout.colorType == 2 ? 3 : layout.colorType == 4 ? 2 : layout.colorType == 6 ? 4 : 1;
    return (layout.width * channels * layout.bitDepth + 7) / 8;
}

std::vector<unsigned char> randomPngRows(const PngLayout& layout, unsigned seed)
{
    std::mt19937 generator(seed);
    const std::size_t count = static_cast<std::size_t>(pngRowBytes(layout)) * static_cast<std::size_t>(layout.height);
    std::vector<unsigned char> rows(count);
    // Half the images smooth (a gradient with a little noise), half pure noise.
    const bool smooth = seed % 2 == 0;
    for (std::size_t i = 0; i < count; ++i)
        rows[i] = static_cast<unsigned char>(smooth ? (i * 7 / 5 + generator() % 4) : generator());
    if (layout.colorType == 3 && layout.bitDepth == 8) {
        const int entries = static_cast<int>(layout.palette.size() / 3);
        for (unsigned char& index : rows)
            index = static_cast<unsigned char>(index % entries);
    }
    return rows;
}

namespace {

bool writeRows(std::FILE* file, const PngLayout& layout, png_bytep* rowPointers)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(layout.width), static_cast<png_uint_32>(layout.height), layout.bitDepth,
                 layout.colorType, layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, layout.filters);
    if (layout.colorType == 3) {
        png_color entries[256];
        const int count = static_cast<int>(layout.palette.size() / 3);
        for (int i = 0; i < count; ++i)
            entries[i] = png_color{layout.palette[3 * i], layout.palette[3 * i + 1], layout.palette[3 * i + 2]};
        png_set_PLTE(png, info, entries, count);
        if (!layout.paletteAlpha.empty())
            png_set_tRNS(png, info, layout.paletteAlpha.data(), static_cast<int>(layout.paletteAlpha.size()), nullptr);
    } else if (layout.hasKey) {
        png_color_16 key{};
        key.gray = static_cast<png_uint_16>(layout.key[0]);
        key.red = static_cast<png_uint_16>(layout.key[0]);
        key.green = static_cast<png_uint_16>(layout.key[1]);
        key.blue = static_cast<png_uint_16>(layout.key[2]);
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    png_set_rows(png, info, rowPointers);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool readRows(std::FILE* file, int& width, int& height, std::vector<unsigned char>& rgba)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    width = static_cast<int>(png_get_image_width(png, info));
    height = static_cast<int>(png_get_image_height(png, info));
    if (png_get_rowbytes(png, info) != static_cast<std::size_t>(width) * 4) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    rgba.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
    std::vector<png_bytep> rowPointers(static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row)
        rowPointers[static_cast<std::size_t>(row)] = rgba.data() + static_cast<std::size_t>(row) * width * 4;
    png_read_image(png, rowPointers.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

bool writePngWithLibpng(const std::string& path, const PngLayout& layout, const std::vector<unsigned char>& rows)
{
    std::vector<png_bytep> rowPointers(static_cast<std::size_t>(layout.height));
    const int rowBytes = pngRowBytes(layout);
    for (int row = 0; row < layout.height; ++row)
        rowPointers[static_cast<std::size_t>(row)] = const_cast<unsigned char*>(rows.data()) + static_cast<std::size_t>(row) * rowBytes;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = writeRows(file, layout, rowPointers.data());
    return std::fclose(file) == 0 && written;
}

bool readPngWithLibpng(const std::string& path, int& width, int& height, std::vector<unsigned char>& rgba)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    const bool read = readRows(file, width, height, rgba);
    std::fclose(file);
    return read;
}

std::vector<unsigned char> pngChunk(const std::string& type, const std::vector<unsigned char>& data)
{
    std::vector<unsigned char> chunk;
    const auto length = static_cast<std::uint32_t>(data.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk.push_back(static_cast<unsigned char>(length >> shift));
    chunk.insert(chunk.end(), type.begin(), type.end());
    chunk.insert(chunk.end(), data.begin(), data.end());
    const uLong crc = crc32(0, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4));
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk.push_back(static_cast<unsigned char>(crc >> shift));
    return chunk;
}

std::vector<unsigned char> ihdrData(std::uint32_t width, std::uint32_t height, int bitDepth, int colorType,
                                    int interlace)
{
    std::vector<unsigned char> data;
    for (const std::uint32_t value : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8)
            data.push_back(static_cast<unsigned char>(value >> shift));
    data.push_back(static_cast<unsigned char>(bitDepth));
    data.push_back(static_cast<unsigned char>(colorType));
    data.push_back(0);
    data.push_back(0);
    data.push_back(static_cast<unsigned char>(interlace));
    return data;
}

std::vector<unsigned char> handmadePng(std::uint32_t width, std::uint32_t height, int bitDepth, int colorType,
                                       int interlace, const std::vector<unsigned char>& rawStream,
                                       const std::vector<HandmadeChunk>& chunksBeforeImage)
{
    std::vector<unsigned char> file{137, 80, 78, 71, 13, 10, 26, 10};
    auto append = [&file](const std::vector<unsigned char>& bytes) { file.insert(file.end(), bytes.begin(), bytes.end()); };
    append(pngChunk("IHDR", ihdrData(width, height, bitDepth, colorType, interlace)));
    for (const HandmadeChunk& chunk : chunksBeforeImage)
        append(pngChunk(chunk.type, chunk.data));
    uLongf size = compressBound(static_cast<uLong>(rawStream.size()));
    std::vector<unsigned char> compressed(size);
    compress2(compressed.data(), &size, rawStream.data(), static_cast<uLong>(rawStream.size()), 9);
    compressed.resize(size);
    append(pngChunk("IDAT", compressed));
    append(pngChunk("IEND", {}));
    return file;
}

std::string testFilePath(const std::string& name)
{
    const std::string directory = testing::TempDir() + "talvane_png_tests/";
    QDir().mkpath(QString::fromStdString(directory));
    return directory + name;
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<unsigned char> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

OurDecode decodeWithOurs(const std::string& path)
{
    OurDecode decode;
    PngImageDecoder decoder;
    diagnostics::CollectingSink messages;
    diagnostics::ScopedSink collecting(messages);
    decode.result = decoder.decodeFile(QString::fromStdString(path));
    decode.printed = messages.take();
    decode.width = decoder.imageWidth;
    decode.height = decoder.imageHeight;
    decode.pixels = decoder.pixels;
    decode.complete = decoder.imageComplete();
    decode.inflateResult = decoder.inflateResult;
    return decode;
}
