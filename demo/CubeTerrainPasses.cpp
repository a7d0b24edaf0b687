#include "demo/CubeTerrain.h"

#include "demo/CubeTerrainShared.h"
#include "demo/SceneryEntry.h"
#include "demo/SceneryKind.h"
#include "demo/TerrainGenerator.h"
#include "engine/render/Engine.h"
#include "engine/render/FBO.h"
#include "engine/render/Object.h"
#include "engine/render/Shader.h"
#include "engine/render/Texture.h"
#include "engine/render/VAO.h"
#include "engine/render/VLMScene.h"
#include "engine/runtime/Rows.h"
#include "util/Assert.h"
#include "util/Log.h"

#include <GL/glew.h>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/mat3x3.hpp>
#include <glm/matrix.hpp>

#include <algorithm>
#include <cmath>

// The passes of a frame of the drive: the sky, the background, road and
// terrain, the car, the scenery sprites and the rear view.

using cubeterrain::identity;
using cubeterrain::valueAt;

// What a frame's passes share.
struct CubeTerrain::Frame {
    FBO* target;
    int t;
    const glm::mat4& camera;
    const glm::mat4& projection;
    int row;
    float frac;
    int camMode;
    glm::mat4 view;
    glm::mat4 skyCam;
    glm::mat3 skyM;
    float skyMix;
    // The target's size.
    float screen[2];
};

void CubeTerrain::draw(FBO* target, int timeMs, float position, const glm::mat4& camera,
                       const glm::mat4& projection, bool lookBack, int lookBackRows)
{
    Frame frame{target, timeMs, camera, projection, 0, 0.0f, 0, glm::mat4(1.0f), glm::mat4(1.0f),
                glm::mat3(1.0f), 0.0f, {0.0f, 0.0f}};
    placeFrame(frame, position, lookBack, lookBackRows);
    selectSkyCubemaps(timeMs);
    drawSkyBox(frame);
    drawBackground(frame);
    markPass("terrain: sky");
    drawLandscape(frame);
    markPass("terrain: landscape");
    if (frame.camMode > 0)
        drawCar(frame);
    drawSprites(frame);
    markPass("terrain: car and sprites");
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    drawMirror(frame);
    markPass("terrain: mirror");
    glDisable(GL_DEPTH_TEST);
}

void CubeTerrain::placeFrame(Frame& frame, float position, bool lookBack, int lookBackRows)
{
    const int t = frame.t;
    const FramePosition at = framePosition(position, lookBack, lookBackRows, generator->getTotalRows() - 1);
    frame.row = at.row;
    frame.frac = at.frac;
    uploadRows(frame.row);

    frame.camMode = cameraMode(valueAt(camModeTrack, t));
    glm::mat4 freeCam = glm::rotate(identity, glm::radians(valueAt(xrotTrack, t)), glm::vec3(1, 0, 0));
    freeCam = glm::rotate(freeCam, glm::radians(valueAt(yrotTrack, t)), glm::vec3(0, 1, 0));
    freeCam = glm::rotate(freeCam, glm::radians(valueAt(zrotTrack, t)), glm::vec3(0, 0, 1));
    freeCam = glm::translate(
        freeCam, glm::vec3(valueAt(xposTrack, t), valueAt(yposTrack, t), valueAt(zposTrack, t)));

    const glm::mat4& camera = frame.camera;
    glm::mat4 view(1.0f);
    if (lookBack)
        view = glm::translate(camera, glm::vec3(0.0f, -145.0f, frame.frac));
    else if (frame.camMode == 0)
        view = camera * carViewMatrix(t, frame.frac);
    else if (frame.camMode == 1)
        view = camera * freeCam * carViewMatrix(t, frame.frac);
    else if (frame.camMode == 2)
        view = glm::translate(camera * freeCam, glm::vec3(0.0f, -128.0f, frame.frac));
    frame.view = view;
}

int CubeTerrain::skyIndex(float value, int count)
{
    VLM_ASSERT(count > 0);
    return trackvalue::toInt(std::floor(value), 0, count - 1);
}

void CubeTerrain::selectSkyCubemaps(int timeMs)
{
    VLM_ASSERT(!cubeMaps.empty());
    const int n = static_cast<int>(cubeMaps.size());
    skyCubeA = cubeMaps[static_cast<size_t>(skyIndex(valueAt(sky1Track, timeMs), n))];
    skyCubeB = cubeMaps[static_cast<size_t>(skyIndex(valueAt(sky2Track, timeMs), n))];
}

