// Video: an IVF file of VP8 frames, indexed and its first frames decoded.

#include "FuzzSupport.h"

#include "engine/runtime/Video.h"

#include <algorithm>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Video video(data, static_cast<unsigned int>(size));
    if (!video.isLoaded())
        return 0;
    const int frames = std::min(video.getFrameCount(), 8);
    for (int i = 0; i < frames; ++i)
        video.gotoFrame(i);
    video.gotoTime(1.0e9f);
    video.gotoFrame(0);
    return 0;
}
