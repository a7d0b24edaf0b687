#include "TestProduction.h"

#include "engine/render/Engine.h"
#include "engine/render/FBO.h"
#include "engine/render/Geometry.h"
#include "engine/render/ScreenSettings.h"
#include "engine/render/Shader.h"
#include "engine/render/VAO.h"
#include "engine/runtime/Effect.h"
#include "engine/runtime/StartStopKeyframe.h"
#include "engine/runtime/TrackEntry.h"
#include "engine/runtime/TrackFile.h"
#include "engine/runtime/TrackInterpolate.h"
#include "engine/runtime/TrackManager.h"
#include "engine/runtime/TrackStartStop.h"
#include "support/GLDrivers.h"
#include "tools/ResourcePacker.h"
#include "util/Log.h"

#include <GL/glew.h>

namespace {

class ColorEffect : public Effect {
public:
    Effect* clone() override { return new ColorEffect(); }
    void createTracks() override
    {
        addTrack("red", red);
        addTrack("green", green);
    }
    void init() override { shader = ResourceDefinition::getShader("color"); }
    void draw(int timeMs, int, FBO* target) override
    {
        fboBind(target);
        fboMarkDirty(target);
        shader->bind();
        const unsigned t = static_cast<unsigned>(timeMs);
        shader->setFloat4("color", red->getValue(t), green->getValue(t), 0.0f, 1.0f);
        Geometry::screenQuad->bind(shader);
        Geometry::screenQuad->draw();
    }

    TrackInterpolate* red = nullptr;
    TrackInterpolate* green = nullptr;

private:
    Shader* shader = nullptr;
};

class BlitEffect : public Effect {
public:
    Effect* clone() override { return new BlitEffect(); }
    void init() override
    {
        shader = ResourceDefinition::getShader("blit");
        source = ResourceDefinition::getFBO("offscreen");
    }
    void draw(int, int, FBO* target) override
    {
        fboBind(target);
        shader->bind();
        shader->setTexture0("image", fboGetColorTexture(source, 0));
        shader->setTexture1("tint", tint);
        Geometry::screenQuad->bind(shader);
        Geometry::screenQuad->draw();
    }
    void postDraw(int) override
    {
        unsigned char pixel[4] = {0, 0, 0, 0};
        const int w = VLMPulsvek::screenSettings->getWidth();
        const int h = VLMPulsvek::screenSettings->getHeight();
        glReadPixels(w / 2, h / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
        const int rgb = pixel[0] << 16 | pixel[1] << 8 | pixel[2];
        if (rgb != last)
            vlm::logLine("screen ", int(pixel[0]), " ", int(pixel[1]), " ", int(pixel[2]));
        last = rgb;
    }

    Texture* tint = nullptr;

private:
    Shader* shader = nullptr;
    FBO* source = nullptr;
    int last = -1;
};

class IdleEffect : public Effect {
public:
    Effect* clone() override { return new IdleEffect(); }
};

StartStopKeyframe* startKey(unsigned row, const std::string& target)
{
    StartStopKeyframe* key = new StartStopKeyframe(row, 1);
    key->targetName = target;
    return key;
}

}

TestProduction::TestProduction(const std::string& endTime) : endTime(endTime) {}

void TestProduction::configure(ScreenSettings*)
{
    VLMPulsvek::startTime.parse("00:00:000");
    VLMPulsvek::endTime.parse(endTime);
}

void TestProduction::defineResources()
{
    // The window is open: keep the GL driver's leftovers out of the leak report.
    testsupport::pinGLDrivers();
    testsupport::warmUpMipmaps();
    setMusic("tone.mp3");
    defineTexture("tint", "tint.png", false);
    // The same file again: one texture under both names.
    defineTexture("tint2", "tint.png", true);
    defineShader({"color", "color", {"FULL"}});
    defineShader({"blit", "blit", {}});
    addFBO("offscreen", new FBO(64, 36, true, false, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE));
}

void TestProduction::defineEffects()
{
    registerEffect("ColorEffect", new ColorEffect());
    registerEffect("BlitEffect", new BlitEffect());
    registerEffect("IdleEffect", new IdleEffect());
}

void TestProduction::defineEffectInstances()
{
    // Created out of name order; they are initialised in name order.
    createEffectInstance("ColorEffect", "color", true);
    createEffectInstance("IdleEffect", "idle", false);
    BlitEffect* blit = static_cast<BlitEffect*>(createEffectInstance("BlitEffect", "blit", true));
    blit->tint = getTexture("tint2");
}

bool writeTestTracks(const std::string& folder, bool brokenBlit)
{
    ColorEffect color;
    color.createTracks();
    color.red->addKeyframe(new Keyframe(0, 3, 1.0f));
    color.red->addKeyframe(new Keyframe(10, 3, 0.0f));
    color.green->addKeyframe(new Keyframe(0, 3, 0.0f));
    color.green->addKeyframe(new Keyframe(10, 3, 1.0f));

    TrackManager manager;
    TrackEntry* colorEntry = new TrackEntry("color");
    TrackStartStop* colorRun = new TrackStartStop(0);
    colorRun->addKeyframe(startKey(0, "offscreen"));
    colorRun->addKeyframe(new StartStopKeyframe(1000, 0));
    colorEntry->setStartStop(colorRun);
    colorEntry->addTrack(color.red);
    colorEntry->addTrack(color.green);
    manager.addEntry(colorEntry);

    TrackEntry* blitEntry = new TrackEntry("blit");
    TrackStartStop* blitRun = new TrackStartStop(1);
    blitRun->addKeyframe(startKey(0, ""));
    blitRun->addKeyframe(brokenBlit ? startKey(1000, "") : new StartStopKeyframe(1000, 0));
    blitEntry->setStartStop(blitRun);
    manager.addEntry(blitEntry);

    return TrackFile(folder).saveIndex(&manager);
}

ResourceDefinition* createProductionResources()
{
    return new TestProduction();
}
