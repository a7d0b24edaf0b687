#pragma once
// A resource that is just bytes, readable as bytes or as floats byte / 256.

#include <string>
#include <vector>

class Binary {
public:
    explicit Binary(const std::vector<unsigned char>& bytes);
    ~Binary();
    Binary(const Binary&) = delete;
    Binary& operator=(const Binary&) = delete;

    int size() const { return static_cast<int>(data.size()); }
    // Byte i; 0 for an index outside the data.
    unsigned char byteAt(int i) const;
    // All bytes as floats, made on the first call; owned by the Binary.
    float* asFloats();
    // A new array of count floats from byte start on (the caller deletes it with
    // delete[]); positions outside the data read as 0. Null when count is not positive.
    float* floats(int start, int count) const;
    std::string getString(int start, int count) const;
    std::string toString() const;

private:
    std::vector<unsigned char> data;
    float* floatData = nullptr;
};
