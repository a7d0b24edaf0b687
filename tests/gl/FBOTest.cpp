#include "RenderFixture.h"

#include "engine/render/CubeMapFBO.h"
#include "engine/render/Engine.h"
#include "engine/render/FBO.h"
#include "engine/render/ScreenSettings.h"
#include "engine/render/Texture.h"
#include "engine/runtime/DataTexturePool.h"

#include <array>

using rendertest::coverVS;
using rendertest::drawCover;
using rendertest::getInt;
using rendertest::makeShader;
using rendertest::pixel;
using rendertest::RGBA;
using rendertest::viewport;

namespace {

// The engine's screen settings for one test.
class Screen {
public:
    Screen(int width, int height) : previous(VLMPulsvek::screenSettings)
    {
        settings.setSize(width, height);
        VLMPulsvek::screenSettings = &settings;
    }
    ~Screen() { VLMPulsvek::screenSettings = previous; }
    ScreenSettings settings;

private:
    ScreenSettings* previous;
};

const char* const mrtFS =
    "#version 330\n"
    "layout(location = 0) out vec4 c0;\nlayout(location = 1) out vec4 c1;\n"
    "layout(location = 2) out vec4 c2;\n"
    "void main() { c0 = vec4(1, 0, 0, 1); c1 = vec4(0, 1, 0, 1); c2 = vec4(0, 0, 1, 1); }\n";

const char* const blueFS =
    "#version 150\nout vec4 color;\nvoid main() { color = vec4(0.0, 0.0, 1.0, 1.0); }\n";

const RGBA red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255}, none{0, 0, 0, 0};

std::unique_ptr<FBO> colorTarget(int width, int height, bool depth = false)
{
    return std::make_unique<FBO>(width, height, depth, false, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE);
}

// Fills a framebuffer's colour attachments with a clear colour, then puts the
// recorded target back.
void fill(FBO* fbo, float r, float g, float b, float a)
{
    glBindFramebuffer(GL_FRAMEBUFFER, fbo->getId());
    fbo->applyDrawBuffers();
    rendertest::clearTo(r, g, b, a);
    glBindFramebuffer(GL_FRAMEBUFFER, FBO::currentFramebuffer);
}

RGBA readAttachment(FBO* fbo, int index, int x, int y)
{
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo->getId());
    glReadBuffer(GL_COLOR_ATTACHMENT0 + static_cast<GLenum>(index));
    const RGBA p = pixel(x, y);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, FBO::currentFramebuffer);
    return p;
}

std::array<GLint, 4> box(int x, int y, int w, int h)
{
    return {x, y, w, h};
}

void expectBound(GLuint id)
{
    EXPECT_EQ(static_cast<GLuint>(getInt(GL_DRAW_FRAMEBUFFER_BINDING)), id);
    EXPECT_EQ(static_cast<GLuint>(getInt(GL_READ_FRAMEBUFFER_BINDING)), id);
    EXPECT_EQ(FBO::currentFramebuffer, id);
}

}

class FBOTest : public rendertest::GLTest {};
class CubeMapFBOTest : public rendertest::GLTest {};

TEST_F(FBOTest, ConstructorsMakeTargetsAndKeepTheRecordedBinding)
{
    Screen screen(320, 180);
    auto current = colorTarget(16, 16);
    fboBind(current.get());
    struct Case {
        bool depth, stencil;
        const char* dump;
    } cases[] = {
        {false, false, "FBO(256,128,COLOR_BUFFER)"},
        {true, false, "FBO(256,128,COLOR_BUFFER,DEPTH_BUFFER)"},
        {true, true, "FBO(256,128,COLOR_BUFFER,DEPTH_BUFFER,STENCIL_BUFFER)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dump);
        testsupport::StdoutCapture out;
        FBO fbo(256, 128, c.depth, c.stencil, GL_RGBA, GL_RGBA, GL_UNSIGNED_BYTE);
        EXPECT_EQ(out.text(), "");
        EXPECT_TRUE(fbo.isComplete());
        EXPECT_EQ(fbo.getStatus(), "Framebuffer is complete.");
        EXPECT_EQ(fbo.toString(), c.dump);
        EXPECT_FALSE(fbo.isDirty());
        EXPECT_FALSE(fbo.isBound());
        expectBound(current->getId());
        ASSERT_NE(fbo.getColorTexture(0), nullptr);
        EXPECT_EQ(fbo.getColorTexture(0)->getWidth(), 256);
        EXPECT_EQ(fbo.getColorTexture(0)->getName(), "");
        EXPECT_EQ(fbo.getDepthTexture() != nullptr, c.depth);
        EXPECT_EQ(fbo.getDrawBuffers(), std::vector<GLenum>{GL_COLOR_ATTACHMENT0});
        glBindFramebuffer(GL_FRAMEBUFFER, fbo.getId());
        GLint stencilType = -1;
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT,
                                              GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &stencilType);
        EXPECT_EQ(stencilType, GL_NONE);  // the flag is recorded only
        glBindFramebuffer(GL_FRAMEBUFFER, FBO::currentFramebuffer);
    }
    FBO bare(32, 16);
    EXPECT_EQ(bare.getColorTexture(0), nullptr);
    EXPECT_EQ(bare.getWidth(), 32);
    EXPECT_EQ(bare.toString(), "FBO(32,16,COLOR_BUFFER)");
    expectBound(current->getId());
}

