#include "RenderFixture.h"

#include "demo/DemoProgressBar.h"
#include "demo/DemoShaderCache.h"
#include "engine/render/Camera.h"
#include "engine/render/CubeMapFBO.h"
#include "engine/render/DeferredRenderer.h"
#include "engine/render/Geometry.h"
#include "engine/render/Light.h"
#include "engine/render/Material.h"
#include "engine/render/Object.h"
#include "engine/render/ShadingHook.h"
#include "engine/render/Texture.h"
#include "engine/render/VAO.h"
#include "engine/render/VBO.h"
#include "engine/render/VLMScene.h"
#include "engine/runtime/DataShaderPool.h"
#include "engine/runtime/DataTexturePool.h"
#include "engine/runtime/VLMIO.h"
#include "support/Capture.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace {

const char* const kVolumeVS =
    "#version 150\nin vec3 in_Position;\nuniform mat4 projM;\nuniform mat4 lightM;\n"
    "void main() { gl_Position = projM * lightM * vec4(in_Position, 1.0); }\n";
const char* const kQuadVS =
    "#version 150\nin vec3 in_Position;\nvoid main() { gl_Position = vec4(in_Position, 1.0); }\n";

// Samples every buffer behind a condition that never holds, so that every
// uniform the light passes set stays active.
std::string lightFS(const std::string& extra, const std::string& extraUse)
{
    return "#version 150\nout vec4 fragColor;\nuniform sampler2D diffuseBuffer;\nuniform sampler2D depthBuffer;\n"
           "uniform sampler2D normalBuffer;\nuniform sampler2D materialBuffer;\nuniform vec2 screensize;\n"
           "uniform vec2 ProjConst;\nuniform vec4 color;\n" +
           extra +
           "void main() {\n  fragColor = color;\n  if (screensize.x < 0.0) {\n    vec2 uv = gl_FragCoord.xy / screensize;\n"
           "    fragColor += texture(diffuseBuffer, uv) + texture(depthBuffer, uv) + texture(normalBuffer, uv)\n"
           "      + texture(materialBuffer, uv) + vec4(ProjConst, 0.0, 0.0)" +
           extraUse + ";\n  }\n}\n";
}

const std::string kPointExtra = "uniform float lightRadius;\nuniform vec3 lightPos;\n";
const std::string kPointUse = " + vec4(lightPos, lightRadius)";
const std::string kSpotExtra =
    "uniform float lightRadius;\nuniform vec3 lightPos;\nuniform vec3 lightDirection;\nuniform float FallOff;\n"
    "uniform float LinearAttenuation;\nuniform sampler2D spotTexture;\n";
const std::string kSpotUse =
    " + vec4(lightPos + lightDirection, lightRadius + FallOff + LinearAttenuation) + texture(spotTexture, uv)";
const std::string kDirectionalExtra = "uniform vec3 lightDirection;\n";
const std::string kDirectionalUse = " + vec4(lightDirection, 0.0)";

// A texture pool for the renderer's material texture, and the light volumes.
class DeferredTest : public rendertest::GLTest {
protected:
    void SetUp() override
    {
        rendertest::GLTest::SetUp();
        if (!testsupport::glAvailable())
            return;
        savedPool = VLMPulsvek::textureDataPool;
        VLMPulsvek::textureDataPool = pool.get();
        savedShaders = VLMPulsvek::shaderDataPool;
        VLMPulsvek::shaderDataPool = shaders.get();
        if (!Geometry::screenQuad)
            Geometry::init();
        cache.init();
        camera.getProjection()->setNearFar(1.0f, 100.0f);
    }
    void TearDown() override
    {
        if (testsupport::glAvailable()) {
            testsupport::StdoutCapture disposeLines;
            renderer.reset();
            geometry.reset();
            light.reset();
            geometry2.reset();
            light2.reset();
            shaders.reset();
            pool.reset();
            VLMPulsvek::textureDataPool = savedPool;
            VLMPulsvek::shaderDataPool = savedShaders;
        }
        rendertest::GLTest::TearDown();
    }

