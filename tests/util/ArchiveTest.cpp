#include "util/Archive.h"
#include "util/File.h"
#include "util/Image.h"

#include "support/ImageFiles.h"
#include "support/SevenZip.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <fstream>
#include <string>
#include <vector>

using testsupport::TempDir;

namespace {

std::string extract(const std::string& name)
{
    int size = arc_size(name.c_str());
    if (size < 0)
        return "<missing>";
    std::string bytes(static_cast<size_t>(size), '\0');
    if (arc_extract(name.c_str(), reinterpret_cast<unsigned char*>(bytes.data())) != 0)
        return "<failed>";
    return bytes;
}

std::string patterned(size_t n, unsigned seed)
{
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>((i * 31 + seed * 7 + (i >> 5)) & 0xFF);
    return s;
}

struct ArchiveFixture : ::testing::Test {
    TempDir dir;
    ~ArchiveFixture() override { arc_close(); }
};

const testsupport::Members treeMembers = {
    {"resources/graphics/", ""},
    {"resources/graphics/Noise.png", patterned(3000, 1)},
    {"resources/misc/data.bin", patterned(70000, 2)},
    {"dup", "first"},
    {"dup", "second copy"},
    {"empty.txt", ""},
    {"resources/shaders/a b.vert", "#version 150\n"},
};


uint32_t crc32(const std::string& bytes, size_t from, size_t n)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < from + n; ++i) {
        crc ^= static_cast<unsigned char>(bytes[i]);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putLE(std::string& bytes, size_t at, uint64_t value, int n)
{
    for (int i = 0; i < n; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A stored archive of one member whose header lists it as size bytes long,
// with the header's check sums made to match: the forgery the format allows.
std::string forgedSize(const std::string& stored, unsigned char actual, uint64_t size)
{
    // Start header: signature and version (8), its check sum (4), the next
    // header's offset (8), size (8) and check sum (4).
    uint64_t offset = 0, length = 0;
    for (int i = 7; i >= 0; --i) {
        offset = (offset << 8) | static_cast<unsigned char>(stored[12 + static_cast<size_t>(i)]);
        length = (length << 8) | static_cast<unsigned char>(stored[20 + static_cast<size_t>(i)]);
    }
    std::string header = stored.substr(32 + offset, length);
    // The unpacked size of the folder: kCodersUnpackSize, then the number.
    const size_t at = header.find(std::string("\x0c") + static_cast<char>(actual));
    if (at == std::string::npos)
        return "";
    std::string number(9, '\xff');
    putLE(number, 1, size, 8);
    header.replace(at + 1, 1, number);
    std::string out = stored.substr(0, 32 + offset) + header;
    putLE(out, 20, header.size(), 8);
    putLE(out, 28, crc32(header, 0, header.size()), 4);
    putLE(out, 8, crc32(out, 12, 20), 4);
    return out;
}

uint64_t getLE(const std::string& bytes, size_t at, int n)
{
    uint64_t value = 0;
    for (int i = n - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    return value;
}

// Where the start header places the member list, from the file's start.
size_t listAt(const std::string& archive)
{
    return static_cast<size_t>(32 + getLE(archive, 12, 8));
}

size_t listSize(const std::string& archive)
{
    return static_cast<size_t>(getLE(archive, 20, 8));
}

// The start header's check sum made to match its fields.
std::string sealed(std::string archive)
{
    putLE(archive, 8, crc32(archive, 12, 20), 4);
    return archive;
}

// The member list's check sum made to match, and then the start header's.
std::string listSealed(std::string archive)
{
    putLE(archive, 28, crc32(archive, listAt(archive), listSize(archive)), 4);
    return sealed(archive);
}

std::string flipped(std::string bytes, size_t at, unsigned char bits = 0x01)
{
    bytes[at] = static_cast<char>(bytes[at] ^ bits);
    return bytes;
}

std::string set(std::string bytes, size_t at, const std::string& with)
{
    return bytes.replace(at, with.size(), with);
}

std::string cutShort(size_t fileSize, const std::string& what, size_t from, size_t to)
{
    return "cut short: the file ends at byte " + std::to_string(fileSize) + ", its " + what + " takes bytes " +
           std::to_string(from) + " to " + std::to_string(to);
}

size_t threadsOfThisProcess()
{
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                             std::filesystem::directory_iterator()));
}

long peakResidentKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}

TEST_F(ArchiveFixture, MembersAreFoundByExactName)
{
    for (const char* compression : {"store", "lzma1", "lzma2", "deflate", "bzip2"}) {
        std::string path = dir.file(std::string("t-") + compression + ".7z");
        testsupport::write7z(path, treeMembers, compression);
        ASSERT_EQ(arc_open(path.c_str()), 0) << compression;

        struct Case {
            std::string name;
            std::string expected;
        } cases[] = {
            {"resources/graphics/Noise.png", patterned(3000, 1)},
            {"resources/misc/data.bin", patterned(70000, 2)},
            {"resources/shaders/a b.vert", "#version 150\n"},
            {"dup", "first"},
            {"empty.txt", ""},
            {"Resources/graphics/Noise.png", "<missing>"},
            {"resources/graphics/noise.png", "<missing>"},
            {"resources\\graphics\\Noise.png", "<missing>"},
            {"./resources/graphics/Noise.png", "<missing>"},
            {"resources/graphics/Noise.png ", "<missing>"},
            {"resources/graphics", "<missing>"},
            {"resources/graphics/", "<missing>"},
            {"", "<missing>"},
        };
        for (const Case& c : cases) {
            EXPECT_EQ(extract(c.name), c.expected) << compression << " " << c.name;
            // Twice: nothing is reused between extractions.
            EXPECT_EQ(extract(c.name), c.expected) << compression << " " << c.name;
        }
        EXPECT_GE(arc_find("dup"), 0);
        EXPECT_EQ(arc_find("nothing"), -1);
        unsigned char sink[8];
        EXPECT_EQ(arc_extract("nothing", sink), 1);
        EXPECT_EQ(arc_extract(nullptr, sink), 1);
        arc_close();
    }
}

TEST_F(ArchiveFixture, ArchiverMadeArchivesRead)
{
    if (std::system("command -v 7z >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no 7z archiver";
    dir.write("tree/resources/misc/data.bin", patterned(50000, 3));
    dir.write("tree/resources/shaders/x.frag", "void main() {}\n");
    std::string command = "cd '" + dir.file("tree") +
                          "' && 7z a -ms=off -mx=9 ../packed.7z resources/misc/data.bin resources/shaders/x.frag "
                          ">/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_TRUE(openArchive(dir.file("packed.7z")));
    EXPECT_EQ(extract("resources/misc/data.bin"), patterned(50000, 3));
    EXPECT_EQ(extract("resources/shaders/x.frag"), "void main() {}\n");
    closeArchive();
}

TEST_F(ArchiveFixture, OpeningFailuresLeaveNothingToFind)
{
    std::string good = dir.file("good.7z");
    testsupport::write7z(good, treeMembers, "lzma1");
    std::string bytes = testsupport::readWholeFile(good);
    std::string cases[] = {
        dir.file("missing.7z"),
        dir.write("junk.7z", "this is not an archive"),
        dir.write("empty.7z", ""),
        dir.write("cut.7z", bytes.substr(0, bytes.size() / 2)),
        dir.write("head.7z", bytes.substr(0, 20)),
        dir.path(),
    };
    for (const std::string& path : cases) {
        ASSERT_EQ(arc_open(good.c_str()), 0);
        EXPECT_NE(arc_find("dup"), -1);
        // A failed open replaces the open archive all the same.
        EXPECT_EQ(arc_open(path.c_str()), 1) << path;
        EXPECT_EQ(arc_find("dup"), -1) << path;
        EXPECT_EQ(arc_size("dup"), -1) << path;
        unsigned char sink[16];
        EXPECT_EQ(arc_extract("dup", sink), 1) << path;
        arc_close();
        arc_close();
    }
    EXPECT_EQ(arc_open(nullptr), 1);
    EXPECT_FALSE(openArchive(dir.file("missing.7z")));

    std::string none = dir.file("none.7z");
    testsupport::write7z(none, {}, "lzma1");
    ASSERT_EQ(arc_open(none.c_str()), 0);
    EXPECT_EQ(arc_find("dup"), -1);
    EXPECT_EQ(arc_find(""), -1);
}

TEST_F(ArchiveFixture, CorruptMembersFailCleanly)
{
    // Stored data lies in the archive as is: damage one byte of the member.
    std::string content = patterned(5000, 4);
    std::string path = dir.file("stored.7z");
    testsupport::write7z(path, {{"a.bin", "intact"}, {"b.bin", content}}, "store");
    std::string bytes = testsupport::readWholeFile(path);
    size_t at = bytes.find(content);
    ASSERT_NE(at, std::string::npos);
    bytes[at + 2500] ^= 0x55;
    dir.write("stored.7z", bytes);

    ASSERT_TRUE(openArchive(path));
    EXPECT_EQ(arc_size("b.bin"), 5000);
    EXPECT_EQ(extract("b.bin"), "<failed>");
    EXPECT_EQ(extract("a.bin"), "intact");
    File file("b.bin");
    EXPECT_FALSE(loadFromArchive(file));
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(file.getSize(), 0);
    closeArchive();

    // Damage anywhere in a compressed archive: failure or the right bytes, never a crash.
    std::string lzma = dir.file("lzma.7z");
    testsupport::write7z(lzma, {{"x", patterned(4000, 5)}, {"y", patterned(300, 6)}}, "lzma1");
    std::string original = testsupport::readWholeFile(lzma);
    for (size_t i = 0; i < original.size(); i += original.size() / 97 + 1) {
        std::string damaged = original;
        damaged[i] = static_cast<char>(damaged[i] ^ 0xA5);
        std::string p = dir.write("damaged.7z", damaged);
        if (arc_open(p.c_str()) == 0) {
            for (const char* name : {"x", "y"}) {
                std::string got = extract(name);
                if (got != "<failed>" && got != "<missing>") {
                    EXPECT_EQ(got, std::string(name) == "x" ? patterned(4000, 5) : patterned(300, 6)) << i;
                }
            }
        }
        arc_close();
    }
}

TEST_F(ArchiveFixture, GlueFillsFilesAndImages)
{
    std::string png = testsupport::makePngRgb(2, 1, 3, {1, 2, 3, 4, 5, 6});
    std::string path = dir.file("glue.7z");
    testsupport::write7z(path, {{"data.bin", std::string("ab\0cd", 5)}, {"empty", ""}, {"pic.png", png},
                                {"junk.png", "garbage bytes"}});
    ASSERT_TRUE(openArchive(path));

    File data("data.bin");
    EXPECT_FALSE(data.isOpen());
    ASSERT_TRUE(loadFromArchive(data));
    EXPECT_TRUE(data.isOpen());
    EXPECT_EQ(data.getString(), std::string("ab\0cd", 5));
    EXPECT_EQ(data.getPosition(), 0);
    EXPECT_EQ(data.readString(), "ab");

    File empty("empty");
    ASSERT_TRUE(loadFromArchive(empty));
    EXPECT_TRUE(empty.isOpen());
    EXPECT_EQ(empty.getSize(), 0);

    File missing("Data.bin");
    EXPECT_FALSE(loadFromArchive(missing));
    EXPECT_FALSE(missing.isOpen());

    Image pic;
    pic.setFilename("pic.png");
    ASSERT_TRUE(loadFromArchive(pic));
    ASSERT_TRUE(pic.isLoaded());
    EXPECT_EQ(pic.getWidth(), 2);
    EXPECT_EQ(pic.getPixels()[3], 4);

    // Extracted but not a picture: true, and the image tells it did not load.
    Image junk;
    junk.setFilename("junk.png");
    EXPECT_TRUE(loadFromArchive(junk));
    EXPECT_FALSE(junk.isLoaded());
    EXPECT_EQ(junk.getProblem(), "not a PNG, JPEG, BMP or TGA picture");

    Image absent;
    absent.setFilename("nope.png");
    absent.setLoaded(true);
    EXPECT_FALSE(loadFromArchive(absent));
    EXPECT_FALSE(absent.isLoaded());
    EXPECT_EQ(absent.getProblem(), "not in the archive");
    closeArchive();

    File afterClose("data.bin");
    EXPECT_FALSE(loadFromArchive(afterClose));
}

TEST_F(ArchiveFixture, FailuresKeepTheirCause)
{
    std::string good = dir.file("good.7z");
    testsupport::write7z(good, treeMembers, "lzma1");
    std::string bytes = testsupport::readWholeFile(good);
    const std::string unreadable = "not a readable 7z archive (";
    struct Case {
        const char* what;
        std::string path;
        std::string cause;  // the whole text, or its start when it ends in "("
    } const cases[] = {
        {"missing", dir.file("missing.7z"), "file not found"},
        {"folder", dir.path(), "not a file"},
        {"empty", dir.write("empty.7z", ""), "file is empty"},
        {"junk", dir.write("junk.7z", "this is not an archive"), unreadable},
        {"cut in half", dir.write("cut.7z", bytes.substr(0, bytes.size() / 2)), unreadable},
        {"cut in the signature header", dir.write("head.7z", bytes.substr(0, 20)), unreadable},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(arc_open(c.path.c_str()), 1) << c.what;
        const std::string problem = arc_problem();
        if (c.cause.back() == '(') {
            EXPECT_EQ(problem.rfind(c.cause, 0), 0u) << c.what << ": " << problem;
            EXPECT_EQ(problem.back(), ')') << c.what << ": " << problem;
        } else {
            EXPECT_EQ(problem, c.cause) << c.what;
        }
        arc_close();
        EXPECT_EQ(arc_problem(), problem) << c.what;
        // A good archive clears it.
        ASSERT_EQ(arc_open(good.c_str()), 0);
        EXPECT_EQ(arc_problem(), "");
        EXPECT_EQ(extract("dup"), "first");
        EXPECT_EQ(extract("nothere"), "<missing>");
        EXPECT_EQ(arc_problem(), "");
    }

    // A damaged member: the first one that failed is named.
    std::string stored = dir.file("stored.7z");
    const std::string content = patterned(5000, 4);
    testsupport::write7z(stored, {{"a.bin", content}, {"b.bin", content + "b"}}, "store");
    std::string damaged = testsupport::readWholeFile(stored);
    for (size_t at = damaged.find(content); at != std::string::npos; at = damaged.find(content, at + 1))
        damaged[at + 2500] ^= 0x55;
    dir.write("stored.7z", damaged);
    ASSERT_EQ(arc_open(stored.c_str()), 0);
    EXPECT_EQ(extract("b.bin"), "<failed>");
    EXPECT_EQ(extract("a.bin"), "<failed>");
    const std::string problem = arc_problem();
    EXPECT_EQ(problem.rfind("member 'b.bin' cannot be read (", 0), 0u) << problem;
}

TEST_F(ArchiveFixture, MembersReadInAnyOrderAfreshEveryTime)
{
    testsupport::Members members;
    for (int i = 0; i < 12; ++i)
        members.push_back({"m" + std::to_string(i), patterned(static_cast<size_t>(1000 + i * 7919), static_cast<unsigned>(i))});
    members.insert(members.begin() + 6, {"large", patterned(3u << 20, 12)});
    members.push_back({"last large", patterned((3u << 20) + 5, 13)});
    const std::string path = dir.file("many.7z");
    testsupport::write7z(path, members, "lzma2");
    const size_t threadsAtOpen = threadsOfThisProcess();
    ASSERT_EQ(arc_open(path.c_str()), 0);

    // All of it on the caller's thread: opening starts no thread of its own.
    EXPECT_EQ(threadsOfThisProcess(), threadsAtOpen);

    // Backwards, forwards and from the middle: each member is reached alone.
    for (size_t i = members.size(); i-- > 0;)
        EXPECT_EQ(extract(members[i].first.c_str()), members[i].second) << members[i].first;
    for (size_t i : {size_t(6), size_t(0), size_t(13), size_t(3), size_t(3)})
        EXPECT_EQ(extract(members[i].first.c_str()), members[i].second) << members[i].first;

    // Extracting again decodes again: the memory in use does not grow with
    // the number of extractions.
    const long before = peakResidentKb();
    for (int round = 0; round < 8; ++round) {
        File file("large");
        ASSERT_TRUE(loadFromArchive(file));
        EXPECT_EQ(file.getSize(), static_cast<int>(members[6].second.size()));
    }
    EXPECT_LT(peakResidentKb() - before, 16L * 1024);
    EXPECT_EQ(arc_problem(), "");
}

TEST_F(ArchiveFixture, ADamagedMemberLeavesTheOthersReadable)
{
    // The members after a damaged one are read as before.
    const std::string content = patterned(5000, 8);
    const std::string path = dir.file("stored.7z");
    testsupport::write7z(path, {{"a.bin", "first"}, {"b.bin", content}, {"c.bin", "after"}, {"d.bin", "last"}}, "store");
    std::string bytes = testsupport::readWholeFile(path);
    const size_t at = bytes.find(content);
    ASSERT_NE(at, std::string::npos);
    bytes[at + 100] ^= 0x55;
    dir.write("stored.7z", bytes);

    ASSERT_TRUE(openArchive(path));
    EXPECT_EQ(extract("d.bin"), "last");
    EXPECT_EQ(extract("c.bin"), "after");
    EXPECT_EQ(extract("a.bin"), "first");
    EXPECT_EQ(extract("b.bin"), "<failed>");
    EXPECT_EQ(arc_problem().rfind("member 'b.bin' cannot be read (", 0), 0u) << arc_problem();
}

TEST_F(ArchiveFixture, AForgedMemberSizeCostsNoMoreMemoryThanItsData)
{
    // The header says almost 2 GiB; 90 bytes are there.
    const std::string path = dir.file("stored.7z");
    testsupport::write7z(path, {{"m.bin", std::string(90, 'A')}}, "store");
    const std::string forged = forgedSize(testsupport::readWholeFile(path), 90, 0x7FFF0000u);
    ASSERT_FALSE(forged.empty());
    dir.write("forged.7z", forged);

    const long before = peakResidentKb();
    ASSERT_EQ(arc_open(dir.file("forged.7z").c_str()), 0) << arc_problem();
    EXPECT_EQ(arc_size("m.bin"), 0x7FFF0000);
    File file("m.bin");
    EXPECT_FALSE(loadFromArchive(file));
    EXPECT_EQ(arc_problem().rfind("member 'm.bin' cannot be read (", 0), 0u) << arc_problem();
    arc_close();
    EXPECT_LT(peakResidentKb() - before, 256L * 1024);
}

// Member lists of a few bytes that claim tables of gigabytes (the decoder would
// clear them whole), a packed list that would unpack to a gigabyte, a list
// that says it takes terabytes: refused before the decoder reads them.
TEST_F(ArchiveFixture, AMemberListThatClaimsMoreThanItHoldsIsRefused)
{
    const std::string kept = std::string(PULSVEK_SOURCE_DIR) + "/tests/fuzz/regressions/archive/";
    struct Case {
        const char* file;
        const char* problem;
    } const cases[] = {
        {"list-claims-700M-streams.7z", "its member list claims more than 263 streams in 263 bytes"},
        {"packed-list-claims-700M-streams.7z", "its member list claims more than 119 streams in 119 bytes"},
        {"packed-list-claims-50M-folders.7z", "its member list claims 50332617 folders in 35 bytes"},
        {"packed-list-unpacks-to-1GiB.7z", "its member list unpacks to 1073741824 bytes"},
        {"list-size-asks-for-3TB.7z", "its member list takes 576460752303423523 bytes"},
    };
    const long before = peakResidentKb();
    for (const Case& c : cases) {
        EXPECT_EQ(arc_open((kept + c.file).c_str()), 1) << c.file;
        EXPECT_EQ(arc_problem(), std::string("not a readable 7z archive (") + c.problem + ")") << c.file;
        EXPECT_EQ(arc_find("f"), -1) << c.file;
        arc_close();
    }
    EXPECT_LT(peakResidentKb() - before, 256L * 1024);
}

// Damage the look at the start header and the member list sees for itself is
// named; the decoder is left only what that look cannot judge.
TEST_F(ArchiveFixture, DamageTheListCheckSeesIsNamed)
{
    // A plain member list (stored members) and a packed one (LZMA); small
    // enough that the packed one's numbers take a byte each.
    const testsupport::Members members = {{"a.bin", std::string(3000, 'a')}, {"b.bin", "the last member"}};
    testsupport::write7z(dir.file("plain.7z"), members, "store");
    testsupport::write7z(dir.file("packed.7z"), members, "lzma1");
    const std::string plain = testsupport::readWholeFile(dir.file("plain.7z"));
    const std::string packed = testsupport::readWholeFile(dir.file("packed.7z"));
    ASSERT_EQ(listSealed(plain), plain);
    ASSERT_EQ(listSealed(packed), packed);
    const size_t list = listAt(plain);
    ASSERT_EQ(plain[list], '\x01');
    ASSERT_EQ(list + listSize(plain), plain.size());

    // The packed list: marker, kPackInfo, its position, one stream, kSize, its
    // size (small numbers take one byte each), then one folder of one coder.
    const size_t packedList = listAt(packed);
    const std::string head = packed.substr(packedList, listSize(packed));
    ASSERT_EQ(head.substr(0, 2), "\x17\x06");
    ASSERT_EQ(head.substr(3, 2), "\x01\x09");
    const size_t packPosition = static_cast<unsigned char>(head[2]);
    const size_t packSize = static_cast<unsigned char>(head[5]);
    ASSERT_LT(packPosition | packSize, 0x80u);
    ASSERT_EQ(32 + packPosition + packSize, packedList);
    const size_t coder = head.find("\x23\x03\x01\x01");
    ASSERT_NE(coder, std::string::npos);
    // The unpacked list's check sum: kCRC, all defined, four bytes, two ends.
    const size_t unpackedCrc = head.size() - 6;
    ASSERT_EQ(head.substr(unpackedCrc - 2, 2), "\x0a\x01");
    ASSERT_LT(32 + 0x7f + packSize, packed.size() + 100);
    ASSERT_GT(32 + 0x7f + packSize, packed.size());

    // 100 bytes of a member taken out of the middle, the list moved to match.
    std::string hole = plain.substr(0, 1000) + plain.substr(1100);
    putLE(hole, 12, list - 100 - 32, 8);
    hole = sealed(hole);

    std::string bigList = plain;
    putLE(bigList, 20, 9u << 20, 8);
    const std::string movedList = sealed(flipped(plain, 13, 0x10));

    struct Case {
        const char* what;
        std::string bytes;
        std::string cause;
    } const cases[] = {
        {"cut in the members' data", plain.substr(0, plain.size() / 2),
         cutShort(plain.size() / 2, "member list", list, plain.size())},
        {"cut where the list starts", plain.substr(0, list), cutShort(list, "member list", list, plain.size())},
        {"three bytes short", plain.substr(0, plain.size() - 3),
         cutShort(plain.size() - 3, "member list", list, plain.size())},
        {"packed, one byte short", packed.substr(0, packed.size() - 1),
         cutShort(packed.size() - 1, "member list", packedList, packed.size())},
        {"cut in the start header", plain.substr(0, 20),
         "cut short: the file ends at byte 20, inside its start header of 32 bytes"},
        {"not an archive", "this is not an archive", "it does not start with the 7z signature"},
        {"signature damaged", flipped(plain, 2), "it does not start with the 7z signature"},
        {"major version", set(plain, 6, "\x01"),
         "its format version 1." + std::to_string(plain[7]) + " is not one this program reads"},
        {"start header's check sum damaged", flipped(plain, 9), "its start header's check sum does not match"},
        {"list offset damaged", flipped(plain, 13), "its start header's check sum does not match"},
        {"list offset forged", movedList,
         cutShort(plain.size(), "member list", listAt(movedList), listAt(movedList) + listSize(plain))},
        {"list of 9 MiB", bigList, "its member list takes 9437184 bytes"},
        {"list of 9 MiB, sealed", sealed(bigList), "its member list takes 9437184 bytes"},
        {"list damaged", flipped(plain, plain.size() - 2), "its member list's check sum does not match"},
        {"list's check sum damaged", sealed(flipped(plain, 29)), "its member list's check sum does not match"},
        {"list's first byte forged", listSealed(set(plain, list, "\x42")),
         "its member list starts with an unknown mark (0x42)"},
        {"member data lost", hole,
         "its members' data runs to byte " + std::to_string(list) + ", past the start of its member list at byte " +
             std::to_string(list - 100)},
        {"packed list damaged", flipped(packed, 32 + packPosition, 0x80), "its packed member list does not unpack"},
        {"unpacked list's check sum forged", listSealed(flipped(packed, packedList + unpackedCrc)),
         "its unpacked member list's check sum does not match"},
        {"packed list past the end", listSealed(set(packed, packedList + 2, "\x7f")),
         cutShort(packed.size(), "packed member list", 32 + 0x7f, 32 + 0x7f + packSize)},
        {"packed list over its list", listSealed(set(packed, packedList + 2, std::string(1, char(packPosition + 1)))),
         "its packed member list takes bytes " + std::to_string(33 + packPosition) + " to " +
             std::to_string(packedList + 1) + ", past the start of its member list at byte " +
             std::to_string(packedList)},
        {"packed with another method", listSealed(set(packed, packedList + coder + 1, "\x04\x01\x08")),
         "its member list is packed with a method this program does not check"},
    };
    for (const Case& c : cases) {
        const std::string path = dir.write("damaged.7z", c.bytes);
        EXPECT_EQ(arc_open(path.c_str()), 1) << c.what;
        EXPECT_EQ(arc_problem(), "not a readable 7z archive (" + c.cause + ")") << c.what;
        EXPECT_EQ(arc_find("a.bin"), -1) << c.what;
        arc_close();
    }
    for (const char* intact : {"plain.7z", "packed.7z"}) {
        ASSERT_EQ(arc_open(dir.file(intact).c_str()), 0) << intact << ": " << arc_problem();
        EXPECT_EQ(extract("b.bin"), "the last member") << intact;
        arc_close();
    }
}