TEST_F(FBOTest, BindsAreCachedAndSetTheirViewports)
{
    Screen screen(320, 240);  // letterbox 0, 30, 320, 180
    auto a = colorTarget(64, 32);
    auto b = colorTarget(16, 8);

    fboBind(a.get());
    expectBound(a->getId());
    EXPECT_TRUE(a->isBound());
    EXPECT_EQ(viewport(), box(0, 0, 64, 32));
    glViewport(1, 2, 3, 4);
    fboBind(a.get());  // already current: nothing, not even the viewport
    EXPECT_EQ(viewport(), box(1, 2, 3, 4));
    fboBind(b.get());
    EXPECT_EQ(viewport(), box(0, 0, 16, 8));
    fboBind(a.get());
    EXPECT_EQ(viewport(), box(0, 0, 64, 32));
    expectBound(a->getId());

    fboBind(nullptr);
    expectBound(0);
    EXPECT_FALSE(a->isBound());
    EXPECT_EQ(viewport(), box(0, 30, 320, 180));
    glViewport(1, 2, 3, 4);
    fboBind(nullptr);
    EXPECT_EQ(viewport(), box(1, 2, 3, 4));
    FBO::unbind();
    EXPECT_EQ(viewport(), box(1, 2, 3, 4));

    // Deleting the current framebuffer puts the screen back, in GL and in the record.
    fboBind(b.get());
    b.reset();
    expectBound(0);
    EXPECT_EQ(viewport(), box(0, 30, 320, 180));
}

TEST_F(FBOTest, BindAndClearClearsTheTargetAndResetsDirty)
{
    Screen screen(320, 180);
    auto a = colorTarget(8, 8, true);
    fill(a.get(), 1, 0, 0, 1);
    fboMarkDirty(a.get());
    EXPECT_TRUE(fboIsDirty(a.get()));
    glClearColor(0, 1, 0, 1);
    fboBindAndClear(a.get());
    EXPECT_FALSE(a->isDirty());
    expectBound(a->getId());
    EXPECT_EQ(pixel(3, 3), green);

    // Already current: cleared without a rebind.
    glViewport(1, 1, 2, 2);
    a->markDirty();
    glClearColor(0, 0, 1, 1);
    a->bindAndClear();
    EXPECT_FALSE(a->isDirty());
    EXPECT_EQ(viewport(), box(1, 1, 2, 2));
    EXPECT_EQ(pixel(0, 0), blue);  // the clear ignores the viewport

    fboBindAndClear(nullptr);  // nothing for the screen
    expectBound(a->getId());
    glClearColor(0, 0, 0, 0);
}