    // Geometry buffers (diffuse, normals, depth) and a light buffer of 32 x 16.
    void makeRenderer(bool twoPairs = false)
    {
        auto makeGeometry = [] {
            auto fbo = std::make_unique<FBO>(32, 16, true, false, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE);
            fbo->addColorTexture(GL_RGBA, GL_RGBA);
            return fbo;
        };
        auto makeLight = [] { return std::make_unique<FBO>(32, 16, false, false, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE); };
        geometry = makeGeometry();
        light = makeLight();
        if (twoPairs) {
            geometry2 = makeGeometry();
            light2 = makeLight();
        }
        volumeShader = rendertest::makeShader(
            "volumes",
            "#version 150\nin vec3 in_Position;\nuniform mat4 ProjM;\nuniform mat4 Modelview;\n"
            "void main() { gl_Position = ProjM * Modelview * vec4(in_Position, 1.0); }\n",
            "#version 150\nout vec4 c;\nuniform vec4 color;\nvoid main() { c = color; }\n");
        renderer = std::make_unique<DeferredRenderer>(geometry.get(), geometry2.get(), light.get(), light2.get(),
                                                      volumeShader.get());
    }

    // The light buffer after the light passes, cleared to black first.
    rendertest::RGBA lit(VLMScene& scene)
    {
        fboBind(light.get());
        rendertest::clearTo(0, 0, 0, 0);
        renderer->renderLights(&camera, &scene, false);
        fboBind(light.get());
        return rendertest::pixel(16, 8);
    }

    Light* addLight(VLMScene& scene, const std::string& name, int type, Shader* shader, float radius,
                    glm::vec4 color)
    {
        Light* l = new Light(type, shader, radius, color);
        l->setName(name);
        scene.addLight(name, l);
        return l;
    }

    std::unique_ptr<DataTexturePool> pool = std::make_unique<DataTexturePool>();
    std::unique_ptr<DataShaderPool> shaders = std::make_unique<DataShaderPool>();
    DataTexturePool* savedPool = nullptr;
    DataShaderPool* savedShaders = nullptr;
    DemoShaderCache cache;
    Camera camera{"deferred"};
    std::unique_ptr<FBO> geometry, light, geometry2, light2;
    std::unique_ptr<Shader> volumeShader;
    std::unique_ptr<DeferredRenderer> renderer;
};

std::vector<unsigned int> indicesOf(VAO* mesh)
{
    VBO* buffer = mesh->getIndexBuffer();
    std::vector<unsigned int> out(static_cast<size_t>(buffer->getCount()));
    glBindVertexArray(0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer->getId());
    glGetBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(out.size() * sizeof(unsigned int)), out.data());
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    return out;
}

std::vector<glm::vec3> positionsOf(VAO* mesh)
{
    const float* p = static_cast<const float*>(mesh->getBufferData(0));
    std::vector<glm::vec3> out;
    for (int i = 0; i < mesh->getVertexCount(); ++i)
        out.emplace_back(p[3 * i], p[3 * i + 1], p[3 * i + 2]);
    return out;
}

}

