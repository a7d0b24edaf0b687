// The 7z archive: its member list, then every member the show and the test
// production ask for, read the way the engine reads them in archive mode.

#include "FuzzSupport.h"

#include "engine/runtime/VLMIO.h"
#include "util/Archive.h"
#include "util/File.h"

#include <memory>

namespace {

const char* const kMembers[] = {
    "resources/shaders/color.vert",  "resources/shaders/color.frag",    "resources/shaders/common.glsl",
    "resources/shaders/blit.vert",   "resources/shaders/blit.frag",     "resources/graphics/tint.png",
    "resources/sound/tone.mp3",      "resources/tracks/index.list",     "resources/tracks/track.data",
    "resources/objects/hqpoly.vbo",  "resources/objects/Sprites.vbo",   "resources/graphics/Gradient.png",
    "resources/shaders/Copy.vert",   "resources/shaders/Copy.frag",
};

}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz::writeScratch("resources.7z", data, size);
    if (arc_open(path.c_str()) == 0) {
        for (const char* name : kMembers)
            std::unique_ptr<File>(VLMIO::loadFile(name, 1));
    }
    arc_problem();
    arc_close();
    return 0;
}
