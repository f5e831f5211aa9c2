#include "tools/fbm/FixturePng.h"

#include <png.h>

#include <cstdio>

bool writeFixturePng(const std::string& path, int width, int height, bool rgb, bool interlaced,
                     const std::vector<const unsigned char*>& rows, int bitDepth)
{
    // libpng takes row pointers to mutable bytes but only reads them when writing.
    std::vector<png_bytep> rowPointers;
    for (const unsigned char* row : rows)
        rowPointers.push_back(const_cast<png_bytep>(row));
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = writer != nullptr ? png_create_info_struct(writer) : nullptr;
    // Its errors jump back here, past anything made after this point.
    if (info == nullptr || setjmp(png_jmpbuf(writer))) {
        png_destroy_write_struct(&writer, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(writer, file);
    png_set_IHDR(writer, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), bitDepth,
                 rgb ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(writer, info, rowPointers.data());
    png_write_png(writer, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&writer, &info);
    return std::fclose(file) == 0;
}