void CubeTerrain::drawSkyBox(Frame& frame)
{
    fboBind(skyboxFbo);
    fboBindAndClear(skyboxFbo);
    glm::mat4 skyCam = frame.view;
    skyCam[3] = glm::vec4(0.0f, 0.0f, 0.0f, 1.0f);
    skyCam = glm::rotate(skyCam, glm::radians(180.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    skyCam = glm::translate(skyCam, glm::vec3(0.0f, valueAt(skyYTrack, frame.t), 0.0f));
    frame.skyCam = skyCam;
    frame.skyMix = valueAt(skyMixTrack, frame.t);
    glDisable(GL_DEPTH_TEST);
    skyboxMesh->bind(skyboxShader);
    skyboxShader->setTexture(0, "cube1", skyCubeA);
    skyboxShader->setTexture(1, "cube2", skyCubeB);
    skyboxShader->setFloat("blend", frame.skyMix);
    skyboxShader->setMatrix4("projM", frame.projection);
    skyboxShader->setMatrix4("cameraM", skyCam);
    skyboxMesh->drawMode(GL_TRIANGLES);
}

void CubeTerrain::drawBackground(Frame& frame)
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    fboBind(frame.target);
    fboMarkDirty(frame.target);
    fboBlitColor(skyboxFbo, 0, frame.target, 0, GL_LINEAR);
    frame.skyM = glm::inverse(glm::mat3(frame.skyCam));

    // The target's size; (0, 0) for the screen, which the shaders take as "unknown".
    frame.screen[0] = static_cast<float>(fboGetWidth(frame.target));
    frame.screen[1] = static_cast<float>(fboGetHeight(frame.target));
}

// Uniforms of one road or terrain draw.
struct CubeTerrain::TerrainPass {
    VAO* mesh;
    const glm::mat4* view;
    const glm::mat4* projection;
    const glm::mat3* skyM;
    const float* screen;
    float skyMix;
    float seconds;
    int row;
    Texture* tiles;
    Texture* props;
    // Only the main road pass sets "offset" and "background".
    bool roadExtras;
    float offset;
};

void CubeTerrain::drawLandscape(const Frame& frame)
{
    drawRoadAndTerrain(frame, frame.view, true);
}

void CubeTerrain::drawMirror(const Frame& frame)
{
    // Road and terrain only, seen backwards, into the mirror buffer (cleared by the pool).
    const glm::mat4 mirrorView = frame.camera * splineCameraMatrix(frame.t, frame.frac);
    fboBind(mirrorFbo);
    fboMarkDirty(mirrorFbo);
    drawRoadAndTerrain(frame, mirrorView, false);
}

void CubeTerrain::drawRoadAndTerrain(const Frame& frame, const glm::mat4& view, bool roadExtras)
{
    TerrainPass pass{roadMesh,     &view,        &frame.projection, &frame.skyM,
                     frame.screen, frame.skyMix, static_cast<float>(frame.t) / 1000.0f,
                     frame.row,    roadTileTextures, roadData, roadExtras, frame.frac};
    drawTerrainPass(pass);
    pass.mesh = terrainMesh;
    pass.tiles = tileTextures;
    pass.props = terrainData;
    pass.roadExtras = false;
    drawTerrainPass(pass);
}

void CubeTerrain::drawTerrainPass(const TerrainPass& pass)
{
    Shader* shader = terrainShader;
    pass.mesh->bind(shader);
    shader->setMatrix4("ViewM", *pass.view);
    shader->setMatrix4("ProjM", *pass.projection);
    shader->setMatrix3("SkyM", *pass.skyM);
    shader->setVec2fv("screen", pass.screen);
    shader->setFloat("blend", pass.skyMix);
    shader->setFloat("time", pass.seconds);
    shader->setInt("row", pass.row);
    if (pass.roadExtras)
        shader->setFloat("offset", pass.offset);
    shader->setTexture(10, "tile", pass.tiles);
    shader->setTexture(1, "cube1", skyCubeA);
    shader->setTexture(2, "cube2", skyCubeB);
    shader->setTexture(3, "TerrainProps", pass.props);
    shader->setTexture(4, "TurnMap", turnMap);
    shader->setTexture(5, "HillMap", hillMap);
    if (pass.roadExtras)
        shader->setTexture(6, "background", fboGetColorTexture(skyboxFbo, 0));
    pass.mesh->draw();
}

void CubeTerrain::drawCar(const Frame& frame)
{
    VLM_ASSERT(car != nullptr);
    VAO* mesh = car->getObjectCount() > 0 ? car->getObject(0)->getMesh() : nullptr;
    if (!mesh) {
        if (firstMissing(car))
            vlm::logLine("CubeTerrain: the car's first object has no mesh; the car is not drawn");
        return;
    }
    glm::mat4 local = glm::scale(identity, glm::vec3(0.06f));
    local = glm::rotate(local, glm::radians(-90.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    local = glm::translate(local, glm::vec3(0.0f, -6.5f, valueAt(carXTrack, frame.t)));
    const glm::mat4 modelView = frame.view * (carMatrix(frame.t, frame.frac) * local);
    const glm::mat3 normalM = glm::transpose(glm::inverse(glm::mat3(modelView)));

    mesh->bind(carShader);
    carShader->setMatrix4("ProjM", frame.projection);
    carShader->setMatrix4("ViewM", modelView);
    carShader->setMatrix3("NormalM", normalM);
    carShader->setMatrix3("SkyM", frame.skyM);
    carShader->setFloat("blend", frame.skyMix);
    carShader->setTexture(0, "cube1", skyCubeA);
    carShader->setTexture(1, "cube2", skyCubeB);
    carShader->setTexture(2, "diffuse", carTexture);
    mesh->draw();
}

void CubeTerrain::drawSprites(const Frame& frame)
{
    const int row = frame.row;
    const int rowTime = row * VLMPulsvek::MS_PER_ROW;
    const float rs = valueAt(rScaleTrack, rowTime);
    const float ss = valueAt(sScaleTrack, rowTime);
    const int n = generator->getSceneryCount();
    if (n == 0 || !scenery)
        return;
    const glm::mat4 upright = glm::rotate(identity, glm::radians(-90.0f), glm::vec3(1.0f, 0.0f, 0.0f));
    for (int k = 0; k < n; ++k) {
        const SceneryEntry& e = scenery[k];
        const int d = e.row - row;
        // Every row of the window has its road sample, the last two (beyond the
        // meshes) included; a row outside it would read beyond the spline.
        if (d < 0 || d >= rows)
            continue;
        SceneryKind* kind = e.kind;
        if (!kind || !kind->mesh) {
            if (firstMissing(kind))
                vlm::logLine("CubeTerrain: a scenery kind has no mesh; its sprites are not drawn");
            continue;
        }
        const glm::vec3 p = splinePoint(glm::vec3(static_cast<float>(e.column - 64),
                                                  static_cast<float>(e.height),
                                                  static_cast<float>(-d)),
                                        d, 0.0f);
        glm::mat4 model = glm::translate(identity, p) * upright;
        if (e.placed == 0 || e.placed == 1) {
            const float s = spriteScale(e.placed, rs, ss);
            model[0] *= s;
            model[1] *= s;
            model[2] *= s;
        }
        const bool textured = kind->texture != nullptr;
        Shader* shader = textured ? spriteShaderTex : spriteShader;
        kind->mesh->bind(shader);
        shader->setMatrix4("projM", frame.projection);
        shader->setMatrix4("modelM", frame.view * model);
        shader->setMatrix4("cameraM", identity);
        shader->setVec2fv("screen", frame.screen);
        shader->setFloat("row", static_cast<float>(d));
        if (textured)
            shader->setTexture(0, "tile", wireframeTexture);
        shader->setTexture(1, "background", fboGetColorTexture(skyboxFbo, 0));
        kind->mesh->draw();
    }
}

float CubeTerrain::spriteScale(int placed, float rScale, float sScale)
{
    if (placed == 0)
        return rScale;
    if (placed == 1)
        return sScale;
    return 1.0f;
}

bool CubeTerrain::firstMissing(const void* what)
{
    if (std::find(reportedMissing.begin(), reportedMissing.end(), what) != reportedMissing.end())
        return false;
    reportedMissing.push_back(what);
    return true;
}
