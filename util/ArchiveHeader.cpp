#include "util/ArchiveHeader.h"

#include <lzma.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

enum Property : uint8_t {
    kEnd = 0x00,
    kHeader = 0x01,
    kArchiveProperties = 0x02,
    kMainStreamsInfo = 0x04,
    kFilesInfo = 0x05,
    kPackInfo = 0x06,
    kUnPackInfo = 0x07,
    kSubStreamsInfo = 0x08,
    kSize = 0x09,
    kCRC = 0x0a,
    kFolder = 0x0b,
    kCodersUnPackSize = 0x0c,
    kNumUnPackStream = 0x0d,
    kEncodedHeader = 0x17,
};

// The list could not be followed (it ends early, or has a structure this
// look does not know): the decoder has the last word.
struct Unreadable {};

// A count or size past its bound: the list is refused.
struct Refused {
    std::string why;
};

class Cursor {
public:
    Cursor(const uint8_t* data, size_t size) : data(data), size(size) {}

    uint8_t byte()
    {
        if (at >= size)
            throw Unreadable{};
        return data[at++];
    }

    // The format's numbers: the leading one bits of the first byte tell how
    // many bytes follow, little-endian; its other bits are the top ones.
    uint64_t number()
    {
        const uint8_t first = byte();
        uint8_t mask = 0x80;
        uint64_t value = 0;
        for (int i = 0; i < 8; ++i) {
            if (!(first & mask)) {
                value |= static_cast<uint64_t>(first & (mask - 1)) << (8 * i);
                return value;
            }
            value |= static_cast<uint64_t>(byte()) << (8 * i);
            mask >>= 1;
        }
        return value;
    }

    void skip(uint64_t n)
    {
        if (n > size - at)
            throw Unreadable{};
        at += static_cast<size_t>(n);
    }

    uint32_t word()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<uint32_t>(byte()) << (8 * i);
        return v;
    }

    const uint8_t* here() const { return data + at; }

    // A count that sizes one of the decoder's tables, each of whose entries
    // takes at least bytesEach bytes of the list.
    uint64_t count(const char* what, size_t bytesEach = 1)
    {
        const uint64_t n = number();
        if (n > size / bytesEach)
            throw Refused{"its member list claims " + std::to_string(n) + " " + what + " in " +
                          std::to_string(size) + " bytes"};
        return n;
    }

    size_t total() const { return size; }

private:
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

struct Coder {
    std::vector<uint8_t> id;
    std::vector<uint8_t> properties;
};

struct Folder {
    std::vector<Coder> coders;
    uint64_t outStreams = 0;
    uint64_t packedStreams = 0;
    std::vector<uint64_t> unpackSizes;
    bool digest = false;
    uint32_t crc = 0;
};

struct Streams {
    uint64_t packPosition = 0;
    std::vector<uint64_t> packSizes;
    std::vector<Folder> folders;
};

// n check sums, each one there or not: skipped, or kept in folders.
void digests(Cursor& in, uint64_t n, std::vector<Folder>* folders = nullptr)
{
    std::vector<bool> defined;
    uint64_t present = n;
    if (in.byte() == 0) {
        present = 0;
        uint8_t bits = 0;
        for (uint64_t i = 0; i < n; ++i) {
            if (i % 8 == 0)
                bits = in.byte();
            const bool set = bits & (0x80 >> (i % 8));
            present += set;
            if (folders)
                defined.push_back(set);
        }
    }
    if (!folders) {
        in.skip(4 * present);
        return;
    }
    for (size_t i = 0; i < folders->size(); ++i) {
        Folder& f = (*folders)[i];
        f.digest = defined.empty() || defined[i];
        if (f.digest)
            f.crc = in.word();
    }
}

void packInfo(Cursor& in, Streams& s)
{
    s.packPosition = in.number();
    const uint64_t n = in.count("packed streams");
    uint8_t type = in.byte();
    if (type == kEnd)
        return;
    if (type != kSize)
        throw Unreadable{};
    for (uint64_t i = 0; i < n; ++i)
        s.packSizes.push_back(in.number());
    type = in.byte();
    if (type == kCRC) {
        digests(in, n);
        type = in.byte();
    }
    if (type != kEnd)
        throw Unreadable{};
}

