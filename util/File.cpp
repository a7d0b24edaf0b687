#include "util/File.h"

#include <sys/stat.h>

#include <climits>
#include <cstdint>
#include <cstring>

namespace {

bool isOutputMode(int mode)
{
    return mode == 1 || mode == 2 || mode == 3;
}

unsigned int littleEndian32(const char* bytes)
{
    const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes);
    return static_cast<unsigned int>(b[0]) | (static_cast<unsigned int>(b[1]) << 8) |
           (static_cast<unsigned int>(b[2]) << 16) | (static_cast<unsigned int>(b[3]) << 24);
}

std::ios::openmode openModeFor(int mode)
{
    switch (mode) {
    case 1:
        return std::ios::out | std::ios::binary | std::ios::app;
    case 2:
    case 3:
        return std::ios::out | std::ios::binary | std::ios::trunc;
    default:
        return std::ios::in | std::ios::binary;
    }
}

}

File::File(const char* p, int m) : path(p ? p : ""), mode(m)
{
    opened = open(path.c_str());
}

File::File(const std::string& p, int m) : path(p), mode(m)
{
    opened = open(path.c_str());
}

File::File(const std::string& p) : path(p) {}

File::~File()
{
    if (stream && stream->is_open())
        stream->close();
}

bool File::exists(const std::string& p)
{
    struct stat info;
    return stat(p.c_str(), &info) == 0;
}

bool File::open(const char* p)
{
    data.clear();
    size = 0;

    // Only regular files: a directory opens as a stream on Linux and reports a
    // nonsense size.
    struct stat info;
    bool present = stat(p, &info) == 0;
    if (present && !S_ISREG(info.st_mode))
        return false;
    if (!present && !isOutputMode(mode))
        return false;

    stream = std::make_unique<std::fstream>(p, openModeFor(mode));
    if (!stream->is_open()) {
        stream.reset();
        return false;
    }
    if (mode != 0)
        return true;

    std::streamoff start = stream->tellg();
    stream->seekg(0, std::ios::end);
    std::streamoff end = stream->tellg();
    if (start < 0 || end < start || end - start > INT_MAX) {
        stream.reset();
        return false;
    }
    stream->seekg(0, std::ios::beg);
    data.resize(static_cast<size_t>(end - start));
    if (!data.empty())
        stream->read(data.data(), static_cast<std::streamsize>(data.size()));
    // The file may have shrunk since it was measured: keep what was read.
    data.resize(static_cast<size_t>(stream->gcount() > 0 ? stream->gcount() : 0));
    stream->clear();
    size = static_cast<int>(data.size());
    return true;
}

int File::remaining() const
{
    if (position < 0 || position >= getSize())
        return 0;
    return getSize() - position;
}

void File::markOverrun()
{
    overrun = true;
    if (position >= 0 && position < getSize())
        position = getSize();
}

unsigned int File::readRawU32()
{
    if (remaining() < 4) {
        markOverrun();
        return 0;
    }
    const unsigned int value = littleEndian32(data.data() + position);
    position += 4;
    return value;
}

int File::readInt()
{
    unsigned int raw = readRawU32();
    int value;
    std::memcpy(&value, &raw, sizeof value);
    return value;
}

float File::readFloat()
{
    uint32_t raw = readRawU32();
    float value;
    std::memcpy(&value, &raw, sizeof value);
    return value;
}

char File::readByte()
{
    if (remaining() < 1) {
        markOverrun();
        return 0;
    }
    return data[position++];
}

std::string File::readBytes(int n)
{
    if (n <= 0) {
        if (n < 0)
            markOverrun();
        return std::string();
    }
    int available = remaining();
    int count = n < available ? n : available;
    std::string result(data.data() + (count > 0 ? position : 0), static_cast<size_t>(count));
    position += count;
    if (count < n)
        markOverrun();
    return result;
}

std::string File::readString()
{
    int available = remaining();
    if (available == 0) {
        markOverrun();
        return std::string();
    }
    const char* start = data.data() + position;
    const void* zero = std::memchr(start, 0, static_cast<size_t>(available));
    if (!zero) {
        // Unterminated at the end of the buffer: hand back what is there.
        std::string result(start, static_cast<size_t>(available));
        markOverrun();
        return result;
    }
    int length = static_cast<int>(static_cast<const char*>(zero) - start);
    position += length + 1;
    if (length == 0)
        return "Object";
    return std::string(start, static_cast<size_t>(length));
}

void File::appendByte(char value)
{
    data.push_back(value);
}

void File::appendBytes(const void* bytes, size_t count)
{
    const char* first = static_cast<const char*>(bytes);
    data.insert(data.end(), first, first + count);
}

void File::appendUInt(unsigned int value)
{
    data.push_back(static_cast<char>(value & 0xFFu));
    data.push_back(static_cast<char>((value >> 8) & 0xFFu));
    data.push_back(static_cast<char>((value >> 16) & 0xFFu));
    data.push_back(static_cast<char>((value >> 24) & 0xFFu));
}

void File::appendInt(int value)
{
    unsigned int raw;
    std::memcpy(&raw, &value, sizeof raw);
    appendUInt(raw);
}

void File::appendFloat(float value)
{
    uint32_t raw;
    std::memcpy(&raw, &value, sizeof raw);
    appendUInt(raw);
}

void File::appendString(const std::string& text)
{
    data.insert(data.end(), text.begin(), text.end());
}

std::vector<unsigned char> File::getBytes() const
{
    return std::vector<unsigned char>(data.begin(), data.end());
}

std::string File::getString() const
{
    return std::string(data.begin(), data.end());
}

std::vector<std::string> File::getLines() const
{
    std::vector<std::string> lines;
    std::string current;
    const size_t n = data.size();
    for (size_t i = 0; i < n; ++i) {
        char c = data[i];
        if (c == '\r' && i + 1 < n && data[i + 1] == '\n') {
            lines.push_back(current);
            current.clear();
            ++i;
        } else if (c == '\n') {
            lines.push_back(current);
            current.clear();
        } else {
            current.push_back(c);
        }
    }
    lines.push_back(current);
    return lines;
}

std::vector<int> File::getInts() const
{
    std::vector<int> ints;
    ints.reserve(data.size() / 4);
    for (size_t i = 0; i + 4 <= data.size(); i += 4) {
        const unsigned int raw = littleEndian32(data.data() + i);
        int value;
        std::memcpy(&value, &raw, sizeof value);
        ints.push_back(value);
    }
    return ints;
}

bool File::save()
{
    if (!stream || !stream->is_open() || !isOutputMode(mode))
        return false;
    size = getSize();
    if (!data.empty())
        stream->write(data.data(), static_cast<std::streamsize>(data.size()));
    stream->flush();
    bool ok = !stream->fail();
    stream->close();
    return ok && !stream->fail();
}

bool File::saveAs(const char* newPath)
{
    if (!newPath)
        return false;
    path = newPath;
    struct stat info;
    if (stat(newPath, &info) == 0 && !S_ISREG(info.st_mode))
        return false;
    std::ofstream out(newPath, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!out.is_open())
        return false;
    size = getSize();
    if (!data.empty())
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
    out.close();
    return !out.fail();
}
