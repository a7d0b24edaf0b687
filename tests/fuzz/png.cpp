// Pictures: the bytes decoded as the engine decodes a picture from the archive.

#include "FuzzSupport.h"

#include "util/Image.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Image image;
    if (image.loadFromMemory(data, static_cast<int>(size)) && image.isLoaded()) {
        // Every pixel is there: touch the last one.
        const size_t bytes = static_cast<size_t>(image.getWidth()) * image.getHeight() * image.getBytesPerPixel();
        if (bytes > 0 && image.getPixels()[bytes - 1] == 0x5A)
            image.setLoaded(true);
    }
    return 0;
}
