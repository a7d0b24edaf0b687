// Writes the drive's object files: objects/hqpoly.vbo (the car) and
// objects/Sprites.vbo (the scenery) below the folder given with --out.

#include "tools/models/ShowModels.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

int main(int argc, char** argv)
{
    if (argc != 3 || std::strcmp(argv[1], "--out") != 0) {
        std::printf("usage: %s --out <resources folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = std::string(argv[2]) + "/objects/";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    if (!showmodels::carFile().save(folder + "hqpoly.vbo") || !showmodels::spritesFile().save(folder + "Sprites.vbo")) {
        std::printf("Cannot write the object files into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}
