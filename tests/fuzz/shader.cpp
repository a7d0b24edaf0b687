// Shader sources: defines inserted and "#include" lines expanded from the
// shader folder. The input is the main source, then the files it may include,
// each after a zero byte with its name as its first line.

#include "FuzzSupport.h"

#include "engine/runtime/ResourceLoader.h"
#include "engine/runtime/VLMIO.h"
#include "util/File.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLog();
    VLMIO::loadMode = 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> written;
    for (const auto& part : fuzz::namedParts(data, size, "main.frag"))
        written.push_back(fuzz::writeScratch("shaders-" + part.first, part.second));
    // The parts live side by side under a prefix: the folder is that prefix.
    const std::string prefix = fuzz::scratch() + "shaders-";
    std::unique_ptr<File> main(VLMIO::loadTextFile(prefix + "main.frag"));
    if (main && main->isOpen()) {
        std::vector<std::string> lines = main->getLines();
        ResourceLoader::insertDefines(lines, {"FULL", "SECOND"});
        ResourceLoader loader;
        std::string text;
        if (!loader.shaderInclude(text, lines, prefix, "main.frag", 0))
            loader.getMessage();
    }
    for (const std::string& path : written)
        std::remove(path.c_str());
    return 0;
}
