#pragma once

#include <QFile>
#include <QString>
#include <cstdio>
#include <memory>
#include <stdio.h>
#include <string_view>

// A C stream closed when it goes out of scope; grid files are opened, read or
// written and closed within one call.
struct StdioFileCloser {
    void operator()(std::FILE* file) const
    {
        if (file != nullptr)
            std::fclose(file);
    }
};
using StdioFile = std::unique_ptr<std::FILE, StdioFileCloser>;

inline StdioFile openStdioFile(const QString& fileName, const char* mode)
{
    return StdioFile(std::fopen(QFile::encodeName(fileName).constData(), mode));
}

// A read-only stream over bytes in memory (which must outlive it), so that the
// readers parse a buffer exactly as they parse a file.
inline StdioFile openMemoryStream(std::string_view bytes)
{
    // fmemopen wants a buffer even for no bytes; the stream never writes to it.
    static char noBytes = 0;
    char* data = bytes.empty() ? &noBytes : const_cast<char*>(bytes.data());
    return StdioFile(::fmemopen(data, bytes.size(), "rb"));
}

// Closes the stream and reports whether everything written reached the file.
inline bool closeStdioFile(StdioFile& file)
{
    const bool closed = std::fclose(file.release()) == 0;
    return closed;
}

// Size of an open file in bytes, or -1 when it cannot be told (a pipe, say).
inline long long stdioFileSize(std::FILE* file)
{
    if (std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    const long size = std::ftell(file);
    std::rewind(file);
    return size;
}

// A file name as printf's %s wants it.
inline QByteArray printable(const QString& text)
{
    return text.toLocal8Bit();
}