Folder folder(Cursor& in)
{
    Folder f;
    const uint64_t coders = in.count("coders");
    uint64_t inStreams = 0;
    for (uint64_t i = 0; i < coders; ++i) {
        const uint8_t flags = in.byte();
        if (flags & 0x80)
            throw Unreadable{};
        Coder c;
        for (int k = 0; k < (flags & 0x0f); ++k)
            c.id.push_back(in.byte());
        if (flags & 0x10) {
            inStreams += in.count("coder inputs");
            f.outStreams += in.count("coder outputs");
        } else {
            inStreams += 1;
            f.outStreams += 1;
        }
        if (flags & 0x20) {
            const uint64_t n = in.number();
            const uint8_t* p = in.here();
            in.skip(n);
            c.properties.assign(p, p + n);
        }
        f.coders.push_back(std::move(c));
    }
    if (f.outStreams == 0 || inStreams + 1 < f.outStreams)
        throw Unreadable{};
    for (uint64_t i = 0; i + 1 < f.outStreams; ++i) {
        in.number();
        in.number();
    }
    f.packedStreams = inStreams - (f.outStreams - 1);
    if (f.packedStreams > 1)
        for (uint64_t i = 0; i < f.packedStreams; ++i)
            in.number();
    return f;
}

void codersInfo(Cursor& in, Streams& s)
{
    if (in.byte() != kFolder)
        throw Unreadable{};
    const uint64_t n = in.count("folders");
    if (in.byte() != 0)
        throw Unreadable{};
    for (uint64_t i = 0; i < n; ++i)
        s.folders.push_back(folder(in));
    if (in.byte() != kCodersUnPackSize)
        throw Unreadable{};
    for (Folder& f : s.folders)
        for (uint64_t k = 0; k < f.outStreams; ++k)
            f.unpackSizes.push_back(in.number());
    uint8_t type = in.byte();
    if (type == kCRC) {
        digests(in, n, &s.folders);
        type = in.byte();
    }
    if (type != kEnd)
        throw Unreadable{};
}

void subStreamsInfo(Cursor& in, const Streams& s)
{
    std::vector<uint64_t> streams(s.folders.size(), 1);
    uint8_t type = in.byte();
    if (type == kNumUnPackStream) {
        uint64_t sum = 0;
        for (uint64_t& n : streams) {
            n = in.number();
            sum += n;
            if (n > in.total() || sum > in.total())
                throw Refused{"its member list claims more than " + std::to_string(in.total()) +
                              " streams in " + std::to_string(in.total()) + " bytes"};
        }
        type = in.byte();
    }
    if (type == kSize) {
        for (uint64_t n : streams)
            for (uint64_t k = 1; k < n; ++k)
                in.number();
        type = in.byte();
    }
    uint64_t withDigests = 0;
    for (size_t i = 0; i < streams.size(); ++i)
        if (streams[i] != 1 || !s.folders[i].digest)
            withDigests += streams[i];
    if (type == kCRC) {
        digests(in, withDigests);
        type = in.byte();
    }
    if (type != kEnd)
        throw Unreadable{};
}

Streams streamsInfo(Cursor& in)
{
    Streams s;
    uint8_t type = in.byte();
    if (type == kPackInfo) {
        packInfo(in, s);
        type = in.byte();
    }
    if (type == kUnPackInfo) {
        codersInfo(in, s);
        type = in.byte();
    }
    if (type == kSubStreamsInfo) {
        subStreamsInfo(in, s);
        type = in.byte();
    }
    if (type != kEnd)
        throw Unreadable{};
    return s;
}

// The plain list: its streams and the number of its files.
Streams plainList(Cursor& in)
{
    Streams s;
    uint8_t type = in.byte();
    // Archivers write none; readers differ on how to skip them.
    if (type == kArchiveProperties)
        throw Refused{"its member list has archive properties"};
    if (type == kMainStreamsInfo) {
        s = streamsInfo(in);
        type = in.byte();
    }
    // A name of one letter and its end take four bytes.
    if (type == kFilesInfo)
        in.count("files", 4);
    return s;
}

bool same(const std::vector<uint8_t>& id, std::initializer_list<uint8_t> expected)
{
    return id == std::vector<uint8_t>(expected);
}