TEST_F(FBOTest, MultipleColourTexturesDrawToTheirOwnOutputs)
{
    Screen screen(320, 180);
    auto shader = makeShader("mrt", coverVS, mrtFS);
    auto mrt = colorTarget(8, 8);
    mrt->addColorTexture(GL_RGBA8, GL_RGBA);
    fboBind(mrt.get());
    // A texture added to the current target takes effect at once.
    mrt->addColorTexture(GL_RGBA8, GL_RGBA);
    expectBound(mrt->getId());
    ASSERT_EQ(mrt->getColorTextureCount(), 3);
    EXPECT_TRUE(mrt->isComplete());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(getInt(GL_DRAW_BUFFER0 + static_cast<GLenum>(i)),
                  static_cast<GLint>(GL_COLOR_ATTACHMENT0 + i));
    rendertest::clearTo(0, 0, 0, 0);
    drawCover(*shader);
    EXPECT_EQ(readAttachment(mrt.get(), 0, 4, 4), red);
    EXPECT_EQ(readAttachment(mrt.get(), 1, 4, 4), green);
    EXPECT_EQ(readAttachment(mrt.get(), 2, 4, 4), blue);

    // A single colour texture keeps GL's default outputs.
    auto single = colorTarget(8, 8);
    fboBind(single.get());
    EXPECT_EQ(getInt(GL_DRAW_BUFFER0), GL_COLOR_ATTACHMENT0);
    EXPECT_EQ(getInt(GL_DRAW_BUFFER1), GL_NONE);

    // Rebinding the MRT target restores all three outputs.
    fboBind(mrt.get());
    EXPECT_EQ(getInt(GL_DRAW_BUFFER2), GL_COLOR_ATTACHMENT2);
}

TEST_F(FBOTest, MadeAttachmentsGoIntoTheTexturePool)
{
    auto* pool = new DataTexturePool();
    VLMPulsvek::textureDataPool = pool;
    Texture* color = nullptr;
    {
        FBO fbo(8, 8);
        fbo.addColorTexture(GL_RGBA8, GL_RGBA);
        color = fbo.getColorTexture(0);
        EXPECT_EQ(pool->getTexture(color->getName()), color);
    }
    // The pool owns the attachment: it outlives its framebuffer and is deleted once.
    EXPECT_EQ(pool->getTexture(color->getName()), color);
    EXPECT_EQ(glIsTexture(color->getId()), GL_TRUE);
    VLMPulsvek::textureDataPool = nullptr;
    delete pool;
}