TEST_F(DeferredTest, DemoCacheBuildsTheFourVolumesFacingOutwards)
{
    REQUIRE_GL();
    struct Case {
        VAO* mesh;
        const char* name;
        int vertices;
        std::vector<unsigned int> indices;
        glm::vec3 inside;  // a point inside the closed volume
    } const cases[] = {
        {ShaderCache::cubeVolume, "deferred:cube", 8,
         {0, 1, 2, 0, 2, 3, 1, 6, 7, 1, 7, 2, 5, 6, 1, 5, 1, 0, 5, 0, 3, 5, 3, 4, 6, 5, 4, 6, 4, 7, 3, 2, 7, 3, 7, 4},
         glm::vec3(0.0f)},
        {ShaderCache::cubeLinesVolume, "deferred:cubeLines", 8,
         {0, 1, 1, 2, 2, 3, 3, 0, 4, 5, 5, 6, 6, 7, 7, 4, 1, 6, 0, 5, 2, 7, 3, 4}, glm::vec3(0.0f)},
        {ShaderCache::coneVolume, "deferred:cone", 5, {0, 3, 2, 0, 2, 1, 0, 1, 4, 0, 4, 3, 4, 2, 3, 1, 2, 4},
         glm::vec3(0.0f, 0.0f, -0.75f)},
        {ShaderCache::coneLinesVolume, "deferred:coneLines", 5, {0, 1, 1, 2, 2, 3, 3, 0, 0, 4, 1, 4, 2, 4, 3, 4},
         glm::vec3(0.0f, 0.0f, -0.75f)},
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.mesh, nullptr) << c.name;
        EXPECT_EQ(c.mesh->getName(), c.name);
        EXPECT_EQ(c.mesh->getVertexCount(), c.vertices) << c.name;
        EXPECT_TRUE(c.mesh->hasMapping("in_Position")) << c.name;
        EXPECT_EQ(indicesOf(c.mesh), c.indices) << c.name;
    }
    // Counter-clockwise seen from outside: every face normal points away from the inside.
    for (int i : {0, 2}) {
        const Case& c = cases[i];
        const std::vector<glm::vec3> p = positionsOf(c.mesh);
        for (size_t t = 0; t + 2 < c.indices.size(); t += 3) {
            const glm::vec3 a = p[c.indices[t]], b = p[c.indices[t + 1]], d = p[c.indices[t + 2]];
            const glm::vec3 normal = glm::cross(b - a, d - a);
            EXPECT_GT(glm::dot(normal, (a + b + d) / 3.0f - c.inside), 0.0f) << c.name << " triangle " << t / 3;
        }
    }
    // A second init replaces the meshes.
    cache.init();
    EXPECT_EQ(ShaderCache::cubeVolume->getName(), "deferred:cube");
}

TEST_F(DeferredTest, SwapAlternatesTwoPairsAndKeepsOne)
{
    REQUIRE_GL();
    makeRenderer(false);
    EXPECT_EQ(renderer->getGeometryFBO(), geometry.get());
    EXPECT_EQ(renderer->getNextGeometryFBO(), geometry.get());
    renderer->swap();
    EXPECT_EQ(renderer->getGeometryFBO(), geometry.get());
    EXPECT_EQ(renderer->getLightFBO(), light.get());
    EXPECT_EQ(VLMPulsvek::textureDataPool->getTexture("GeometryMaterials"), renderer->getMaterialTexture());

    {
        testsupport::StdoutCapture disposeLine;
        renderer.reset();
    }
    makeRenderer(true);
    EXPECT_EQ(renderer->getGeometryFBO(), geometry.get());
    EXPECT_EQ(renderer->getNextGeometryFBO(), geometry.get());  // index 1 at construction
    renderer->swap();                                          // selects index 0
    EXPECT_EQ(renderer->getGeometryFBO(), geometry.get());
    EXPECT_EQ(renderer->getLightFBO(), light.get());
    EXPECT_EQ(renderer->getNextGeometryFBO(), geometry2.get());
    renderer->swap();
    EXPECT_EQ(renderer->getGeometryFBO(), geometry2.get());
    EXPECT_EQ(renderer->getLightFBO(), light2.get());

    // The view matrix of a light pass is kept per slot.
    VLMScene scene;
    camera.setViewMatrix(glm::translate(glm::mat4(1.0f), glm::vec3(0, 0, -3)));
    renderer->renderLights(&camera, &scene, false);
    EXPECT_EQ(renderer->getViewMatrix(), camera.getViewMatrix());
    EXPECT_EQ(renderer->getOtherViewMatrix(), glm::mat4(1.0f));
}