// The dictionary never needs to be larger than what it unpacks.
bool lzmaUnpack(lzma_vli filterId, const Coder& c, const std::vector<uint8_t>& packed, std::vector<uint8_t>& out)
{
    lzma_filter filters[2] = {{filterId, nullptr}, {LZMA_VLI_UNKNOWN, nullptr}};
    if (lzma_properties_decode(&filters[0], nullptr, c.properties.data(), c.properties.size()) != LZMA_OK)
        return false;
    auto* options = static_cast<lzma_options_lzma*>(filters[0].options);
    const uint64_t largest = std::max<uint64_t>(out.size(), LZMA_DICT_SIZE_MIN);
    if (options->dict_size > largest)
        options->dict_size = static_cast<uint32_t>(largest);
    lzma_stream stream = LZMA_STREAM_INIT;
    bool ok = lzma_raw_decoder(&stream, filters) == LZMA_OK;
    std::free(filters[0].options);
    if (ok) {
        stream.next_in = packed.data();
        stream.avail_in = packed.size();
        stream.next_out = out.data();
        stream.avail_out = out.size();
        while (stream.avail_out > 0 && stream.avail_in > 0) {
            const size_t before = stream.avail_in + stream.avail_out;
            if (lzma_code(&stream, LZMA_RUN) != LZMA_OK || stream.avail_in + stream.avail_out == before)
                break;
        }
        ok = stream.avail_out == 0;
    }
    lzma_end(&stream);
    return ok;
}

uint64_t littleEndian(const uint8_t* p, int bytes)
{
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

uint32_t crcOf(const uint8_t* p, size_t n)
{
    return lzma_crc32(p, n, 0);
}

uint64_t plus(uint64_t a, uint64_t b)
{
    return a > UINT64_MAX - b ? UINT64_MAX : a + b;
}

std::string cutShort(uint64_t fileSize, const std::string& what, uint64_t from, uint64_t to)
{
    return "cut short: the file ends at byte " + std::to_string(fileSize) + ", its " + what + " takes bytes " +
           std::to_string(from) + " to " + std::to_string(to);
}

bool readAt(std::ifstream& file, uint64_t at, std::vector<uint8_t>& bytes)
{
    file.clear();
    file.seekg(static_cast<std::streamoff>(at));
    return static_cast<bool>(
        file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())));
}

// Reads what a list holds, counts first: a count past its bound is refused
// (Refused goes to the caller) whatever the check sums say. False when the
// list could not be followed.
template <class Read>
bool follow(Read read)
{
    try {
        read();
        return true;
    } catch (const Unreadable&) {
        return false;
    }
}

// Packed streams lie between the start header and the member list.
std::string dataPastList(const Streams& s, uint64_t listAt)
{
    uint64_t end = plus(32, s.packPosition);
    for (uint64_t n : s.packSizes)
        end = plus(end, n);
    if (end <= listAt)
        return "";
    return "its members' data runs to byte " + std::to_string(end) + ", past the start of its member list at byte " +
           std::to_string(listAt);
}

std::string hex(uint8_t v)
{
    static const char digits[] = "0123456789abcdef";
    return std::string("0x") + digits[v >> 4] + digits[v & 15];
}