TEST_F(FBOTest, MadeAttachmentsAreNamedAfterTheFramebuffer)
{
    FBO fbo(8, 8);
    fbo.addColorTexture(GL_RGBA8, GL_RGBA);
    fbo.addDepthTexture(GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT);
    const std::string id = std::to_string(fbo.getId());
    EXPECT_EQ(fbo.getColorTexture(0)->getName(),
              "FBO_" + id + "_color_" + std::to_string(fbo.getColorTexture(0)->getId()));
    EXPECT_EQ(fbo.getDepthTexture()->getName(),
              "FBO_" + id + "_depth_" + std::to_string(fbo.getDepthTexture()->getId()));
    EXPECT_TRUE(fbo.isComplete());
    EXPECT_EQ(fbo.toString(), "FBO(8,8,COLOR_BUFFER,DEPTH_BUFFER)");

    FBO stencil(8, 8);
    stencil.addColorTexture(GL_RGBA8, GL_RGBA);
    stencil.addDepthStencilTexture();
    Texture* ds = stencil.getDepthTexture();
    EXPECT_EQ(ds->getName(), "FBO_" + std::to_string(stencil.getId()) + "_depthstencil_" +
                                 std::to_string(ds->getId()));
    EXPECT_TRUE(stencil.isComplete());
    EXPECT_EQ(stencil.toString(), "FBO(8,8,COLOR_BUFFER,DEPTH_BUFFER,STENCIL_BUFFER)");
    glBindFramebuffer(GL_FRAMEBUFFER, stencil.getId());
    for (GLenum attachment : {GL_DEPTH_ATTACHMENT, GL_STENCIL_ATTACHMENT}) {
        GLint name = 0;
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, attachment,
                                              GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &name);
        EXPECT_EQ(static_cast<GLuint>(name), ds->getId());
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

TEST_F(FBOTest, AttachedTexturesAreUsedAsGiven)
{
    Texture color(8, 8, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE);
    Texture depth(8, 8, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT);
    Texture depthStencil(8, 8, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8);
    {
        FBO fbo(8, 8);
        fbo.attachColorTexture(&color);
        fbo.attachDepthTexture(&depth);
        EXPECT_TRUE(fbo.isComplete());
        EXPECT_EQ(fbo.getColorTexture(0), &color);
        EXPECT_EQ(fbo.getDepthTexture(), &depth);
        EXPECT_EQ(fbo.toString(), "FBO(8,8,COLOR_BUFFER,DEPTH_BUFFER)");
        fbo.attachDepthStencilTexture(&depthStencil);
        EXPECT_TRUE(fbo.isComplete());
        EXPECT_EQ(fbo.toString(), "FBO(8,8,COLOR_BUFFER,DEPTH_BUFFER,STENCIL_BUFFER)");
        EXPECT_EQ(color.getName(), "");
    }
    // The framebuffer deleted none of them.
    EXPECT_TRUE(glIsTexture(color.getId()));
    EXPECT_TRUE(glIsTexture(depthStencil.getId()));
}

TEST_F(FBOTest, CompletenessMessages)
{
    struct Text {
        GLenum code;
        const char* text;
    } texts[] = {
        {GL_FRAMEBUFFER_COMPLETE, "Framebuffer is complete."},
        {GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT, "Framebuffer incomplete attachment"},
        {GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT, "Framebuffer missing attachment"},
        {GL_FRAMEBUFFER_INCOMPLETE_DIMENSIONS_EXT, "Framebuffer unsupported dimension."},
        {GL_FRAMEBUFFER_INCOMPLETE_FORMATS_EXT, "Framebuffer incoplete formats."},
        {GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER, "Framebuffer incomplete draw buffer."},
        {GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER, "Framebuffer incomplete read buffer"},
        {GL_FRAMEBUFFER_UNSUPPORTED, "Framebuffer unsupported. Try another format."},
        {0, "Unknown framebuffer errror."},
        {GL_FRAMEBUFFER_INCOMPLETE_MULTISAMPLE, "Unknown framebuffer errror."},
    };
    for (const Text& t : texts)
        EXPECT_EQ(FBO::statusText(t.code), t.text) << t.code;

    FBO bare(8, 8);
    {
        testsupport::StdoutCapture out;
        EXPECT_FALSE(bare.checkStatus());
        EXPECT_EQ(out.text(), "FBO Framebuffer missing attachment(36055) = false\n");
    }
    EXPECT_FALSE(bare.isComplete());
    EXPECT_EQ(fboGetStatus(&bare), "Framebuffer missing attachment");
    {
        testsupport::StdoutCapture quiet;
        EXPECT_FALSE(fboCheckStatus(&bare));
    }

    {
        testsupport::StdoutCapture out;
        FBO depthAsColor(8, 8, false, false, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT,
                         GL_UNSIGNED_INT);
        EXPECT_EQ(out.text(), "FBO Framebuffer incomplete attachment(36054) = false\n");
        EXPECT_FALSE(fboIsComplete(&depthAsColor));
        // An incomplete framebuffer binds no texture.
        glBindTexture(GL_TEXTURE_2D, 0);
        fboBindTexture(&depthAsColor);
        EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), 0);
    }

    // The check looks at its own framebuffer, whatever is bound.
    auto complete = colorTarget(8, 8);
    {
        testsupport::StdoutCapture out;
        fboBind(&bare);
        EXPECT_TRUE(complete->checkStatus());
        expectBound(bare.getId());
        fboBind(complete.get());
        EXPECT_FALSE(bare.checkStatus());
        expectBound(complete->getId());
    }
    fboBindTexture(complete.get());
    EXPECT_EQ(static_cast<GLuint>(getInt(GL_TEXTURE_BINDING_2D)), complete->getColorTexture(0)->getId());
    glBindTexture(GL_TEXTURE_2D, 0);
}

