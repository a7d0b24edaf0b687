#include "util/File.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

using testsupport::TempDir;

namespace {

std::string bytesOf(const File& f)
{
    return f.getString();
}

// A read-mode File over exactly these bytes.
struct Loaded {
    TempDir dir;
    std::unique_ptr<File> file;
    explicit Loaded(const std::string& bytes)
    {
        file = std::make_unique<File>(dir.write("f.bin", bytes), 0);
    }
};

}

TEST(File, IntsAndFloatsAreLittleEndianAndRoundTrip)
{
    struct Case {
        int value;
        std::string bytes;
    } ints[] = {
        {1, std::string("\x01\x00\x00\x00", 4)},
        {-2, std::string("\xFE\xFF\xFF\xFF", 4)},
        {0x12345678, std::string("\x78\x56\x34\x12", 4)},
        {std::numeric_limits<int>::min(), std::string("\x00\x00\x00\x80", 4)},
        {std::numeric_limits<int>::max(), std::string("\xFF\xFF\xFF\x7F", 4)},
    };
    for (const Case& c : ints) {
        File out("unused");
        out.appendInt(c.value);
        EXPECT_EQ(bytesOf(out), c.bytes) << c.value;
        Loaded in(c.bytes);
        EXPECT_EQ(in.file->readInt(), c.value);
        EXPECT_EQ(in.file->getPosition(), 4);
        EXPECT_FALSE(in.file->isOverrun());
    }

    struct FloatCase {
        float value;
        std::string bytes;
    } floats[] = {
        {1.0f, std::string("\x00\x00\x80\x3F", 4)},
        {-2.5f, std::string("\x00\x00\x20\xC0", 4)},
        {0.0f, std::string("\x00\x00\x00\x00", 4)},
    };
    for (const FloatCase& c : floats) {
        File out("unused");
        out.appendFloat(c.value);
        EXPECT_EQ(bytesOf(out), c.bytes) << c.value;
        Loaded in(c.bytes);
        EXPECT_EQ(in.file->readFloat(), c.value);
    }

    File out("unused");
    out.appendUInt(0xDEADBEEFu);
    out.appendByte('z');
    out.appendFloat(std::numeric_limits<float>::infinity());
    EXPECT_EQ(bytesOf(out), std::string("\xEF\xBE\xAD\xDE" "z" "\x00\x00\x80\x7F", 9));
}

TEST(File, RecordStrings)
{
    struct Case {
        std::string bytes;
        std::string expected;
        int position;
    } cases[] = {
        {std::string("\0", 1), "Object", 1},
        {std::string("ab\0", 3), "ab", 3},
        {std::string("ab\0cd\0", 6), "ab", 3},
        {std::string("\0\0", 2), "Object", 1},
    };
    for (const Case& c : cases) {
        Loaded in(c.bytes);
        EXPECT_EQ(in.file->readString(), c.expected);
        EXPECT_EQ(in.file->getPosition(), c.position);
        EXPECT_FALSE(in.file->isOverrun());
    }

    // appendString writes no terminator; the writer adds it.
    TempDir dir;
    {
        File out(dir.file("s.bin"), 2);
        out.appendString("ab");
        EXPECT_EQ(out.getSize(), 2);
        out.appendByte(0);
        ASSERT_TRUE(out.save());
    }
    File in(dir.file("s.bin"), 0);
    EXPECT_EQ(in.getSize(), 3);
    EXPECT_EQ(in.readString(), "ab");
    EXPECT_EQ(in.getPosition(), 3);

    Loaded raw(std::string("a\0b\0", 4));
    EXPECT_EQ(raw.file->readBytes(4), std::string("a\0b\0", 4));
}

