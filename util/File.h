#pragma once
// A whole file held in memory as bytes, with little-endian readers and writers.
//
// Mode 0 reads the whole file at construction; 1 appends on save; 2 and 3
// create or empty the file at once; any other mode opens it for input only.
// Readers that would pass the end of the buffer read nothing: they yield 0,
// "" or the bytes that remain, and mark the file as overrun.

#include <fstream>
#include <memory>
#include <string>
#include <vector>

class File {
public:
    File(const char* path, int mode);
    File(const std::string& path, int mode);
    // An empty file for an archive member; the archive glue fills it.
    explicit File(const std::string& path);
    ~File();

    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool isOpen() const { return opened; }
    void setOpened(bool value) { opened = value; }

    std::string getPath() const { return path; }
    int getSize() const { return static_cast<int>(data.size()); }
    int getLength() const { return static_cast<int>(data.size()); }
    int getPosition() const { return position; }
    void setPosition(int value) { position = value; }

    // True once a reader was asked for bytes beyond the end of the buffer.
    bool isOverrun() const { return overrun; }

    static bool exists(const std::string& path);

    int readInt();
    float readFloat();
    char readByte();
    std::string readBytes(int n);
    // Bytes up to the next zero byte; a leading zero byte reads as "Object".
    std::string readString();

    void appendByte(char value);
    // Appends count bytes in one block.
    void appendBytes(const void* bytes, size_t count);
    void appendInt(int value);
    void appendUInt(unsigned int value);
    void appendFloat(float value);
    void appendString(const std::string& text);

    std::vector<char> getData() const { return data; }
    std::vector<unsigned char> getBytes() const;
    std::string getString() const;
    std::vector<std::string> getLines() const;
    std::vector<int> getInts() const;

    bool save();
    bool saveAs(const char* path);

private:
    bool open(const char* path);
    // Bytes left from the cursor; 0 when the cursor is outside the buffer.
    int remaining() const;
    void markOverrun();
    unsigned int readRawU32();

    std::string path;
    std::vector<char> data;
    std::unique_ptr<std::fstream> stream;
    int mode = 0;
    int size = 0;
    int position = 0;
    bool opened = false;
    bool overrun = false;
};
