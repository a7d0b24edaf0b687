// Music: the MP3 decoded whole, as the engine's sound layer decodes it.

#include "FuzzSupport.h"

#include "platform/FmodEx.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fmodex::DecodedAudio audio;
    if (fmodex::decodeMp3(data, size, audio) == FMOD_OK && !audio.samples.empty()) {
        const int16_t last = audio.samples.back();
        (void)last;
    }
    return 0;
}