TEST_F(FBOTest, NullIsTheScreen)
{
    auto fbo = colorTarget(256, 128, true);
    EXPECT_EQ(fboGetWidth(nullptr), 0);
    EXPECT_EQ(fboGetHeight(nullptr), 0);
    EXPECT_EQ(fboGetId(nullptr), 0u);
    EXPECT_FALSE(fboIsDirty(nullptr));
    EXPECT_FALSE(fboIsComplete(nullptr));
    EXPECT_FALSE(fboCheckStatus(nullptr));
    EXPECT_EQ(fboGetColorTexture(nullptr, 0), nullptr);
    EXPECT_EQ(fboGetDepthTexture(nullptr), nullptr);
    EXPECT_EQ(fboToString(nullptr), "** screen or nullpointer**");
    EXPECT_EQ(fboGetStatus(nullptr), "unknown");
    fboMarkDirty(nullptr);
    fboBindTexture(nullptr);
    fboDraw(nullptr);
    fboDrawImmediate(nullptr, 1.0f);

    EXPECT_EQ(fboGetWidth(fbo.get()), 256);
    EXPECT_EQ(fboGetHeight(fbo.get()), 128);
    EXPECT_EQ(fboGetId(fbo.get()), fbo->getId());
    EXPECT_EQ(fboToString(fbo.get()), "FBO(256,128,COLOR_BUFFER,DEPTH_BUFFER)");
    EXPECT_EQ(fboGetColorTexture(fbo.get(), 0), fbo->getColorTexture(0));
    EXPECT_EQ(fboGetDepthTexture(fbo.get()), fbo->getDepthTexture());
    for (int outside : {1, 5, -1})
        EXPECT_EQ(fboGetColorTexture(fbo.get(), outside), nullptr) << outside;

    // The fixed-function helpers draw nothing and raise no GL error.
    fboDraw(fbo.get());
    fboDrawImmediate(fbo.get(), 0.5f);
    CubeMapFBO::drawDebug(0);
}

TEST_F(FBOTest, BlitsLeaveTheRecordedTargetBound)
{
    Screen screen(320, 180);
    auto shader = makeShader("blue", coverVS, blueFS);
    auto a = colorTarget(8, 8);
    auto b = colorTarget(8, 8);
    auto c = colorTarget(8, 8);
    fill(a.get(), 1, 0, 0, 1);
    fill(b.get(), 0, 1, 0, 1);
    fill(c.get(), 0, 0, 0, 0);

    // Copying between two other framebuffers: drawing still lands in the bound one.
    fboBind(a.get());
    fboBlitColor(b.get(), 0, c.get(), 0, GL_NEAREST);
    expectBound(a->getId());
    drawCover(*shader);
    EXPECT_EQ(readAttachment(a.get(), 0, 4, 4), blue);
    EXPECT_EQ(readAttachment(c.get(), 0, 4, 4), green);

    // Bind, then blit into it: drawing continues in the destination.
    fill(a.get(), 1, 0, 0, 1);
    fboBind(c.get());
    fboBlitColorRect(a.get(), 0, c.get(), 0, GL_NEAREST, 0, 0, 8, 8, 0, 0, 4, 8);
    expectBound(c->getId());
    EXPECT_EQ(pixel(1, 4), red);
    EXPECT_EQ(pixel(6, 4), green);
    drawCover(*shader);
    EXPECT_EQ(pixel(6, 4), blue);

    // A later per-frame clear hits the framebuffer, not the screen.
    fboBind(nullptr);
    fboBlitColor(a.get(), 0, b.get(), 0, GL_NEAREST);
    expectBound(0);
    fill(b.get(), 0, 1, 0, 1);
    fboBind(b.get());
    fboBlitColor(a.get(), 0, c.get(), 0, GL_NEAREST);
    glClearColor(1, 1, 1, 1);
    fboBindAndClear(b.get());
    glClearColor(0, 0, 0, 0);
    EXPECT_EQ(readAttachment(b.get(), 0, 2, 2), (RGBA{255, 255, 255, 255}));
    EXPECT_EQ(readAttachment(c.get(), 0, 2, 2), red);
}

TEST_F(FBOTest, BlitIntoOneOutputKeepsTheOtherOutputs)
{
    Screen screen(320, 180);
    auto shader = makeShader("mrt", coverVS, mrtFS);
    auto mrt = colorTarget(8, 8);
    mrt->addColorTexture(GL_RGBA8, GL_RGBA);
    mrt->addColorTexture(GL_RGBA8, GL_RGBA);
    auto source = colorTarget(8, 8);
    fill(source.get(), 1, 1, 1, 1);
    fboBind(mrt.get());
    rendertest::clearTo(0, 0, 0, 0);
    fboBlitColor(source.get(), 0, mrt.get(), 1, GL_NEAREST);
    EXPECT_EQ(readAttachment(mrt.get(), 1, 1, 1), (RGBA{255, 255, 255, 255}));
    EXPECT_EQ(readAttachment(mrt.get(), 0, 1, 1), none);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(getInt(GL_DRAW_BUFFER0 + static_cast<GLenum>(i)),
                  static_cast<GLint>(GL_COLOR_ATTACHMENT0 + i));
    drawCover(*shader);
    EXPECT_EQ(readAttachment(mrt.get(), 0, 1, 1), red);
    EXPECT_EQ(readAttachment(mrt.get(), 1, 1, 1), green);
    EXPECT_EQ(readAttachment(mrt.get(), 2, 1, 1), blue);
}