TEST_F(DeferredTest, PointLightsAddTheirColourWhereTheirVolumeCovers)
{
    REQUIRE_GL();
    makeRenderer();
    auto shader = rendertest::makeShader("point", kVolumeVS, lightFS(kPointExtra, kPointUse));
    struct Case {
        const char* what;
        bool enabled;
        float radius;
        glm::vec3 position;
        rendertest::RGBA want;
    } const cases[] = {
        {"around the camera", true, 10.0f, glm::vec3(0.0f), {255, 128, 0, 255}},
        {"disabled", false, 10.0f, glm::vec3(0.0f), {0, 0, 0, 0}},
        {"radius 0", true, 0.0f, glm::vec3(0.0f), {0, 0, 0, 0}},
        {"behind the camera", true, 2.0f, glm::vec3(0, 0, 20), {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        VLMScene scene;
        Light* l = addLight(scene, "lamp", Light::kPoint, shader.get(), c.radius, glm::vec4(1.0f, 0.5f, 0.0f, 1.0f));
        l->setEnabled(c.enabled);
        l->setPosition(c.position);
        testsupport::StdoutCapture log;
        rendertest::expectNear(lit(scene), c.want);
        EXPECT_EQ(log.text().find("not found"), std::string::npos) << c.what << "\n" << log.text();
    }
    // Two lights add up, and the pass leaves blending off and depth testing on.
    VLMScene scene;
    addLight(scene, "a", Light::kPoint, shader.get(), 10.0f, glm::vec4(0.25f, 0.0f, 0.0f, 0.0f));
    addLight(scene, "b", Light::kPoint, shader.get(), 10.0f, glm::vec4(0.25f, 0.0f, 0.5f, 0.0f));
    rendertest::expectNear(lit(scene), {128, 0, 128, 0});
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(rendertest::getInt(GL_CULL_FACE_MODE), GL_BACK);
    EXPECT_TRUE(light->isDirty());
}

// A point light that renders into a cube map reads it on unit 4, turned by its object matrix.
TEST_F(DeferredTest, PointLightsWithACubeMapSampleItThroughTheirObjectMatrix)
{
    REQUIRE_GL();
    makeRenderer();
    std::string fragment = lightFS(kPointExtra + "uniform samplerCube cubeMap;\nuniform mat4 objectMatrix;\n", kPointUse);
    const std::string plain = "fragColor = color;";
    ASSERT_NE(fragment.find(plain), std::string::npos);
    fragment.replace(fragment.find(plain), plain.size(),
                     "fragColor = color * texture(cubeMap, mat3(objectMatrix) * vec3(0.0, 1.0, 0.0));");
    auto shader = rendertest::makeShader("reflector", kVolumeVS, fragment);

    // +X is green, every other face red.
    CubeMapFBO target(1, 1);
    target.addCubeMap(GL_RGBA8, GL_RGBA);
    const GLuint cube = target.getTextureId(0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
    for (GLenum face = 0; face < 6; ++face) {
        const unsigned char texel[4] = {static_cast<unsigned char>(face == 0 ? 0 : 255),
                                        static_cast<unsigned char>(face == 0 ? 255 : 0), 0, 255};
        glTexSubImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, 0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);

    struct Case {
        const char* what;
        glm::mat4 objectMatrix;
        rendertest::RGBA want;
    } const cases[] = {
        {"unturned: +Y", glm::mat4(1.0f), {255, 0, 0, 255}},
        {"turned onto +X", glm::rotate(glm::mat4(1.0f), -1.5707964f, glm::vec3(0, 0, 1)), {0, 255, 0, 255}},
    };
    for (const Case& c : cases) {
        VLMScene scene;
        Light* l = addLight(scene, "lamp", Light::kPoint, shader.get(), 10.0f, glm::vec4(1.0f));
        l->cubeMapTarget = &target;
        l->objectMatrix = c.objectMatrix;
        testsupport::StdoutCapture log;
        rendertest::expectNear(lit(scene), c.want);
        EXPECT_EQ(log.text().find("not found"), std::string::npos) << c.what << "\n" << log.text();
        glActiveTexture(GL_TEXTURE4);
        EXPECT_EQ(static_cast<GLuint>(rendertest::getInt(GL_TEXTURE_BINDING_CUBE_MAP)), cube) << c.what;
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
        glActiveTexture(GL_TEXTURE0);
    }
    fboBind(nullptr);
}

TEST_F(DeferredTest, DirectionalLightsCoverTheScreenAndIgnoreTheirRadius)
{
    REQUIRE_GL();
    makeRenderer();
    auto shader = rendertest::makeShader("sun", kQuadVS, lightFS(kDirectionalExtra, kDirectionalUse));
    VLMScene scene;
    Light* sun = addLight(scene, "sun", Light::kDirectional, shader.get(), 0.0f, glm::vec4(0.0f, 0.0f, 1.0f, 1.0f));
    sun->setPlacement(glm::rotate(glm::mat4(1.0f), 0.5f, glm::vec3(1, 0, 0)));
    camera.setViewMatrix(glm::rotate(glm::mat4(1.0f), 0.3f, glm::vec3(0, 1, 0)));
    testsupport::StdoutCapture log;
    rendertest::expectNear(lit(scene), {0, 0, 255, 255});
    fboBind(light.get());
    rendertest::expectNear(rendertest::pixel(0, 0), {0, 0, 255, 255});
    EXPECT_EQ(log.text().find("not found"), std::string::npos) << log.text();

    // The direction in view space: the view's rotation times minus the placement's second column.
    shader->bind();
    float direction[3] = {};
    glGetUniformfv(shader->getProgramId(), glGetUniformLocation(shader->getProgramId(), "lightDirection"), direction);
    const glm::vec3 want = glm::mat3(camera.getViewMatrix()) * -glm::vec3(sun->getPlacement()[1]);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(direction[i], want[i], 1e-5f);
}

TEST_F(DeferredTest, SpotLightsWithoutTextureGetTheirAttenuation)
{
    REQUIRE_GL();
    makeRenderer();
    auto shader = rendertest::makeShader("spot", kVolumeVS, lightFS(kSpotExtra, kSpotUse));
    Texture spot(2, 2, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE);
    for (bool withTexture : {false, true}) {
        VLMScene scene;
        Light* l = addLight(scene, "spot", Light::kSpot, shader.get(), 20.0f, glm::vec4(0.0f, 1.0f, 0.0f, 1.0f));
        l->coneAngle = 60.0f;
        l->linearAttenuation = withTexture ? 0.75f : 0.25f;
        l->spotTexture = withTexture ? &spot : nullptr;
        glActiveTexture(GL_TEXTURE4);
        glBindTexture(GL_TEXTURE_2D, 0);
        glActiveTexture(GL_TEXTURE0);
        testsupport::StdoutCapture log;
        lit(scene);
        EXPECT_EQ(log.text().find("not found"), std::string::npos) << log.text();

        shader->bind();
        const GLuint program = shader->getProgramId();
        float attenuation = 0.0f, fallOff = 0.0f;
        glGetUniformfv(program, glGetUniformLocation(program, "LinearAttenuation"), &attenuation);
        glGetUniformfv(program, glGetUniformLocation(program, "FallOff"), &fallOff);
        // Uniforms keep their last value: the textured pass leaves 0.25 from the first one.
        EXPECT_FLOAT_EQ(attenuation, 0.25f) << withTexture;
        EXPECT_NEAR(fallOff, std::cos(30.0f * 3.14159265f / 180.0f), 1e-6f);
        glActiveTexture(GL_TEXTURE4);
        const GLint bound = rendertest::getInt(GL_TEXTURE_BINDING_2D);
        glActiveTexture(GL_TEXTURE0);
        EXPECT_EQ(bound, withTexture ? static_cast<GLint>(spot.getId()) : 0) << withTexture;
        shader->clearTextureUnits();
    }
}

TEST_F(DeferredTest, StateHelpersSetTheStateTheyName)
{
    REQUIRE_GL();
    struct Case {
        const char* what;
        void (*apply)();
        GLint depthFunc, cullFace, stencilFunc, stencilRef, stencilPass;
        bool colorWrites, blend;
    } const cases[] = {
        {"stencil volume", stencilVolumeState, GL_LEQUAL, GL_BACK, GL_ALWAYS, 1, GL_KEEP, false, false},
        {"light volume", lightVolumeState, GL_GEQUAL, GL_FRONT, GL_EQUAL, 0, GL_REPLACE, false, true},
        {"colour mask back", restoreColorMask, GL_GEQUAL, GL_FRONT, GL_EQUAL, 0, GL_REPLACE, true, true},
        {"reset", resetLightState, GL_LEQUAL, GL_BACK, GL_EQUAL, 0, GL_REPLACE, true, false},
    };
    glDisable(GL_BLEND);
    for (const Case& c : cases) {
        c.apply();
        EXPECT_EQ(rendertest::getInt(GL_DEPTH_FUNC), c.depthFunc) << c.what;
        EXPECT_EQ(rendertest::getInt(GL_CULL_FACE_MODE), c.cullFace) << c.what;
        EXPECT_EQ(rendertest::getInt(GL_STENCIL_FUNC), c.stencilFunc) << c.what;
        EXPECT_EQ(rendertest::getInt(GL_STENCIL_REF), c.stencilRef) << c.what;
        EXPECT_EQ(rendertest::getInt(GL_STENCIL_PASS_DEPTH_PASS), c.stencilPass) << c.what;
        GLboolean mask[4];
        glGetBooleanv(GL_COLOR_WRITEMASK, mask);
        EXPECT_EQ(mask[0] == GL_TRUE, c.colorWrites) << c.what;
        EXPECT_EQ(glIsEnabled(GL_BLEND) == GL_TRUE, c.blend) << c.what;
    }
    EXPECT_EQ(rendertest::getInt(GL_STENCIL_FAIL), GL_KEEP);
    EXPECT_EQ(rendertest::getInt(GL_BLEND_SRC_RGB), GL_ONE);
    EXPECT_EQ(rendertest::getInt(GL_BLEND_DST_RGB), GL_ONE);

    // The stencil quad draws where the stencil holds 1 only.
    auto plain = rendertest::makeShader("plain", kQuadVS,
                                        "#version 150\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n");
    auto target = std::make_unique<FBO>(8, 8);
    GLuint color = 0, stencil = 0;
    glGenTextures(1, &color);
    glBindTexture(GL_TEXTURE_2D, color);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 8, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenRenderbuffers(1, &stencil);
    glBindRenderbuffer(GL_RENDERBUFFER, stencil);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, 8, 8);
    target->bind();
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, stencil);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    rendertest::clearTo(0, 0, 0, 0);
    glEnable(GL_STENCIL_TEST);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 4, 8);
    glClearStencil(1);
    glClear(GL_STENCIL_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glClearStencil(0);
    glDisable(GL_DEPTH_TEST);
    restoreColorMask();
    resetLightState();
    drawStencilQuad(plain.get());
    rendertest::expectNear(rendertest::pixel(1, 4), {255, 255, 255, 255});
    rendertest::expectNear(rendertest::pixel(6, 4), {0, 0, 0, 0});
    glDisable(GL_STENCIL_TEST);
    glEnable(GL_DEPTH_TEST);
    glStencilFunc(GL_ALWAYS, 0, ~0u);
    fboBind(nullptr);
    target.reset();
    glDeleteRenderbuffers(1, &stencil);
    glDeleteTextures(1, &color);
}

// The object draws with the hook's shader, which writes both geometry outputs.
class FlatHook : public ShadingHook {
public:
    explicit FlatHook(Shader* s) { shader = s; }
    void apply(int, glm::mat4, VAO*, Material*) override {}
};

TEST_F(DeferredTest, GeometryPassVolumesAndDebugViewDraw)
{
    REQUIRE_GL();
    makeRenderer();
    auto flat = rendertest::makeShader(
        "flat", kQuadVS,
        "#version 330\nlayout(location = 0) out vec4 diffuse;\nlayout(location = 1) out vec4 normal;\n"
        "void main() { diffuse = vec4(1.0, 0.0, 0.0, 1.0); normal = vec4(0.0, 1.0, 0.0, 1.0); }\n");
    FlatHook hook(flat.get());
    VLMScene scene;
    VAO* mesh = new VAO("Screen");
    const float corners[9] = {-1, -1, 0.5f, 3, -1, 0.5f, -1, 3, 0.5f};
    float* p = mesh->createFloatBuffer(GL_FLOAT, 9, GL_STATIC_DRAW);
    std::copy(corners, corners + 9, p);
    mesh->mapArray(p, "in_Position", 3, 0);
    mesh->upload();
    scene.addMesh(mesh);
    Object* obj = new Object;
    obj->setName("floor");
    obj->setMesh(mesh);
    obj->setShadingHook(&hook);
    scene.addObject(obj);
    Material* paint = new Material("paint", 2, glm::vec3(1.0f), glm::vec3(1.0f, 0.0f, 0.0f), 64.0f);
    scene.addMaterial("paint", paint);
    Material* stray = new Material("stray", 300, glm::vec3(1.0f), glm::vec3(1.0f), 8.0f);
    scene.addMaterial("stray", stray);

    fboBind(geometry.get());
    rendertest::clearTo(0, 0, 0, 0);
    fboBind(nullptr);
    renderer->drawGeometry(0, &scene, false);
    EXPECT_TRUE(geometry->isDirty());
    EXPECT_EQ(FBO::currentFramebuffer, 0u);
    fboBind(geometry.get());
    rendertest::expectNear(rendertest::pixel(5, 5), {255, 0, 0, 255});
    glReadBuffer(GL_COLOR_ATTACHMENT1);
    rendertest::expectNear(rendertest::pixel(5, 5), {0, 255, 0, 255});
    glReadBuffer(GL_COLOR_ATTACHMENT0);

    {
        testsupport::StdoutCapture log;
        renderer->updateMaterials(&scene);
        renderer->updateMaterials(&scene);
        EXPECT_EQ(log.text(), "DeferredRenderer: material 'stray' has id 300 outside 0..255 and is left out of the "
                              "material buffer\n");
    }
    EXPECT_EQ(renderer->getMaterialData()[2 * 16 + 4], 255);
    EXPECT_EQ(renderer->getMaterialData()[2 * 16 + 8], 64);

    // Light volumes: outlines and faint fills of point lights, nothing for a disabled one.
    VLMScene lights;
    auto point = rendertest::makeShader("point", kVolumeVS, lightFS(kPointExtra, kPointUse));
    addLight(lights, "lamp", Light::kPoint, point.get(), 10.0f, glm::vec4(1.0f, 1.0f, 1.0f, 1.0f));
    addLight(lights, "off", Light::kPoint, point.get(), 10.0f, glm::vec4(0.0f, 0.0f, 1.0f, 1.0f))->setEnabled(false);
    lights.updateLights(&camera);
    fboBind(light.get());
    rendertest::clearTo(0, 0, 0, 0);
    glDisable(GL_CULL_FACE);
    renderer->drawLightVolumes(&camera, &lights, true, true, true);
    const rendertest::RGBA centre = rendertest::pixel(16, 8);
    EXPECT_GT(centre[0], 0);
    EXPECT_EQ(centre[2], centre[0]);  // the disabled blue light added nothing
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    GLboolean depthMask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_TRUE(depthMask);

    // Debug view: the diffuse buffer in the lower-left tile.
    Shader* gui = new Shader("default_gui_texture");
    gui->setVertexSource("#version 150\nin vec3 in_Position;\nin vec2 in_UV0;\nout vec2 uv;\nuniform vec2 scale;\n"
                         "uniform vec2 pos;\nvoid main() { uv = in_UV0; gl_Position = vec4(pos + in_Position.xy * "
                         "scale, 0.0, 1.0); }\n");
    gui->setFragmentSource("#version 150\nin vec2 uv;\nout vec4 c;\nuniform sampler2D texture0;\n"
                           "void main() { c = texture(texture0, uv); }\n");
    {
        testsupport::StdoutCapture quiet;
        ASSERT_TRUE(gui->prepare());
    }
    shaders->addShader("default_gui_texture", gui);
    rendertest::RawTarget screen(64, 64);
    screen.bind();
    rendertest::clearTo(0, 0, 0, 1);
    glDisable(GL_DEPTH_TEST);
    renderer->drawDebugView();
    glEnable(GL_DEPTH_TEST);
    rendertest::expectNear(rendertest::pixel(3, 3), {255, 0, 0, 255});     // diffuse
    rendertest::expectNear(rendertest::pixel(11, 3), {0, 255, 0, 255});    // normals
    rendertest::expectNear(rendertest::pixel(40, 40), {0, 0, 0, 255});    // nothing there
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    rendertest::resetBindCaches();
}

namespace {

class DemoProgressBarTest : public rendertest::GLTest {
protected:
    void SetUp() override
    {
        rendertest::GLTest::SetUp();
        saved = {VLMIO::graphicsFolder, VLMIO::shaderFolder};
        savedMode = VLMIO::loadMode;
        VLMIO::graphicsFolder = dir.path() + "/graphics/";
        VLMIO::shaderFolder = dir.path() + "/shaders/";
    }
    void TearDown() override
    {
        VLMIO::graphicsFolder = saved[0];
        VLMIO::shaderFolder = saved[1];
        VLMIO::loadMode = savedMode;
        rendertest::GLTest::TearDown();
    }
    std::vector<std::string> expectedFiles() const
    {
        return {VLMIO::graphicsFolder + "speedometer_0.png", VLMIO::graphicsFolder + "speedometer_1.png",
                VLMIO::shaderFolder + "progressbar.vert",    VLMIO::shaderFolder + "progressbar.frag",
                VLMIO::shaderFolder + "progressbar_bg.vert", VLMIO::shaderFolder + "progressbar_bg.frag"};
    }
    std::vector<std::string> files(const DemoProgressBar& bar) const
    {
        std::vector<std::string> out;
        for (int i = 0; i < bar.getFileCount(); ++i)
            out.push_back(bar.getFile(i));
        return out;
    }

    testsupport::TempDir dir;
    std::vector<std::string> saved;
    int savedMode = 0;
};

}

TEST_F(DemoProgressBarTest, LoadsItsFilesFromTheFoldersAndDrawsNothing)
{
    REQUIRE_GL();
    const std::string png = testsupport::makePngRgb(2, 2, 4, testsupport::Bytes(16, 200));
    dir.write("graphics/speedometer_0.png", png);
    dir.write("graphics/speedometer_1.png", png);
    for (const char* name : {"progressbar", "progressbar_bg"}) {
        dir.write(std::string("shaders/") + name + ".vert", kQuadVS);
        dir.write(std::string("shaders/") + name + ".frag",
                  "#version 150\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n");
    }
    VLMIO::loadMode = 1;  // the pictures come from the folders all the same
    DemoProgressBar bar;
    {
        testsupport::StdoutCapture quiet;
        VLMIO::loadMode = 0;
        bar.init();
    }
    ASSERT_NE(bar.getSpeedometer(0), nullptr);
    ASSERT_NE(bar.getSpeedometer(1), nullptr);
    EXPECT_EQ(bar.getSpeedometer(0)->getWidth(), 2);
    ASSERT_NE(bar.getShader(), nullptr);
    EXPECT_EQ(bar.getShader()->getName(), "Progress");
    ASSERT_NE(bar.getBackgroundShader(), nullptr);
    EXPECT_EQ(bar.getBackgroundShader()->getName(), "progressbar_bg");
    EXPECT_EQ(files(bar), expectedFiles());

    rendertest::RawTarget screen(8, 8);
    screen.bind();
    rendertest::clearTo(0.25f, 0.5f, 0.75f, 1.0f);
    bar.setTotal(2);
    bar.step();
    bar.step();
    for (int y = 0; y < 8; y += 7)
        for (int x = 0; x < 8; x += 7)
            rendertest::expectNear(rendertest::pixel(x, y), {64, 128, 191, 255});
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    rendertest::resetBindCaches();
}

TEST_F(DemoProgressBarTest, MissingFilesLeaveNullsAndNoCrash)
{
    REQUIRE_GL();
    DemoProgressBar bar;
    testsupport::StdoutCapture log;
    bar.init();
    EXPECT_EQ(bar.getSpeedometer(0), nullptr);
    EXPECT_EQ(bar.getSpeedometer(1), nullptr);
    EXPECT_EQ(bar.getShader(), nullptr);
    EXPECT_EQ(bar.getBackgroundShader(), nullptr);
    EXPECT_NE(log.text().find("cannot load '" + VLMIO::graphicsFolder + "speedometer_0.png'"), std::string::npos)
        << log.text();
    EXPECT_NE(log.text().find("shader 'Progress' did not build"), std::string::npos);
    EXPECT_EQ(files(bar), expectedFiles());
    bar.step();  // draws nothing, even without its shader
}
