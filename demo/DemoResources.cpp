#include "demo/DemoResources.h"

#include "demo/CubeTerrainEffect.h"
#include "demo/DashboardEffect.h"
#include "demo/OutlineEffect.h"
#include "demo/ParameterEffects.h"
#include "demo/PostProcessEffect.h"
#include "demo/RainEffect.h"
#include "demo/TitleEffect.h"

#include "engine/render/Engine.h"
#include "engine/render/FBO.h"
#include "engine/render/Projection.h"
#include "engine/render/ScreenSettings.h"
#include "engine/runtime/TimeCode.h"
#include "util/Assert.h"

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

void DemoResources::defineEffects()
{
    registerEffect("CubeTerrainEffect", new CubeTerrainEffect());
    registerEffect("PostProcessEffect", new PostProcessEffect());
    registerEffect("RainEffect", new RainEffect());
    registerEffect("TitleEffect", new TitleEffect());
    registerEffect("SkyEffect", new SkyEffect());
    registerEffect("NoiseEffect", new NoiseEffect());
    registerEffect("TileEffect", new TileEffect());
    registerEffect("SpriteEffect", new SpriteEffect());
    registerEffect("OutlineEffect", new OutlineEffect());
    registerEffect("DashboardEffect", new DashboardEffect());
}

namespace {

// The instance of the table's row, created with its track data.
template <typename T>
T* instance(const DemoResources::Instance& row)
{
    T* effect = dynamic_cast<T*>(ResourceDefinition::createEffectInstance(row.className, row.name, true));
    VLM_ASSERT(effect != NULL);
    return effect;
}

}

void DemoResources::defineEffectInstances()
{
    const std::vector<Instance>& rows = instances();
    // The terrain fetches its own resources in init.
    instance<CubeTerrainEffect>(rows[0]);

    PostProcessEffect* post = instance<PostProcessEffect>(rows[1]);
    post->vignette = getTexture("vignett");
    post->gradient = getTexture("gradient");
    post->shadowMask = getTexture("shadowmask");
    post->noise = getTexture("noise");
    post->rearViewOverlay = getTexture("rearviewoverlay");
    post->source = getFBO("offscreen");
    post->postShader = getShader("postprocess");
    post->glow1 = getFBO("glow1");
    post->glow2 = getFBO("glow2");
    post->glowShader = getShader("glow");
    post->brightContrastShader = getShader("blit");

    RainEffect* rain = instance<RainEffect>(rows[2]);
    rain->rainTexture = getTexture("raintexture");
    rain->rainShader = getShader("rainshader");

    TitleEffect* title = instance<TitleEffect>(rows[3]);
    for (int i = 0; i < 3; ++i)
        title->background[i] = getTexture("titlebackground" + std::to_string(i + 1));
    for (int i = 0; i < 5; ++i)
        title->text[i] = getTexture("titletext" + std::to_string(i + 1));
    title->titleShader = getShader("titleshader");
    title->offscreen = getFBO("offscreen");
    title->offscreen2 = getFBO("offscreen2");

    DashboardEffect* dashboard = instance<DashboardEffect>(rows[4]);
    dashboard->rearViewOverlay = getTexture("rearviewoverlay");
    dashboard->frontViewOverlay = getTexture("frontviewoverlay");
    dashboard->speedometerArrow = getTexture("speedometer_arrow");
    dashboard->mirrorMask = getTexture("rearviewmirrormask");
    dashboard->scroller = getTexture("dashscroller");
    dashboard->helmet = getTexture("helmet");
    dashboard->helmetMask = getTexture("helmetmask");
    dashboard->offscreen = getFBO("offscreen");
    dashboard->offscreen2 = getFBO("offscreen2");
    dashboard->mirror = getFBO("mirror");
    dashboard->dashboardShader = getShader("dashboardshader");
    dashboard->copyShader = getShader("copyshader");
    dashboard->helmetShader = getShader("helmetshader");
    dashboard->speedometerShader = getShader("speedometershader");
    dashboard->scrollerShader = getShader("dashscrollershader");
    dashboard->meterShader = getShader("volummetershader");

    // The four parameter instances only carry tracks.
    for (size_t i = 5; i < rows.size(); ++i)
        createEffectInstance(rows[i].className, rows[i].name, true);
}