TEST_F(FBOTest, BlitsScaleToWholeTargetsAndTheWholeWindow)
{
    Screen screen(320, 180);  // the test window's size
    auto small = colorTarget(4, 4);
    auto big = colorTarget(16, 16);
    fill(small.get(), 0, 1, 0, 1);
    fill(big.get(), 0, 0, 0, 0);
    fboBlitColor(small.get(), 0, big.get(), 0, GL_NEAREST);
    EXPECT_EQ(readAttachment(big.get(), 0, 0, 0), green);
    EXPECT_EQ(readAttachment(big.get(), 0, 15, 15), green);

    // To the screen: the whole window, not the letterbox.
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    rendertest::clearTo(0, 0, 0, 0);
    fboBlitColor(small.get(), 0, nullptr, 0, GL_NEAREST);
    expectBound(0);
    EXPECT_EQ(pixel(0, 0), green);
    EXPECT_EQ(pixel(319, 179), green);

    // From the screen into a framebuffer.
    fill(big.get(), 0, 0, 0, 0);
    fboBlit(nullptr, GL_COLOR_ATTACHMENT0, big.get(), GL_COLOR_ATTACHMENT0, GL_COLOR_BUFFER_BIT,
            GL_NEAREST);
    EXPECT_EQ(readAttachment(big.get(), 0, 8, 8), green);
    expectBound(0);
}

TEST_F(FBOTest, DepthBlitCopiesDepth)
{
    Screen screen(320, 180);
    auto a = colorTarget(8, 8, true);
    auto b = colorTarget(8, 8, true);
    glBindFramebuffer(GL_FRAMEBUFFER, a->getId());
    glClearDepth(0.25);
    glClear(GL_DEPTH_BUFFER_BIT);
    glBindFramebuffer(GL_FRAMEBUFFER, b->getId());
    glClearDepth(1.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    auto current = colorTarget(4, 4);
    fboBind(current.get());
    fboBlitDepth(a.get(), b.get());
    expectBound(current->getId());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, b->getId());
    float depth = 0;
    glReadPixels(3, 3, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, FBO::currentFramebuffer);
    EXPECT_NEAR(depth, 0.25f, 1e-3);
}

TEST_F(CubeMapFBOTest, RendersIntoEachFace)
{
    Screen screen(320, 240);
    auto recorded = colorTarget(4, 4);
    fboBind(recorded.get());
    CubeMapFBO cube(4, 4);
    cube.addCubeMap(GL_RGBA8, GL_RGBA);
    cube.addDepthRenderbuffer();
    expectBound(recorded->getId());
    EXPECT_NE(cube.getTextureId(0), 0u);
    EXPECT_EQ(cube.getTextureId(1), 0u);

    for (int face = 0; face < 6; ++face) {
        cube.bindFace(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(face));
        expectBound(cube.getFramebufferId());
        EXPECT_EQ(viewport(), box(0, 0, 4, 4));
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        rendertest::clearTo(face / 5.0f, 0, 0, 1);
    }
    cube.unbind();
    expectBound(0);
    EXPECT_EQ(viewport(), box(0, 30, 320, 180));

    glBindTexture(GL_TEXTURE_CUBE_MAP, cube.getTextureId(0));
    for (int face = 0; face < 6; ++face) {
        unsigned char texels[4 * 4 * 4];
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + static_cast<GLenum>(face), 0, GL_RGBA,
                      GL_UNSIGNED_BYTE, texels);
        EXPECT_NEAR(texels[0], face * 51, 1) << "face " << face;
    }
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);

    // Binding a framebuffer after a face rebinds for real.
    cube.bindFace(GL_TEXTURE_CUBE_MAP_POSITIVE_Y);
    fboBind(recorded.get());
    expectBound(recorded->getId());
    EXPECT_EQ(viewport(), box(0, 0, 4, 4));
}
