#include "support/DriveScene.h"

#include "demo/CubeTerrain.h"
#include "demo/TerrainGenerator.h"
#include "engine/render/Engine.h"
#include "engine/render/FBO.h"
#include "engine/render/Object.h"
#include "engine/render/ObjectFile.h"
#include "engine/render/Shader.h"
#include "engine/render/Texture.h"
#include "engine/render/VLMScene.h"
#include "engine/runtime/DataEffectPool.h"
#include "engine/runtime/DataFBOPool.h"
#include "engine/runtime/DataObjectPool.h"
#include "engine/runtime/DataShaderPool.h"
#include "engine/runtime/DataTexturePool.h"
#include "engine/runtime/Keyframe.h"
#include "engine/runtime/ResourceDefinition.h"
#include "engine/runtime/TrackInterpolate.h"
#include "engine/runtime/VLMIO.h"
#include "support/Capture.h"
#include "support/TerrainTracks.h"
#include "tools/objectfile/ObjectFileWriter.h"
#include "util/Assert.h"

#include <GL/glew.h>

#include <cstdint>
#include <cstdio>

namespace testsupport {

namespace {

// A GL texture of the given target filled by fill(face or layer, x, y) -> RGBA.
template <typename Fill>
Texture* makeTexture(const std::string& name, GLenum target, int size, int layers, Fill fill)
{
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(target, id);
    std::vector<uint8_t> pixels(static_cast<size_t>(size * size * 4 * layers));
    for (int l = 0; l < layers; ++l)
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const std::array<int, 4> c = fill(l, x, y);
                for (int k = 0; k < 4; ++k)
                    pixels[static_cast<size_t>(((l * size + y) * size + x) * 4 + k)] = static_cast<uint8_t>(c[k]);
            }
    if (target == GL_TEXTURE_2D_ARRAY) {
        glTexImage3D(target, 0, GL_RGBA8, size, size, layers, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    } else if (target == GL_TEXTURE_CUBE_MAP) {
        for (int f = 0; f < 6; ++f)
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(f), 0, GL_RGBA8, size, size, 0, GL_RGBA,
                         GL_UNSIGNED_BYTE, &pixels[static_cast<size_t>(f * size * size * 4)]);
    } else {
        glTexImage2D(target, 0, GL_RGBA8, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    }
    glGenerateMipmap(target);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(target, 0);
    Texture* texture = new Texture(name, id);
    texture->setTarget(target);
    texture->setSize(size, size);
    return texture;
}

std::array<int, 4> rgba(const std::array<int, 3>& c)
{
    return {c[0], c[1], c[2], 255};
}

// A box from lo to hi with normals, one uv set and one colour set, as a mesh record.
ObjectFileWriter::Mesh box(int id, const glm::vec3& lo, const glm::vec3& hi, const std::array<int, 3>& color)
{
    ObjectFileWriter::Mesh mesh;
    mesh.id = id;
    mesh.uvSets = 1;
    mesh.colorSets = 1;
    for (int axis = 0; axis < 3; ++axis) {
        for (int sign = 0; sign < 2; ++sign) {
            const int a = (axis + 1) % 3;
            const int b = (axis + 2) % 3;
            glm::vec3 n(0.0f);
            n[axis] = sign ? 1.0f : -1.0f;
            const int first = mesh.vertexCount();
            const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            for (const auto& c : corners) {
                glm::vec3 p;
                p[axis] = sign ? hi[axis] : lo[axis];
                p[a] = c[0] ? hi[a] : lo[a];
                p[b] = c[1] ? hi[b] : lo[b];
                mesh.vertices.insert(mesh.vertices.end(), {p.x, p.y, p.z, n.x, n.y, n.z, c[0], c[1],
                                                           color[0] / 255.0f, color[1] / 255.0f,
                                                           color[2] / 255.0f, 1.0f});
            }
            // (a, b) turns counter-clockwise around +axis.
            const int order[6] = {0, 1, 2, 0, 2, 3};
            const int reversed[6] = {0, 2, 1, 0, 3, 2};
            for (int k = 0; k < 6; ++k)
                mesh.indices.push_back(first + (sign ? order[k] : reversed[k]));
        }
    }
    mesh.fitBoundingBox();
    return mesh;
}

VLMScene* loadObjects(const TempDir& dir, const std::string& name, const ObjectFileWriter& writer)
{
    const std::string path = dir.file(name);
    VLM_ASSERT(writer.save(path));
    StdoutCapture quiet;
    ObjectFile reader(path);
    VLMScene* scene = reader.load();
    VLM_ASSERT(scene != nullptr);
    return scene;
}

}

DriveScene::DriveScene(const DriveOptions& options)
    : shaderPool(new DataShaderPool()), texturePool(new DataTexturePool()), fboPool(new DataFBOPool()),
      scenePool(new DataObjectPool()), instancePool(new DataEffectPool()),
      savedScreen(VLMPulsvek::screenSettings), savedShaders(VLMPulsvek::shaderDataPool),
      savedTextures(VLMPulsvek::textureDataPool), savedFbos(VLMPulsvek::fboDataPool),
      savedScenes(VLMPulsvek::sceneDataPool), savedInstances(VLMPulsvek::effectInstanceDataPool)
{
    screen.setSize(options.targetWidth, options.targetHeight);
    screen.updateViewport();
    screen.getProjection()->setNearFar(0.1f, 500.0f);
    VLMPulsvek::screenSettings = &screen;
    VLMPulsvek::shaderDataPool = shaderPool;
    VLMPulsvek::textureDataPool = texturePool;
    VLMPulsvek::fboDataPool = fboPool;
    VLMPulsvek::sceneDataPool = scenePool;
    VLMPulsvek::effectInstanceDataPool = instancePool;

    loadShaders(options.shaderFolder.empty() ? std::string(PULSVEK_CONTENT_DIR) + "/shaders"
                                             : options.shaderFolder);
    if (options.resourceFolder.empty()) {
        makeTextures(options);
        makeObjects(options);
    } else {
        loadShowArt(options.resourceFolder);
    }

    StdoutCapture quiet;
    target = new FBO(options.targetWidth, options.targetHeight, true, false, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE);
    skybox = new FBO(options.skyboxWidth, options.skyboxHeight, false, false, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE);
    mirror = new FBO(256, 128, true, false, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE);
    fboPool->addFBO("offscreen", target);
    fboPool->addFBO("skybox", skybox);
    fboPool->addFBO("mirror", mirror);
    // Fresh framebuffers hold no defined depth: start from cleared ones.
    for (FBO* fbo : {target, skybox, mirror})
        fboBindAndClear(fbo);
    fboBind(nullptr);

    sprites = new SpriteEffect();
    distort = new NoiseEffect();
    tiles = new TileEffect();
    sky = new SkyEffect();
    effect = new CubeTerrainEffect();
    Effect* all[] = {sprites, distort, tiles, sky, effect};
    for (Effect* e : all)
        e->createTracks();
    instancePool->add("sprites", sprites);
    instancePool->add("distort", distort);
    instancePool->add("tiles", tiles);
    instancePool->add("sky", sky);
    instancePool->add("drive", effect);
}

DriveScene::~DriveScene()
{
    // The renderer lives as long as the process in the show; here the test frees it.
    CubeTerrain* terrain = effect ? effect->terrain : nullptr;
    {
        StdoutCapture quiet;
        fboBind(nullptr);
        glBindVertexArray(0);
        glUseProgram(0);
        delete instancePool;
        delete scenePool;
        delete fboPool;
        delete texturePool;
        delete shaderPool;
    }
    delete terrain;
    VLMPulsvek::screenSettings = savedScreen;
    VLMPulsvek::shaderDataPool = savedShaders;
    VLMPulsvek::textureDataPool = savedTextures;
    VLMPulsvek::fboDataPool = savedFbos;
    VLMPulsvek::sceneDataPool = savedScenes;
    VLMPulsvek::effectInstanceDataPool = savedInstances;
}

Shader* DriveScene::shader(const std::string& name) const
{
    return shaderPool->getShader(name);
}

void DriveScene::loadShaders(const std::string& folder)
{
    shaderNames = {"cubeterrain", "skybox", "carshader", "spriteshader", "spriteshadertex", "color", "mirror"};
    for (const std::string& name : shaderNames) {
        Shader* s = new Shader(name);
        s->setVertexSource(readWholeFile(folder + "/" + name + ".vert"));
        s->setFragmentSource(readWholeFile(folder + "/" + name + ".frag"));
        StdoutCapture log;
        const bool ok = s->prepare();
        const std::string text = log.text();
        if (!ok)
            std::printf("%s", text.c_str());
        VLM_ASSERT(ok);
        shaderPool->addShader(name, s);
    }
}

void DriveScene::makeTextures(const DriveOptions& options)
{
    // Terrain tiles: strong hues, none of them red; layer 5 is water.
    const std::array<int, 3> tileColors[10] = {{40, 160, 40},  {200, 180, 90}, {120, 120, 130}, {30, 110, 60},
                                               {230, 230, 240}, {30, 80, 200},  {90, 70, 50},    {40, 200, 200},
                                               {60, 60, 180},  {150, 200, 60}};
    texturePool->addTexture("tiles1", makeTexture("tiles1", GL_TEXTURE_2D_ARRAY, options.tileSize, 10, [&](int l, int x, int y) {
        // A darker rim, so boxes read as boxes.
        const int last = options.tileSize - 1;
        const bool rim = x == 0 || y == 0 || x == last || y == last;
        std::array<int, 4> c = rgba(tileColors[l]);
        if (rim)
            for (int k = 0; k < 3; ++k)
                c[static_cast<size_t>(k)] = c[static_cast<size_t>(k)] * 3 / 4;
        return c;
    }));
    texturePool->addTexture("roadtiles", makeTexture("roadtiles", GL_TEXTURE_2D_ARRAY, options.tileSize, 7, [](int, int, int) {
        return rgba(drivecolors::ROAD);
    }));
    for (int i = 1; i <= 4; ++i) {
        const std::string name = "cubemap" + std::to_string(i);
        texturePool->addTexture(name, makeTexture(name, GL_TEXTURE_CUBE_MAP, options.cubeSize, 6, [](int, int, int) {
            return rgba(drivecolors::SKY);
        }));
    }
    // Faces keep their colour under the edge texture; its alpha lights the edges.
    texturePool->addTexture("wireframetexture", makeTexture("wireframetexture", GL_TEXTURE_2D, 16, 1,
                                                            [](int, int, int) { return std::array<int, 4>{255, 255, 255, 0}; }));
    texturePool->addTexture("cartexture", makeTexture("cartexture", GL_TEXTURE_2D, 8, 1,
                                                      [](int, int, int) { return rgba(drivecolors::CAR); }));
}

void DriveScene::makeObjects(const DriveOptions& options)
{
    // The car: nose toward -x, up +y; the road lies at y = 6.5 - 1 / 0.06 in
    // model units under the draw's transform.
    const float road = 6.5f - 1.0f / 0.06f;
    ObjectFileWriter car;
    car.addMesh(box(1, glm::vec3(-35.0f, road, -15.0f), glm::vec3(35.0f, road + 18.0f, 15.0f), {255, 255, 255}));
    ObjectFileWriter::Node body;
    body.id = 1;
    body.name = "Car";
    body.meshIds = {1};
    car.addNode(body);
    VLMScene* carScene = loadObjects(dir, "car.vbo", car);
    if (options.carWithoutMesh) {
        // The reader makes no object of a node without a mesh: build that scene by hand.
        delete carScene;
        carScene = new VLMScene();
        Object* empty = new Object();
        empty->setName("Car");
        empty->setMesh(nullptr);
        carScene->addObject(empty);
    }
    scenePool->addScene("car", carScene);

    // Sprites stand z-up with their base at z = 0.
    ObjectFileWriter spriteObjects;
    const std::vector<std::string> names = spriteNames();
    for (size_t i = 0; i < names.size(); ++i) {
        const int id = static_cast<int>(i) + 1;
        const float h = 2.0f + static_cast<float>(i % 3);
        spriteObjects.addMesh(box(id, glm::vec3(-0.4f, -0.4f, 0.0f), glm::vec3(0.4f, 0.4f, h), drivecolors::SPRITE));
        ObjectFileWriter::Node node;
        node.id = id;
        node.name = names[i];
        if (!(options.treeWithoutMesh && names[i] == "Tree"))
            node.meshIds = {id};
        spriteObjects.addNode(node);
    }
    VLMScene* spriteScene = loadObjects(dir, "sprites.vbo", spriteObjects);
    if (options.treeWithoutMesh) {
        // The reader makes no object for a node without a mesh; the scene has one anyway.
        Object* tree = new Object();
        tree->setName("Tree");
        tree->setMesh(nullptr);
        spriteScene->addObject(tree);
    }
    scenePool->addScene("sprites", spriteScene);
}

void DriveScene::loadShowArt(const std::string& folder)
{
    const std::string previousFolder = VLMIO::graphicsFolder;
    const int previousMode = VLMIO::loadMode;
    VLMIO::graphicsFolder = folder + "/graphics/";
    VLMIO::loadMode = 0;
    const struct {
        const char* name;
        const char* file;
        GLenum target;
        int layers;
    } pictures[] = {
        {"tiles1", "TextureTiles4.png", GL_TEXTURE_2D_ARRAY, 10}, {"roadtiles", "RoadTiles.png", GL_TEXTURE_2D_ARRAY, 7},
        {"cubemap1", "Sunset_*.png", GL_TEXTURE_CUBE_MAP, 0},     {"cubemap2", "Desert_*.png", GL_TEXTURE_CUBE_MAP, 0},
        {"cubemap3", "Forest_*.png", GL_TEXTURE_CUBE_MAP, 0},     {"cubemap4", "City_*.png", GL_TEXTURE_CUBE_MAP, 0},
        {"wireframetexture", "wireframe.png", GL_TEXTURE_2D, 0},  {"cartexture", "Cartexture.png", GL_TEXTURE_2D, 0},
    };
    {
        StdoutCapture quiet;
        for (const auto& p : pictures) {
            TextureDefinition def;
            def.name = p.name;
            def.file = p.file;
            def.target = static_cast<int>(p.target);
            def.mipmap = true;
            def.layers = p.layers;
            Texture* texture = VLMIO::loadTextureByTarget(def);
            VLM_ASSERT(texture != nullptr);
            texturePool->addTexture(p.name, texture);
        }
    }
    VLMIO::graphicsFolder = previousFolder;
    VLMIO::loadMode = previousMode;
    for (const auto& [alias, file] : {std::pair<const char*, const char*>{"car", "hqpoly.vbo"}, {"sprites", "Sprites.vbo"}}) {
        StdoutCapture quiet;
        ObjectFile reader(folder + "/objects/" + file);
        VLMScene* scene = reader.load();
        VLM_ASSERT(scene != nullptr);
        scenePool->addScene(alias, scene);
    }
}

void DriveScene::key(TrackInterpolate* track, unsigned row, float value, int type)
{
    track->addKeyframe(new Keyframe(row, type, value));
}

void DriveScene::setShowTracks(float camMode)
{
    // Twenty rows a second: the drive moves one landscape row per 50 ms.
    key(effect->positionTrack, 0, 0.0f);
    key(effect->positionTrack, 20000, 20000.0f);
    const float turns[][2] = {{0, 0}, {60, 9}, {130, -7}, {210, 5}, {300, -4}, {420, 6}, {600, 0}};
    for (const auto& t : turns)
        key(effect->turnTrack, static_cast<unsigned>(t[0]), t[1]);
    const float hills[][2] = {{0, 0}, {90, 4}, {170, -3}, {260, 2}, {400, -2}, {600, 0}};
    for (const auto& h : hills)
        key(effect->hillTrack, static_cast<unsigned>(h[0]), h[1]);
    key(effect->carPosTrack, 0, 12.0f, 3);
    key(effect->carXTrack, 0, 0.0f, 3);
    key(effect->camModeTrack, 0, camMode, 3);
    // The chase camera of mode 1: behind and above the car, looking down a little.
    key(effect->xposTrack, 0, 0.0f, 3);
    key(effect->yposTrack, 0, -2.5f, 3);
    key(effect->zposTrack, 0, -9.0f, 3);
    key(effect->xrotTrack, 0, 10.0f, 3);
    key(effect->yrotTrack, 0, 0.0f, 3);
    key(effect->zrotTrack, 0, 0.0f, 3);

    key(distort->noiseTypeTrack, 0, 0.0f, 3);
    key(distort->noiseFreqTrack, 0, 5.0f, 3);
    key(distort->noiseOctTrack, 0, 4.0f, 3);
    key(distort->noisePersTrack, 0, 0.5f, 3);
    key(distort->noiseDisplTrack, 0, 1.0f, 3);
    key(distort->noiseMultTrack, 0, 10.0f, 3);
    key(distort->noiseAddTrack, 0, 2.0f, 3);
    key(distort->waterHeightTrack, 0, 123.0f, 3);
    key(distort->tunellHeightTrack, 0, 0.0f, 3);
    const float profile[5] = {14.0f, 4.0f, -2.0f, 4.0f, 14.0f};
    for (int i = 0; i < 5; ++i)
        key(distort->splineTracks[i], 0, profile[i], 3);

    const float bands[8] = {0, 3, 1, 9, 9, 1, 3, 0};
    for (int i = 0; i < 8; ++i) {
        key(tiles->tileTracks[i], 0, bands[i], 3);
        key(tiles->roadTracks[i], 0, static_cast<float>(i % 2), 3);
    }

    key(sprites->rScaleTrack, 0, 1.0f, 3);
    key(sprites->rSpriteTrack, 0, 0.0f, 3);
    key(sprites->rFrequencyTrack, 0, 0.5f, 3);
    key(sprites->sScaleTrack, 0, 1.5f, 3);
    key(sprites->sFrequencyTrack, 0, 6.0f, 3);
    key(sprites->sSpriteTrack, 0, 1.0f, 3);
    key(sprites->sPos1Track, 0, 57.0f, 3);
    key(sprites->sPos2Track, 0, 70.0f, 3);

    key(sky->sky1Track, 0, 0.0f, 3);
    key(sky->sky2Track, 0, 1.0f, 3);
    key(sky->skyMixTrack, 0, 0.3f, 3);
    key(sky->skyYTrack, 0, 0.0f, 3);
}

void DriveScene::init()
{
    StdoutCapture quiet;
    effect->init();
}

void DriveScene::draw(int timeMs, bool toScreen)
{
    effect->draw(timeMs, 0, toScreen ? nullptr : target);
}

void DriveScene::endFrame()
{
    fboPool->clearDirty();
}

}