// The list that a packed one unpacks to, checked the same way.
std::string checkedPackedList(std::ifstream& file, uint64_t fileSize, uint64_t listAt, const Streams& s)
{
    // One folder of one coder (archivers use LZMA) from one packed stream.
    if (s.folders.size() != 1 || s.packSizes.size() != 1 || s.folders[0].coders.size() != 1 ||
        s.folders[0].unpackSizes.size() != 1)
        return "its member list is packed in a way this program does not check";
    const Folder& folder = s.folders[0];
    const uint64_t unpacked = folder.unpackSizes[0];
    if (unpacked > kMaxListBytes)
        return "its member list unpacks to " + std::to_string(unpacked) + " bytes";
    const uint64_t packedSize = s.packSizes[0];
    const uint64_t from = plus(32, s.packPosition);
    if (from > fileSize || packedSize > fileSize - from)
        return cutShort(fileSize, "packed member list", from, plus(from, packedSize));
    if (from + packedSize > listAt)
        return "its packed member list takes bytes " + std::to_string(from) + " to " +
               std::to_string(from + packedSize) + ", past the start of its member list at byte " +
               std::to_string(listAt);
    const Coder& c = folder.coders[0];
    const bool copy = same(c.id, {0x00});
    const bool lzma1 = same(c.id, {0x03, 0x01, 0x01});
    const bool lzma2 = same(c.id, {0x21});
    if (!copy && !lzma1 && !lzma2)
        return "its member list is packed with a method this program does not check";
    std::vector<uint8_t> packed(static_cast<size_t>(packedSize));
    if (!readAt(file, from, packed))
        return "its packed member list cannot be read from the file";
    std::vector<uint8_t> plain(static_cast<size_t>(unpacked));
    bool unpackedWhole = false;
    if (copy) {
        unpackedWhole = packed.size() >= plain.size();
        if (unpackedWhole)
            std::copy(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(plain.size()), plain.begin());
    } else {
        unpackedWhole = lzmaUnpack(lzma1 ? LZMA_FILTER_LZMA1 : LZMA_FILTER_LZMA2, c, packed, plain);
    }
    if (!unpackedWhole)
        return "its packed member list does not unpack";
    if (plain.empty())
        return "its packed member list unpacks to nothing";
    Cursor inner(plain.data(), plain.size());
    const uint8_t type = inner.byte();
    Streams members;
    const bool followed = type == kHeader && follow([&] { members = plainList(inner); });
    if (folder.digest && folder.crc != crcOf(plain.data(), plain.size()))
        return "its unpacked member list's check sum does not match";
    if (type != kHeader)
        return "its unpacked member list starts with an unknown mark (" + hex(type) + ")";
    return followed ? dataPastList(members, listAt) : "";
}

std::string checkedList(std::ifstream& file, uint64_t fileSize)
{
    uint8_t start[32];
    const size_t got = static_cast<size_t>(std::min<uint64_t>(fileSize, sizeof start));
    if (!file.read(reinterpret_cast<char*>(start), static_cast<std::streamsize>(got)))
        return "its start header cannot be read from the file";
    static const uint8_t signature[6] = {'7', 'z', 0xbc, 0xaf, 0x27, 0x1c};
    if (!std::equal(start, start + std::min<size_t>(got, 6), signature))
        return "it does not start with the 7z signature";
    if (got < sizeof start)
        return "cut short: the file ends at byte " + std::to_string(fileSize) + ", inside its start header of 32 bytes";
    // Bytes 6 and 7: the format's major and minor version; every reader of
    // this format knows major version 0 alone.
    if (start[6] != 0)
        return "its format version " + std::to_string(start[6]) + "." + std::to_string(start[7]) +
               " is not one this program reads";
    const uint64_t offset = littleEndian(start + 12, 8);
    const uint64_t size = littleEndian(start + 20, 8);
    // A size past its bound is refused whatever the check sum says.
    if (size > kMaxListBytes)
        return "its member list takes " + std::to_string(size) + " bytes";
    if (crcOf(start + 12, 20) != littleEndian(start + 8, 4))
        return "its start header's check sum does not match";
    // No list: an archive without members.
    if (size == 0)
        return "";
    const uint64_t from = plus(32, offset);
    if (from > fileSize || size > fileSize - from)
        return cutShort(fileSize, "member list", from, plus(from, size));
    std::vector<uint8_t> list(static_cast<size_t>(size));
    if (!readAt(file, from, list))
        return "its member list cannot be read from the file";

    Cursor in(list.data(), list.size());
    const uint8_t type = in.byte();
    // The members' streams, or those of the packed list.
    Streams streams;
    bool followed = true;
    if (type == kHeader)
        followed = follow([&] { streams = plainList(in); });
    else if (type == kEncodedHeader)
        followed = follow([&] { streams = streamsInfo(in); });
    if (crcOf(list.data(), list.size()) != littleEndian(start + 28, 4))
        return "its member list's check sum does not match";
    if (type != kHeader && type != kEncodedHeader)
        return "its member list starts with an unknown mark (" + hex(type) + ")";
    if (!followed)
        return "";
    if (type == kHeader)
        return dataPastList(streams, from);
    return checkedPackedList(file, fileSize, from, streams);
}

}

std::string archiveListProblem(const std::string& path)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return "";
    const std::streamoff end = file.tellg();
    if (end <= 0)
        return "";
    file.seekg(0);
    try {
        return checkedList(file, static_cast<uint64_t>(end));
    } catch (const Refused& refused) {
        return refused.why;
    }
}