TEST(File, ReadsPastTheEndYieldNothingAndMarkOverrun)
{
    struct Case {
        const char* name;
        std::string bytes;
        int startAt;
        std::function<std::string(File&)> read;
        std::string expected;
        int positionAfter;
    } cases[] = {
        {"int from 3 bytes", "abc", 0, [](File& f) { return std::to_string(f.readInt()); }, "0", 3},
        {"int at end", "abcd", 4, [](File& f) { return std::to_string(f.readInt()); }, "0", 4},
        {"float from 2 bytes", "ab", 0, [](File& f) { return std::to_string(f.readFloat()); },
         std::to_string(0.0f), 2},
        {"byte at end", "a", 1, [](File& f) { return std::string(1, f.readByte()); }, std::string(1, '\0'), 1},
        {"byte on empty", "", 0, [](File& f) { return std::string(1, f.readByte()); }, std::string(1, '\0'), 0},
        {"short bytes", "abc", 1, [](File& f) { return f.readBytes(5); }, "bc", 3},
        {"negative count", "abc", 0, [](File& f) { return f.readBytes(-1); }, "", 3},
        {"string at end", "ab", 2, [](File& f) { return f.readString(); }, "", 2},
        {"unterminated string", "abc", 1, [](File& f) { return f.readString(); }, "bc", 3},
        {"cursor far beyond", "abcd", 1000, [](File& f) { return std::to_string(f.readInt()); }, "0", 1000},
        {"negative cursor", "abcd", -3, [](File& f) { return f.readBytes(2); }, "", -3},
        {"negative cursor string", "ab\0", -1, [](File& f) { return f.readString(); }, "", -1},
    };
    for (const Case& c : cases) {
        Loaded in(c.bytes);
        in.file->setPosition(c.startAt);
        EXPECT_EQ(c.read(*in.file), c.expected) << c.name;
        EXPECT_EQ(in.file->getPosition(), c.positionAfter) << c.name;
        EXPECT_TRUE(in.file->isOverrun()) << c.name;
    }

    // Reads that fit do not mark the file.
    Loaded exact(std::string("abcd\0", 5));
    exact.file->readBytes(0);
    EXPECT_EQ(exact.file->readInt(), 0x64636261);
    EXPECT_EQ(exact.file->readByte(), '\0');
    EXPECT_FALSE(exact.file->isOverrun());
    EXPECT_EQ(exact.file->getPosition(), exact.file->getSize());
}

TEST(File, Lines)
{
    using Lines = std::vector<std::string>;
    struct Case {
        std::string bytes;
        Lines lines;
    } cases[] = {
        {"a\r\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b", ""}},
        {"", {""}},
        {"a\rb", {"a\rb"}},
        {"a\r", {"a\r"}},
        {"\n\n", {"", "", ""}},
        {"x\r\n\r\ny", {"x", "", "y"}},
        {std::string("a\0b\nc", 5), {std::string("a\0b", 3), "c"}},
    };
    for (const Case& c : cases) {
        File f("unused");
        f.appendString(c.bytes);
        EXPECT_EQ(f.getLines(), c.lines);
    }
}

TEST(File, WholeBufferViews)
{
    File f("unused");
    f.appendString(std::string("\x01\x00\x00\x00\xFF\xFF\xFF\xFF\x07", 9));
    EXPECT_EQ(f.getInts(), (std::vector<int>{1, -1}));
    EXPECT_EQ(f.getSize(), 9);
    EXPECT_EQ(f.getLength(), 9);
    std::vector<unsigned char> bytes = f.getBytes();
    ASSERT_EQ(bytes.size(), 9u);
    EXPECT_EQ(bytes[4], 0xFF);
    EXPECT_EQ(f.getData().size(), 9u);
    EXPECT_EQ(f.getString().size(), 9u);
}

TEST(File, OpenModes)
{
    TempDir dir;
    std::string path = dir.write("data.bin", "hello");

    File read(path, 0);
    EXPECT_TRUE(read.isOpen());
    EXPECT_EQ(read.getString(), "hello");
    EXPECT_EQ(read.getPosition(), 0);
    EXPECT_EQ(read.getPath(), path);

    File inputOnly(path, 7);
    EXPECT_TRUE(inputOnly.isOpen());
    EXPECT_EQ(inputOnly.getSize(), 0);
    EXPECT_FALSE(inputOnly.save());

    // Modes 2 and 3 empty the file at once, without a save.
    for (int mode : {2, 3}) {
        std::string p = dir.write("trunc" + std::to_string(mode), "old contents");
        {
            File w(p, mode);
            EXPECT_TRUE(w.isOpen());
            EXPECT_EQ(w.getSize(), 0);
            EXPECT_EQ(testsupport::readWholeFile(p), "");
        }
        EXPECT_EQ(testsupport::readWholeFile(p), "");
    }

    // Mode 1 adds the buffer at the end.
    {
        File a(path, 1);
        ASSERT_TRUE(a.isOpen());
        a.appendString(" world");
        EXPECT_TRUE(a.save());
        EXPECT_FALSE(a.save());
    }
    EXPECT_EQ(testsupport::readWholeFile(path), "hello world");

    // Mode 2 creates a missing file.
    {
        File created(dir.file("new.bin"), 2);
        EXPECT_TRUE(created.isOpen());
        created.appendInt(7);
        EXPECT_TRUE(created.save());
    }
    EXPECT_EQ(testsupport::readWholeFile(dir.file("new.bin")), std::string("\x07\0\0\0", 4));
}

