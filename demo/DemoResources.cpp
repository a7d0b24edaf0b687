#include "demo/DemoResources.h"

#include "engine/render/Engine.h"
#include "engine/render/FBO.h"
#include "engine/render/Projection.h"
#include "engine/render/ScreenSettings.h"
#include "engine/runtime/TimeCode.h"

#include <GL/glew.h>

void DemoResources::configure(ScreenSettings* settings)
{
    settings->getProjection()->setNearFar(0.1f, 500.0f);
    VLMPulsvek::startTime.parse("00:00:00");
    VLMPulsvek::endTime.parse("99:00:00");
}

void DemoResources::defineResources()
{
    setMusic("Kaldrune_320Kbps.mp3");

    defineObject({"car", "hqpoly.vbo"});
    defineObject({"sprites", "Sprites.vbo"});

    defineTexture("wireframetexture", "wireframe.png", true);
    defineTextureArray("tiles1", "TextureTiles4.png", 10, true);
    defineTextureArray("roadtiles", "RoadTiles.png", 7, true);
    defineCubeMap("cubemap1", "Sunset_*.png", true);
    defineCubeMap("cubemap2", "Desert_*.png", true);
    defineCubeMap("cubemap3", "Forest_*.png", true);
    defineCubeMap("cubemap4", "City_*.png", true);
    defineTexture("vignett", "Vignett.png", true);
    defineTexture1D("gradient", "Gradient.png", true);
    defineTexture("shadowmask", "ShadowMask.png", true);
    defineTexture("raintexture", "Rain.png", true);
    defineTexture("cartexture", "Cartexture.png", true);
    defineTexture("noise", "Noise.png", false);
    defineTexture("titlebackground1", "Titles1Background.png", true);
    defineTexture("titlebackground2", "Titles2Background.png", true);
    defineTexture("titlebackground3", "Titles3Background.png", true);
    defineTexture("titletext1", "Titles1Text.png", true);
    defineTexture("titletext2", "Titles2Text.png", true);
    defineTexture("titletext3", "Titles3Text.png", true);
    defineTexture("titletext4", "Titles4Text.png", true);
    defineTexture("titletext5", "Titles5Text.png", true);
    defineTexture("rearviewoverlay", "RearView.png", true);
    defineTexture("frontviewoverlay", "FrontView.png", true);
    defineTexture("speedometer_arrow", "SpeedometerArrow.png", true);
    defineTexture("rearviewmirrormask", "RearViewMirrorMask.png", true);
    defineTexture("dashscroller", "DashBoardScrollText.png", true);
    defineTexture("helmet", "Helmet.png", true);
    defineTexture("helmetmask", "HelmetMask.png", true);

    static const char* const shaders[][2] = {
        {"color", "color"},
        {"cubeterrain", "cubeterrain"},
        {"skybox", "skybox"},
        {"blit", "blit"},
        {"glow", "glow"},
        {"postprocess", "PostProcess"},
        {"rainshader", "Rain"},
        {"carshader", "carshader"},
        {"spriteshader", "spriteshader"},
        {"spriteshadertex", "spriteshadertex"},
        {"mirror", "mirror"},
        {"titleshader", "Titles"},
        {"dashboardshader", "Dashboard"},
        {"copyshader", "Copy"},
        {"helmetshader", "Helmet"},
        {"speedometershader", "speedometer"},
        {"dashscrollershader", "dashscroller"},
        {"volummetershader", "Volummeters"},
    };
    for (const auto& s : shaders)
        defineShader({s[0], s[1], {}});

    const int w = VLMPulsvek::screenSettings->getWidth();
    const int h = VLMPulsvek::screenSettings->getHeight();
    struct Target {
        const char* name;
        int width, height;
        bool depth;
    };
    const Target targets[] = {
        {"offscreen", w, h, true}, {"offscreen2", w, h, false}, {"glow1", 256, 256, false},
        {"glow2", 256, 256, false}, {"mirror", 256, 128, true}, {"skybox", 1024, 576, false},
    };
    for (const Target& t : targets)
        addFBO(t.name, new FBO(t.width, t.height, t.depth, false, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE));
}

const std::vector<DemoResources::Instance>& DemoResources::instances()
{
    static const std::vector<Instance> list = {
        {"terrain", "CubeTerrainEffect"}, {"postprocess", "PostProcessEffect"}, {"rain", "RainEffect"},
        {"title", "TitleEffect"},         {"dashboard", "DashboardEffect"},     {"sky", "SkyEffect"},
        {"distort", "NoiseEffect"},       {"tiles", "TileEffect"},              {"sprites", "SpriteEffect"},
    };
    return list;
}

// The effect classes register here as they are built.
void DemoResources::defineEffects() {}

void DemoResources::defineEffectInstances() {}
