#include "demo/DemoProgressBar.h"

#include "engine/render/Shader.h"
#include "engine/render/Texture.h"
#include "engine/runtime/ResourceDefinition.h"
#include "engine/runtime/VLMIO.h"
#include "util/File.h"
#include "util/Log.h"

#include <GL/glew.h>

#include <memory>
#include <string>

namespace {

const char* const kPictures[2] = {"speedometer_0.png", "speedometer_1.png"};

std::string readText(const std::string& path)
{
    std::unique_ptr<File> file(VLMIO::loadTextFile(path));
    return file && file->isOpen() ? file->getString() : std::string();
}

// Null when the program does not build.
Shader* build(const std::string& name, const std::string& vertex, const std::string& fragment)
{
    Shader* program = new Shader(name);
    program->setVertexSource(readText(VLMIO::shaderFolder + vertex));
    program->setFragmentSource(readText(VLMIO::shaderFolder + fragment));
    if (!program->prepare()) {
        vlm::logLine("DemoProgressBar: shader '", name, "' did not build");
        delete program;
        return nullptr;
    }
    return program;
}

}

DemoProgressBar::~DemoProgressBar()
{
    delete speedometer[0];
    delete speedometer[1];
    delete background;
}

void DemoProgressBar::draw() {}

void DemoProgressBar::init()
{
    for (int i = 0; i < 2; ++i) {
        TextureDefinition def;
        def.file = kPictures[i];
        def.target = GL_TEXTURE_2D;
        def.mipmap = true;
        delete speedometer[i];
        // Always from the folders, whatever the resource mode.
        speedometer[i] = VLMIO::loadTextureByTarget(def, 0);
        if (!speedometer[i])
            vlm::logLine("DemoProgressBar: cannot load '", VLMIO::graphicsFolder, kPictures[i], "'");
    }

    delete shader;
    shader = build("Progress", "progressbar.vert", "progressbar.frag");
    delete background;
    background = build("progressbar_bg", "progressbar_bg.vert", "progressbar_bg.frag");

    for (const char* picture : kPictures)
        files.push_back(VLMIO::graphicsFolder + picture);
    for (const char* source : {"progressbar.vert", "progressbar.frag", "progressbar_bg.vert", "progressbar_bg.frag"})
        files.push_back(VLMIO::shaderFolder + source);
}
