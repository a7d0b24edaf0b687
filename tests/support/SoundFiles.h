#pragma once
// MP3 data written byte by byte, so audio tests can make long sounds cheaply.

#include <string>

namespace testsupport {

// At least ms milliseconds of silent MPEG 2.5 layer III frames, 8000 Hz mono
// at 8 kbit/s: each 72-byte frame holds 576 samples (72 ms).
std::string silentMp3(unsigned int ms);

}