TEST(File, UnopenableInputFailsCleanly)
{
    TempDir dir;
    dir.write("sub/inner.txt", "x");
    struct Case {
        std::string path;
        int mode;
    } cases[] = {
        {dir.file("missing.bin"), 0},
        {dir.file("missing.bin"), 5},
        {dir.file("sub"), 0},
        {dir.file("sub"), 5},
        {dir.file("sub"), 1},
        {dir.file("sub"), 2},
        {dir.file("nofolder/x.bin"), 2},
        {"", 0},
    };
    for (const Case& c : cases) {
        File f(c.path, c.mode);
        EXPECT_FALSE(f.isOpen()) << c.path << " mode " << c.mode;
        EXPECT_EQ(f.getSize(), 0) << c.path;
        EXPECT_FALSE(f.save()) << c.path;
        EXPECT_EQ(f.readInt(), 0);
        EXPECT_TRUE(f.isOverrun());
    }
}

TEST(File, SaveOnlyForOutputModes)
{
    TempDir dir;
    std::string path = dir.write("r.bin", "abc");
    File read(path, 0);
    read.appendByte('d');
    EXPECT_FALSE(read.save());
    EXPECT_EQ(testsupport::readWholeFile(path), "abc");

    File member("member/name.bin");
    EXPECT_FALSE(member.isOpen());
    member.appendByte('x');
    EXPECT_FALSE(member.save());
}

TEST(File, SaveAsWritesTheWholeBuffer)
{
    TempDir dir;
    std::string path = dir.write("in.bin", "abc");
    File f(path, 0);
    f.readByte();
    f.appendString("defg");
    ASSERT_TRUE(f.saveAs(dir.file("out.bin").c_str()));
    EXPECT_EQ(f.getPath(), dir.file("out.bin"));
    EXPECT_EQ(testsupport::readWholeFile(dir.file("out.bin")), "abcdefg");

    File fresh("member");
    fresh.appendString("xyz");
    ASSERT_TRUE(fresh.saveAs(dir.file("over.bin").c_str()));
    EXPECT_EQ(testsupport::readWholeFile(dir.file("over.bin")), "xyz");
    File shorter("member");
    shorter.appendString("q");
    ASSERT_TRUE(shorter.saveAs(dir.file("over.bin").c_str()));
    EXPECT_EQ(testsupport::readWholeFile(dir.file("over.bin")), "q");

    dir.write("folder/x", "");
    EXPECT_FALSE(fresh.saveAs(dir.file("folder").c_str()));
    EXPECT_FALSE(fresh.saveAs(dir.file("no/such/dir.bin").c_str()));
    EXPECT_FALSE(fresh.saveAs(nullptr));
}

TEST(File, Exists)
{
    TempDir dir;
    std::string path = dir.write("e.txt", "");
    EXPECT_TRUE(File::exists(path));
    EXPECT_TRUE(File::exists(dir.path()));
    EXPECT_FALSE(File::exists(dir.file("nope")));
    EXPECT_FALSE(File::exists(""));
}

TEST(File, BlocksAppendWhole)
{
    // A block gives the same file as its bytes appended one by one.
    File f("unused");
    f.appendBytes("ab", 2);
    f.appendBytes(std::string("c\0d", 3).data(), 3);
    f.appendBytes("", 0);
    File g("unused");
    for (char c : std::string("abc\0d", 5))
        g.appendByte(c);
    EXPECT_EQ(f.getData(), g.getData());
    EXPECT_EQ(f.getSize(), 5);
    EXPECT_EQ(f.getPosition(), 0);
    EXPECT_EQ(f.readBytes(5), std::string("abc\0d", 5));
    EXPECT_FALSE(f.isOverrun());
}
