#include "support/SoundFiles.h"

namespace testsupport {

std::string silentMp3(unsigned int ms)
{
    std::string frame(72, '\0');
    frame[0] = static_cast<char>(0xFF);
    frame[1] = static_cast<char>(0xE3);  // MPEG 2.5, layer III, no check sum
    frame[2] = static_cast<char>(0x18);  // 8 kbit/s, 8000 Hz
    frame[3] = static_cast<char>(0xC0);  // mono
    const size_t count = ms / 72 + 1;
    std::string out;
    out.reserve(frame.size() * count);
    for (size_t i = 0; i < count; ++i)
        out += frame;
    return out;
}

}
