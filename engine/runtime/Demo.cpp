#include "engine/runtime/Demo.h"

#include "engine/render/Engine.h"
#include "engine/render/FBO.h"
#include "engine/render/Geometry.h"
#include "engine/runtime/DataFBOPool.h"
#include "engine/runtime/ResourceDefinition.h"
#include "engine/runtime/ResourceLoader.h"
#include "engine/runtime/TimeCode.h"
#include "engine/runtime/Timer.h"
#include "engine/runtime/TrackManager.h"
#include "engine/runtime/VLMIO.h"
#include "platform/Glfw27.h"
#include "platform/Signals.h"
#include "util/Assert.h"
#include "util/Log.h"
#include "util/Memory.h"

#include <GL/glew.h>

namespace VLMPulsvek {
Demo* currentDemo = nullptr;
}

namespace {

// The window's close button ends the show like Escape; the window stays
// open until the shutdown closes it.
int closeRequested()
{
    setQuitFlag(true);
    return 0;
}

const char* glText(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

int nowMs()
{
    return static_cast<int>(glfw27::getTime() * 1000);
}

}

Demo::Demo(int, char**) : loader(nullptr), title("Velmora Devirazoro 3.0"), failed(false), flag2(false)
{
    VLMPulsvek::currentDemo = this;
}

Demo::~Demo()
{
    delete loader;
    if (VLMPulsvek::currentDemo == this)
        VLMPulsvek::currentDemo = nullptr;
}

void Demo::keyPressed(int key, int action)
{
    if (action == glfw27::PRESS && key == glfw27::KEY_ESC)
        setQuitFlag(true);
}

bool Demo::fail(const std::string& text)
{
    message = text;
    failed = true;
    return false;
}

bool Demo::failLoading()
{
    // An unreadable archive makes the loader miss whatever it asked for first:
    // the last line names the archive as the cause.
    const std::string archive = VLMIO::archiveProblem();
    return fail(archive.empty() ? loader->getMessage() : loader->getMessage() + "\n" + archive);
}

bool Demo::init(ScreenSettings* settings, int resourceMode)
{
    VLM_ASSERT(VLMPulsvek::resources != NULL);
    vlm::configureStartupHeap();
    if (!glfw27::init())
        return fail("Failed to initialize GLFW");
    glfw27::openWindowHint(glfw27::OPENGL_VERSION_MAJOR, 3);
    glfw27::openWindowHint(glfw27::OPENGL_VERSION_MINOR, 2);
    glfw27::openWindowHint(glfw27::OPENGL_PROFILE, glfw27::OPENGL_CORE_PROFILE);

    VLMIO::setLoadMode(resourceMode);
    loader = new ResourceLoader();
    loader->createDataPools();

    if (!loader->openScreen(settings, title.c_str())) {
        failed = true;
        return false;
    }

    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK)
        return fail("Error initializing glew\n");
    // GLEW's start-up leaves an error behind in core profiles.
    while (glGetError() != GL_NO_ERROR) {
    }
    vlm::logLine("OpenGL version : ", glText(GL_VERSION));
    vlm::logLine("GLSL version : ", glText(GL_SHADING_LANGUAGE_VERSION));
    if (!GLEW_VERSION_3_2)
        return fail("No OpenGL 3.2 support found!");

    Geometry::init();

    if (!loader->loadResources())
        return failLoading();
    loader->defineEffectInstances();
    if (!loader->createTracks())
        return failLoading();
    if (!loader->setupSound())
        return failLoading();

    VLMIO::releaseArchive();
    // What the loading freed goes back to the system.
    vlm::returnFreeMemory();
    return true;
}

void Demo::setCallbacks()
{
    if (failed)
        return;
    glfw27::setKeyCallback(inputCallback);
    glfw27::setMouseButtonCallback(inputCallback);
    glfw27::setWindowCloseCallback(closeRequested);
    signals::catchQuitSignals();
}

void Demo::run()
{
    if (failed)
        return;
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    loader->startDemo();
    glClearColor(0, 0, 0, 0);
    VLMPulsvek::loopStartMs = nowMs();

    Timer* timer = VLMPulsvek::timer;
    TrackManager* tracks = VLMPulsvek::tracks;
    DataFBOPool* fbos = VLMPulsvek::fboDataPool;
    const unsigned int endMs = VLMPulsvek::endTime.getTotalMs();
    bool settled = false;
    while (!getQuitFlag()) {
        fboBind(nullptr);
        timer->update();
        const int t = timer->getTimeMs();
        const int row = timer->getRow();
        const int delta = timer->getDeltaMs(t);
        // This frame is still drawn; the loop ends at the next test.
        if (static_cast<unsigned int>(t) > endMs)
            setQuitFlag(true);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        markPass("clear");
        tracks->run(t, row, delta);
        fbos->clearDirty();
        markPass("buffer clears");
        glfw27::swapBuffers();
        markPass("swap");
        // SIGINT and SIGTERM end the show as Escape does.
        if (signals::quitRequested())
            setQuitFlag(true);
        ++VLMPulsvek::frameCount;
        // The first frame ends the start-up.
        if (!settled) {
            vlm::settleHeap();
            settled = true;
        }
    }

    TimeCode duration;
    duration.setMs(timer->getTimeMs());
    vlm::logLine("Duration : ", duration.toString());
    vlm::logLine("Average FPS = ", getAverageFPS(static_cast<unsigned int>(nowMs())));
}

bool Demo::shutdown()
{
    vlm::logLine("[Shutting Down]");
    if (failed || (loader && !loader->isOk())) {
        vlm::logLine("Message from pulsvek :");
        vlm::logLine(getLastError());
        vlm::logLine("Message from resourceloader");
        vlm::logLine(message);
    }
    ResourceLoader::deletePools();
    glfw27::closeWindow();
    glfw27::terminate();
    vlm::logLine("VLMPulsvek::shutdown()");
    vlm::logLine("[Application End]");
    return true;
}
