#include "engine/runtime/ProgressBar.h"

#include "engine/render/Shader.h"
#include "engine/render/VAO.h"
#include "engine/runtime/VLMIO.h"
#include "platform/Glfw27.h"
#include "util/File.h"

#include <GL/glew.h>

#include <algorithm>
#include <memory>

namespace VLMPulsvek {
ProgressBar* progressBar = nullptr;
}

namespace {

std::string readText(const std::string& path)
{
    std::unique_ptr<File> file(VLMIO::loadTextFile(path));
    return file && file->isOpen() ? file->getString() : std::string();
}

}

ProgressBar::ProgressBar() : ProgressBar(0.125f, 1.8f, -0.9f, 1) {}

ProgressBar::ProgressBar(float height, float width, float y, int total)
    : mesh(nullptr), shader(nullptr), height(height), width(width), y(y), progress(0.0f), total(total), done(0)
{
}

ProgressBar::~ProgressBar()
{
    delete mesh;
    delete shader;
}

void ProgressBar::setTotal(int t)
{
    total = t;
}

void ProgressBar::step()
{
    if (done == total)
        return;
    progress = total > 0 ? static_cast<float>(done) / static_cast<float>(total) : 1.0f;
    ++done;
    draw();
}

void ProgressBar::init()
{
    const std::string vertexFile = VLMIO::shaderFolder + "default_Progress.vert";
    const std::string fragmentFile = VLMIO::shaderFolder + "default_Progress.frag";
    for (const std::string& path : {vertexFile, fragmentFile})
        if (std::find(files.begin(), files.end(), path) == files.end())
            files.push_back(path);

    delete shader;
    shader = new Shader("Progress");
    shader->setVertexSource(readText(vertexFile));
    shader->setFragmentSource(readText(fragmentFile));
    shader->prepare();

    delete mesh;
    mesh = new VAO("ProgressBar::bar");
    float* v = mesh->createFloatBuffer(GL_FLOAT, 18, GL_STATIC_DRAW);
    const float h = height;
    const float corners[18] = {-1, h, 0, -1, -h, 0, 1, -h, 0, -1, h, 0, 1, -h, 0, 1, h, 0};
    std::copy(corners, corners + 18, v);
    mesh->mapArray(v, "in_Position", 3, 0);
    mesh->upload();
}

void ProgressBar::draw()
{
    const bool culling = glIsEnabled(GL_CULL_FACE) == GL_TRUE;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_CULL_FACE);
    // A program that did not build has already printed its log.
    if (shader && mesh && shader->isOk() && shader->getProgramId() != 0) {
        shader->bind();
        shader->setFloat("scale", progress);
        mesh->bind(shader);
        mesh->draw();
    }
    if (culling)
        glEnable(GL_CULL_FACE);
    glfw27::swapBuffers();
}
