#include "RenderFixture.h"

#include "engine/render/Engine.h"
#include "engine/render/FBO.h"
#include "engine/render/ScreenSettings.h"
#include "engine/render/ShaderCache.h"
#include "engine/render/Texture.h"
#include "engine/runtime/DataBinaryPool.h"
#include "engine/runtime/DataEffectPool.h"
#include "engine/runtime/DataFBOPool.h"
#include "engine/runtime/DataObjectPool.h"
#include "engine/runtime/DataShaderPool.h"
#include "engine/runtime/DataTexturePool.h"
#include "engine/runtime/DataVideoPool.h"
#include "engine/runtime/Effect.h"
#include "engine/runtime/ProgressBar.h"
#include "engine/runtime/ResourceDefinition.h"
#include "engine/runtime/ResourceLoader.h"
#include "engine/runtime/StartStopKeyframe.h"
#include "engine/runtime/TimeCode.h"
#include "engine/runtime/Timer.h"
#include "engine/runtime/TrackEntry.h"
#include "engine/runtime/TrackFile.h"
#include "engine/runtime/TrackManager.h"
#include "engine/runtime/TrackStartStop.h"
#include "engine/runtime/VLMIO.h"
#include "platform/FmodEx.h"
#include "platform/Glfw27.h"
#include "tools/objectfile/ObjectFileWriter.h"

#include "support/Capture.h"
#include "support/Declarations.h"
#include "support/ImageFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

const std::string kProgressShaders = std::string(PULSVEK_SOURCE_DIR) + "/tests/production/resources/shaders/";
const char* const kVertex = "#version 150\nin vec3 in_Position;\nvoid main() { gl_Position = vec4(in_Position, 1.0); }\n";
const char* const kFragment = "#version 150\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n";

class TestDefinition : public ResourceDefinition {
public:
    void defineResources() override
    {
        if (resources)
            resources();
    }
    void defineEffects() override
    {
        if (effects)
            effects();
    }
    void defineEffectInstances() override
    {
        if (instances)
            instances();
    }
    std::function<void()> resources, effects, instances;
};

// Records the order in which instances are initialised.
std::vector<std::string> initOrder;

class NamedEffect : public Effect {
public:
    explicit NamedEffect(const std::string& name = "") : name(name) {}
    Effect* clone() override { return new NamedEffect(); }
    void init() override { initOrder.push_back(name); }
    std::string name;
};

class GLErrorEffect : public Effect {
public:
    Effect* clone() override { return new GLErrorEffect(); }
    void init() override { glEnable(0xFFFF); }
};

// A resource tree of its own in a temporary folder, empty declaration lists,
// no pools, no progress bar, no clock; everything put back afterwards.
class LoaderTest : public rendertest::GLTest {
protected:
    void SetUp() override
    {
        rendertest::GLTest::SetUp();
        saved = {VLMIO::objectFolder, VLMIO::graphicsFolder, VLMIO::miscFolder, VLMIO::soundFolder,
                 VLMIO::shaderFolder, VLMIO::videoFolder, VLMIO::trackFolder};
        savedMode = VLMIO::loadMode;
        VLMIO::loadMode = 0;
        VLMIO::objectFolder = folder("objects");
        VLMIO::graphicsFolder = folder("graphics");
        VLMIO::miscFolder = folder("misc");
        VLMIO::soundFolder = folder("sound");
        VLMIO::shaderFolder = folder("shaders");
        VLMIO::videoFolder = folder("video");
        VLMIO::trackFolder = folder("tracks");
        declarations.emplace();
        savedResources = VLMPulsvek::resources;
        VLMPulsvek::resources = &definition;
        savedCache = VLMPulsvek::shaderCache;
        VLMPulsvek::shaderCache = nullptr;
        initOrder.clear();

        for (const char* name : {"default_Progress.vert", "default_Progress.frag"})
            std::filesystem::copy_file(kProgressShaders + name, VLMIO::shaderFolder + name,
                                       std::filesystem::copy_options::overwrite_existing);
        testsupport::StdoutCapture quiet;
        loader = std::make_unique<ResourceLoader>();
        loader->createDataPools();
    }

    void TearDown() override
    {
        {
            testsupport::StdoutCapture quiet;
            ResourceLoader::deletePools();
        }
        delete VLMPulsvek::shaderCache;
        VLMPulsvek::shaderCache = savedCache;
        VLMPulsvek::resources = savedResources;
        declarations.reset();
        VLMIO::objectFolder = saved[0];
        VLMIO::graphicsFolder = saved[1];
        VLMIO::miscFolder = saved[2];
        VLMIO::soundFolder = saved[3];
        VLMIO::shaderFolder = saved[4];
        VLMIO::videoFolder = saved[5];
        VLMIO::trackFolder = saved[6];
        VLMIO::loadMode = savedMode;
        rendertest::GLTest::TearDown();
    }

    std::string folder(const std::string& kind)
    {
        const std::string path = dir.file(kind);
        std::filesystem::create_directories(path);
        return path + "/";
    }
    void writeShader(const std::string& base, const std::string& vertex = kVertex,
                     const std::string& fragment = kFragment)
    {
        dir.write("shaders/" + base + ".vert", vertex);
        dir.write("shaders/" + base + ".frag", fragment);
    }
    void writePng(const std::string& name)
    {
        dir.write("graphics/" + name, testsupport::makePngRgb(2, 2, 3, testsupport::Bytes(12, 200)));
    }
    bool load(std::string* log = nullptr)
    {
        testsupport::StdoutCapture capture;
        const bool loaded = loader->loadResources();
        if (log)
            *log = capture.text();
        return loaded;
    }

    testsupport::TempDir dir;
    TestDefinition definition;
    std::unique_ptr<ResourceLoader> loader;

private:
    std::vector<std::string> saved;
    int savedMode = 0;
    std::optional<testsupport::DeclarationScope> declarations;
    ResourceDefinition* savedResources = nullptr;
    ShaderCache* savedCache = nullptr;
};

// Shaders a and b, texture t, binary n and video v, in that loading order;
// each case breaks one of them.
TEST_F(LoaderTest, LoadingStopsAtTheFirstFailureWithItsMessage)
{
    struct Case {
        const char* what;
        std::function<void()> breakIt;
        std::string message;
        bool ok;
        std::vector<std::string> loaded;  // of "a", "b", "t", "n"
    };
    const std::string gfx = VLMIO::graphicsFolder, misc = VLMIO::miscFolder, video = VLMIO::videoFolder;
    const std::vector<Case> cases = {
        {"missing vertex source", [this] { std::filesystem::remove(dir.file("shaders/b.vert")); },
         "Vertex shader 'b.vert' not found", false, {"a"}},
        {"missing fragment source", [this] { std::filesystem::remove(dir.file("shaders/b.frag")); },
         "Fragement shader 'b.frag' not found", true, {"a"}},
        {"missing include", [this] { writeShader("b", std::string(kVertex) + "#include nothere.glsl\n"); },
         "Failed to include '#include nothere.glsl' in b.vert depth 0", true, {"a"}},
        {"shader that does not build", [this] { writeShader("b", kVertex, "#version 150\nnonsense\n"); },
         "Error while compiling fragment shader\nShader: b::b.frag\n", false, {"a"}},
        {"missing texture", [this] { std::filesystem::remove(dir.file("graphics/t.png")); },
         "Failed to load texture!\nFile : '" + gfx + "t.png'\nmissing", false, {"a", "b"}},
        {"missing binary", [this] { std::filesystem::remove(dir.file("misc/n.bin")); },
         "Failed to binary data!\nFile : '" + misc + "n.bin'", false, {"a", "b", "t"}},
        {"missing video", [] {}, "Failed to load video!\nFile : '" + video + "v.ivf'", false,
         {"a", "b", "t", "n"}},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        writeShader("a");
        writeShader("b");
        writePng("t.png");
        dir.write("misc/n.bin", "bytes");
        definition.resources = [] {
            ResourceDefinition::defineShader({"a", "a", {}});
            ResourceDefinition::defineShader({"b", "b", {}});
            ResourceDefinition::defineTexture("t", "t.png", false);
            ResourceDefinition::defineBinary({"n", "n.bin"});
            ResourceDefinition::defineVideo({"v", "v.ivf"});
        };
        c.breakIt();
        std::string log;
        EXPECT_FALSE(load(&log)) << c.what;
        EXPECT_EQ(loader->getMessage().compare(0, c.message.size(), c.message), 0)
            << c.what << ": " << loader->getMessage();
        EXPECT_EQ(loader->isOk(), c.ok) << c.what;
        std::vector<std::string> loaded;
        for (const char* name : {"a", "b"})
            if (VLMPulsvek::shaderDataPool->contains(name))
                loaded.push_back(name);
        if (VLMPulsvek::textureDataPool->contains("t"))
            loaded.push_back("t");
        if (VLMPulsvek::binaryDataPool->contains("n"))
            loaded.push_back("n");
        EXPECT_EQ(loaded, c.loaded) << c.what;
    }
}

TEST_F(LoaderTest, ASecondAliasOfALoadedFileNamesTheSameTexture)
{
    writePng("shared.png");
    definition.resources = [] {
        ResourceDefinition::defineTexture("first", "shared.png", false);
        ResourceDefinition::defineTexture("second", "shared.png", true);
    };
    std::string log;
    ASSERT_TRUE(load(&log)) << log;
    Texture* first = ResourceDefinition::getTexture("first");
    EXPECT_EQ(ResourceDefinition::getTexture("second"), first);
    EXPECT_EQ(first->getName(), "shared.png");
    size_t loads = 0;
    for (const std::string& line : testsupport::splitLines(log))
        loads += line == "Load : " + VLMIO::graphicsFolder + "shared.png";
    EXPECT_EQ(loads, 1u);
    EXPECT_EQ(VLMPulsvek::textureDataPool->size(), 2);
}

// A version-2 object file with no meshes and one texture record.
std::string objectFileNaming(const std::string& textureFile)
{
    ObjectFileWriter writer;
    writer.addTexture({7, "tex", textureFile});
    const std::vector<char> bytes = writer.bytes();
    return std::string(bytes.begin(), bytes.end());
}

TEST_F(LoaderTest, TheProgressTotalCountsEveryDeclarationAndTheObjectFilesTextures)
{
    struct Case {
        const char* what;
        bool withDeclarations;
        int total;
        int done;
    } const cases[] = {
        {"nothing declared", false, 3, 0},
        // 1 object + 1 texture + the object's texture + 1 animation + 2 binaries + 3
        {"declarations", true, 9, 5},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        if (c.withDeclarations) {
            writePng("t.png");
            writePng("fromobject.png");
            dir.write("objects/thing.vbo", objectFileNaming("fromobject.png"));
            dir.write("misc/a.bin", "a");
            dir.write("misc/b.bin", "b");
            definition.resources = [] {
                ResourceDefinition::defineObject({"thing", "thing.vbo"});
                ResourceDefinition::defineTexture("t", "t.png", false);
                ResourceDefinition::defineAnimation({"path", "path.anim"});
                ResourceDefinition::defineBinary({"a", "a.bin"});
                ResourceDefinition::defineBinary({"b", "b.bin"});
            };
        }
        std::string log;
        ASSERT_TRUE(load(&log)) << c.what << "\n" << log;
        ASSERT_NE(VLMPulsvek::progressBar, nullptr);
        EXPECT_EQ(VLMPulsvek::progressBar->getTotal(), c.total) << c.what;
        EXPECT_EQ(VLMPulsvek::progressBar->getDone(), c.done) << c.what;
    }
    EXPECT_TRUE(VLMPulsvek::textureDataPool->contains("fromobject.png"));
}

TEST_F(LoaderTest, DefinesAndTheGeometryStageReachTheProgram)
{
    const std::string fragment = "#version 150\nout vec4 c;\nvoid main() {\n#ifdef RED\n c = vec4(1, 0, 0, 1);\n"
                                 "#else\n c = vec4(0, 0, 1, 1);\n#endif\n}\n";
    writeShader("red", rendertest::coverVS, fragment);
    writeShader("plain", rendertest::coverVS, fragment);
    // Only the geometry stage gives the fragment stage its colour.
    writeShader("geo", rendertest::coverVS, "#version 150\nin vec4 gcolor;\nout vec4 c;\nvoid main() { c = gcolor; }\n");
    dir.write("shaders/geo.geo", "#version 150\nlayout(triangles) in;\nlayout(triangle_strip, max_vertices = 3) out;\n"
                                 "out vec4 gcolor;\nvoid main() { for (int i = 0; i < 3; ++i) { gcolor = vec4(0, 1, 0, 1); "
                                 "gl_Position = gl_in[i].gl_Position; EmitVertex(); } EndPrimitive(); }\n");
    definition.resources = [] {
        ResourceDefinition::defineShader({"red", "red", {"OTHER", "RED"}});
        ResourceDefinition::defineShader({"plain", "plain", {}});
        ResourceDefinition::defineShader({"geo", "geo", {}});
    };
    std::string log;
    ASSERT_TRUE(load(&log)) << log;
    EXPECT_TRUE(ResourceDefinition::getShader("geo")->hasGeometrySource());
    EXPECT_FALSE(ResourceDefinition::getShader("plain")->hasGeometrySource());

    rendertest::RawTarget target(4, 4);
    for (const auto& c : {std::make_pair("red", rendertest::RGBA{255, 0, 0, 255}),
                          std::make_pair("plain", rendertest::RGBA{0, 0, 255, 255}),
                          std::make_pair("geo", rendertest::RGBA{0, 255, 0, 255})}) {
        rendertest::clearTo(0, 0, 0, 0);
        rendertest::drawCover(*ResourceDefinition::getShader(c.first));
        rendertest::expectNear(rendertest::pixel(2, 2), c.second);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    FBO::currentFramebuffer = 0;
}

// Track data with one start/stop pair per name (start at row 0, then a key
// of stopType at row 5), written into folder.
void writeStartStops(const std::string& folder, const std::vector<std::string>& names, int stopType = 0)
{
    TrackManager manager;
    for (const std::string& name : names) {
        TrackEntry* entry = new TrackEntry(name);
        TrackStartStop* run = new TrackStartStop(0);
        run->addKeyframe(new StartStopKeyframe(0, 1));
        run->addKeyframe(new StartStopKeyframe(5, stopType));
        entry->setStartStop(run);
        manager.addEntry(entry);
    }
    ASSERT_TRUE(TrackFile(folder).saveIndex(&manager));
}

TEST_F(LoaderTest, InstancesAreInitialisedInNameOrderAndFlaggedOnesGetTracks)
{
    definition.effects = [] { ResourceDefinition::registerEffect("NamedEffect", new NamedEffect()); };
    definition.instances = [] {
        for (const char* name : {"zeta", "alpha", "mid"}) {
            Effect* e = ResourceDefinition::createEffectInstance("NamedEffect", name, std::string(name) != "mid");
            static_cast<NamedEffect*>(e)->name = name;
        }
    };
    writeStartStops(dir.file("tracks"), {"zeta", "alpha"});
    ASSERT_TRUE(load());
    testsupport::StdoutCapture capture;
    loader->defineEffectInstances();
    ASSERT_TRUE(loader->createTracks()) << capture.text();
    EXPECT_EQ(initOrder, (std::vector<std::string>{"alpha", "mid", "zeta"}));
    ASSERT_NE(VLMPulsvek::tracks, nullptr);
    EXPECT_EQ(VLMPulsvek::tracks->getNameEntryCount(), 2);
    EXPECT_NE(VLMPulsvek::tracks->getEntry("alpha"), nullptr);
    EXPECT_EQ(VLMPulsvek::tracks->getEntry("mid"), nullptr);
    EXPECT_EQ(VLMPulsvek::tracks->getRowsPerSecond(), 20);
    const std::vector<std::string> lines = capture.lines();
    const std::vector<std::string> expected = {"[Create track data]",
                                               "Loading track data from index file",
                                               "Loading 'alpha.track' (0)",
                                               "Loading 'zeta.track' (0)",
                                               "[Initializing Effect Instances]",
                                               "-> Initializing alpha",
                                               "-> Initializing mid",
                                               "-> Initializing zeta",
                                               "Validating StartStop track data."};
    EXPECT_EQ(lines, expected);
}

TEST_F(LoaderTest, ANullEntryLeftByAFailedLookUpIsSkipped)
{
    definition.effects = [] { ResourceDefinition::registerEffect("NamedEffect", new NamedEffect()); };
    definition.instances = [] {
        Effect* one = ResourceDefinition::createEffectInstance("NamedEffect", "one", true);
        static_cast<NamedEffect*>(one)->name = "one";
        // A look-up of a name that is not there enters it with a null effect.
        EXPECT_EQ(VLMPulsvek::effectInstanceDataPool->get("gone"), nullptr);
    };
    writeStartStops(dir.file("tracks"), {"one"});
    ASSERT_TRUE(load());
    testsupport::StdoutCapture capture;
    loader->defineEffectInstances();
    EXPECT_EQ(VLMPulsvek::effectInstanceDataPool->size(), 2);
    ASSERT_TRUE(loader->createTracks()) << capture.text();
    EXPECT_EQ(initOrder, (std::vector<std::string>{"one"}));
    EXPECT_EQ(VLMPulsvek::tracks->getNameEntryCount(), 1);
    const std::vector<std::string> lines = capture.lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "-> Initializing one"), 1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "-> Initializing gone"), 0);
}

TEST_F(LoaderTest, TrackCreationFailuresLeaveAMessage)
{
    struct Case {
        const char* what;
        bool writeTracks;
        bool goodKeys;
        bool glError;
        std::string message;
        std::string logged;
    } const cases[] = {
        {"no track data", false, true, false, "Failed to load track data!\nFile : '" + dir.file("tracks") + "/index.list'",
         ""},
        {"start keys without a stop", true, false, false,
         "Invalid start/stop track data\nFile : '" + dir.file("tracks") + "/track.data'",
         "--> StartStop Track : one has keyframe mismatch"},
        {"an init that raises a GL error goes on", true, true, true, "ResourceLoader : unknown",
         "[GL_ERROR [GL_INVALID_ENUM (1280)] LOCATION = ['one:init()']"},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        definition.effects = [] {
            ResourceDefinition::registerEffect("NamedEffect", new NamedEffect());
            ResourceDefinition::registerEffect("GLErrorEffect", new GLErrorEffect());
        };
        const bool glError = c.glError;
        definition.instances = [glError] {
            ResourceDefinition::createEffectInstance(glError ? "GLErrorEffect" : "NamedEffect", "one", true);
        };
        if (c.writeTracks)
            writeStartStops(dir.file("tracks"), {"one"}, c.goodKeys ? 0 : 1);
        ASSERT_TRUE(load());
        testsupport::StdoutCapture capture;
        loader->defineEffectInstances();
        const bool created = loader->createTracks();
        const std::vector<std::string> lines = capture.lines();
        EXPECT_EQ(created, c.message == "ResourceLoader : unknown") << c.what;
        EXPECT_EQ(loader->getMessage(), c.message) << c.what;
        if (!c.logged.empty()) {
            EXPECT_NE(std::find(lines.begin(), lines.end(), c.logged), lines.end()) << c.what;
        }
        testsupport::drainGLErrors();
    }
}

TEST_F(LoaderTest, TheClockRunsAfterTheStartWithOrWithoutMusic)
{
    struct Case {
        const char* what;
        std::string music;
        bool ok;
    } const cases[] = {
        {"no music", "", true},
        {"music", "tone.mp3", true},
        {"missing music", "none.mp3", false},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        std::filesystem::copy_file(std::string(PULSVEK_TEST_DATA) + "/audio/tone-mono-22k.mp3",
                                   VLMIO::soundFolder + "tone.mp3",
                                   std::filesystem::copy_options::overwrite_existing);
        const std::string music = c.music;
        definition.resources = [music] { ResourceDefinition::setMusic(music); };
        ASSERT_TRUE(load()) << c.what;
        testsupport::StdoutCapture capture;
        ASSERT_EQ(loader->setupSound(), c.ok) << c.what;
        if (!c.ok) {
            EXPECT_EQ(loader->getMessage(), "Failed to load sound!\nFile : '" + c.music + "'") << c.what;
            continue;
        }
        const TimeCode savedStart = VLMPulsvek::startTime;
        VLMPulsvek::startTime.setMs(200);
        loader->startDemo();
        VLMPulsvek::startTime = savedStart;
        Timer* timer = VLMPulsvek::timer;
        ASSERT_NE(timer, nullptr);
        EXPECT_FALSE(timer->isPaused()) << c.what;
        const int start = timer->getTimeMs();
        EXPECT_GE(start, 200) << c.what;
        const double until = glfw27::getTime() + 0.05;
        while (glfw27::getTime() < until) {
        }
        EXPECT_GT(timer->getTimeMs(), start) << c.what;
        const std::vector<std::string> lines = capture.lines();
        EXPECT_EQ(lines.front(), "[Setting up sound]");
        EXPECT_EQ(lines.back(), "[Demo Init]");
    }
}

// Music that is cut short, or that ends before the show starts, is named in
// one line of the sound set-up; the show starts where it was asked to.
TEST_F(LoaderTest, MusicCutShortOrEndingBeforeTheStartIsNamedInOneLine)
{
    const std::string whole = testsupport::readWholeFile(std::string(PULSVEK_TEST_DATA) + "/audio/tones-stereo-44k.mp3");
    const std::string half = whole.substr(0, whole.size() / 2);
    auto ms = [](const std::string& bytes, bool stated) {
        fmodex::DecodedAudio audio;
        EXPECT_EQ(fmodex::decodeMp3(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), audio),
                  FMOD_OK);
        return std::to_string((stated ? audio.statedFrames : audio.frames) * 1000 / static_cast<uint64_t>(audio.rate));
    };
    const std::string path = VLMIO::soundFolder + "music.mp3";
    struct Case {
        const char* what;
        std::string bytes;
        int startMs;
        int endMs;
        std::string line;  // empty: none
    } const cases[] = {
        {"whole, the start inside it", whole, 1000, 41000, ""},
        {"whole, the start at its end", whole, 1500, 41000, ""},
        {"whole, the start past its end", whole, 40000, 41000,
         "Music '" + path + "' lasts 1500 ms; the show runs from 40000 ms to 41000 ms, silent past the music"},
        {"cut short", half, 0, 41000,
         "Music '" + path + "' is cut short: it lasts " + ms(half, false) + " ms of the " + ms(whole, true) +
             " ms its header declares; the show runs from 0 ms to 41000 ms, silent past the music"},
        {"cut short, the start past its end", half, 40000, 41000,
         "Music '" + path + "' is cut short: it lasts " + ms(half, false) + " ms of the " + ms(whole, true) +
             " ms its header declares; the show runs from 40000 ms to 41000 ms, silent past the music"},
    };
    const TimeCode savedStart = VLMPulsvek::startTime;
    const TimeCode savedEnd = VLMPulsvek::endTime;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        dir.write("sound/music.mp3", c.bytes);
        definition.resources = [] { ResourceDefinition::setMusic("music.mp3"); };
        ASSERT_TRUE(load());
        VLMPulsvek::startTime.setMs(c.startMs);
        VLMPulsvek::endTime.setMs(c.endMs);
        testsupport::StdoutCapture capture;
        ASSERT_TRUE(loader->setupSound());
        std::vector<std::string> expected = {"[Setting up sound]", "Play : music.mp3",
                                             "Fmod Version = " + std::to_string(FMOD_VERSION)};
        if (!c.line.empty())
            expected.push_back(c.line);
        EXPECT_EQ(capture.lines(), expected);
        {
            testsupport::StdoutCapture quiet;
            loader->startDemo();
        }
        EXPECT_GE(VLMPulsvek::timer->getTimeMs(), c.startMs);
        EXPECT_LT(VLMPulsvek::timer->getTimeMs(), c.startMs + 1000);
    }
    VLMPulsvek::startTime = savedStart;
    VLMPulsvek::endTime = savedEnd;
}

TEST_F(LoaderTest, DeletingThePoolsNullsTheGlobalsAndFreesLeftOverTextures)
{
    writePng("t.png");
    definition.resources = [] { ResourceDefinition::defineTexture("t", "t.png", false); };
    ASSERT_TRUE(load());
    {
        testsupport::StdoutCapture quiet;
        loader->setupSound();
    }
    // A texture that no pool holds, and one named above the sweep.
    std::vector<GLuint> names(260);
    glGenTextures(260, names.data());
    for (GLuint name : names)
        glBindTexture(GL_TEXTURE_2D, name);
    glBindTexture(GL_TEXTURE_2D, 0);
    GLuint leftOver = 0, high = 0;
    for (GLuint name : names) {
        if (!leftOver && name < 250)
            leftOver = name;
        else if (name >= 250 && !high)
            high = name;
        else
            glDeleteTextures(1, &name);
    }
    if (!leftOver || !high) {
        glDeleteTextures(1, &leftOver);
        glDeleteTextures(1, &high);
        GTEST_SKIP() << "no texture names below and above 250 to be had";
    }

    testsupport::StdoutCapture capture;
    ResourceLoader::deletePools();
    ResourceLoader::deletePools();
    const std::vector<std::string> lines = capture.lines();
    EXPECT_EQ(VLMPulsvek::progressBar, nullptr);
    EXPECT_EQ(VLMPulsvek::textureDataPool, nullptr);
    EXPECT_EQ(VLMPulsvek::shaderDataPool, nullptr);
    EXPECT_EQ(VLMPulsvek::fboDataPool, nullptr);
    EXPECT_EQ(VLMPulsvek::sceneDataPool, nullptr);
    EXPECT_EQ(VLMPulsvek::effectDataPool, nullptr);
    EXPECT_EQ(VLMPulsvek::effectInstanceDataPool, nullptr);
    EXPECT_EQ(VLMPulsvek::binaryDataPool, nullptr);
    EXPECT_EQ(VLMPulsvek::videoDataPool, nullptr);
    EXPECT_EQ(VLMPulsvek::tracks, nullptr);
    EXPECT_EQ(VLMPulsvek::timer, nullptr);
    EXPECT_FALSE(glIsTexture(leftOver));
    EXPECT_TRUE(glIsTexture(high));
    glDeleteTextures(1, &high);
    // Textures that other tests left behind in this process may be swept too.
    std::vector<std::string> swept, rest;
    for (const std::string& line : lines)
        (line.rfind("- ", 0) == 0 ? swept : rest).push_back(line);
    EXPECT_NE(std::find(swept.begin(), swept.end(), "- " + std::to_string(leftOver) + " deleted"), swept.end());
    const std::vector<std::string> expected = {"[Deleting Pools]",
                                               "[Dispose objectPool]",
                                               "[Dispose texturePool]",
                                               "[Dispose effectPool]",
                                               "[Dispose effectPool]",
                                               "[Dispose binaryPool]",
                                               "[Dispose videoPool]",
                                               "delete VLMPulsvek::tracks",
                                               "delete VLMPulsvek::timer",
                                               "Query GL for remaining texture objects (1-250)",
                                               "[Deleting Pools]",
                                               "delete VLMPulsvek::tracks",
                                               "delete VLMPulsvek::timer",
                                               "Query GL for remaining texture objects (1-250)"};
    EXPECT_EQ(rest, expected);
}

TEST_F(LoaderTest, ThePackScriptListsEveryFileAndQuotesOddNames)
{
    writeShader("plain");
    writeShader("geo");
    dir.write("shaders/geo.geo", "#version 150\nlayout(triangles) in;\nlayout(triangle_strip, max_vertices = 3) out;\n"
                                 "void main() { for (int i = 0; i < 3; ++i) { gl_Position = gl_in[i].gl_Position; "
                                 "EmitVertex(); } EndPrimitive(); }\n");
    dir.write("shaders/common.glsl", "// shared\n");
    writeShader("inc", std::string(kVertex) + "#include common.glsl\n");
    writePng("b.png");
    writePng("it's $(touch pwned) a.png");
    for (const char* face : {"posx", "negx", "posy", "negy", "posz", "negz"})
        writePng(std::string("sky_") + face + ".png");
    dir.write("objects/car.vbo", objectFileNaming("b.png"));
    dir.write("objects/car.vbo.kf", "keys");
    dir.write("misc/n.bin", "n");
    dir.write("sound/tune.mp3", "not read here");
    definition.resources = [] {
        ResourceDefinition::setMusic("tune.mp3");
        ResourceDefinition::defineObject({"car", "car.vbo"});
        ResourceDefinition::defineTexture("odd", "it's $(touch pwned) a.png", false);
        ResourceDefinition::defineCubeMap("sky", "sky_*.png", false);
        ResourceDefinition::defineAnimation({"path", "path.anim"});
        ResourceDefinition::defineBinary({"n", "n.bin"});
        ResourceDefinition::defineShader({"plain", "plain", {}});
        ResourceDefinition::defineShader({"geo", "geo", {}});
        ResourceDefinition::defineShader({"inc", "inc", {}});
        FBO* fbo = new FBO(8, 8);
        fbo->addColorTexture(GL_RGBA8, GL_RGBA);
        ResourceDefinition::addFBO("target", fbo);
    };
    std::string log;
    ASSERT_TRUE(load(&log)) << log;
    // The framebuffer's attachment texture, once in the texture pool, is no file: no line for it.

    const std::string g = VLMIO::graphicsFolder, o = VLMIO::objectFolder, m = VLMIO::miscFolder,
                      s = VLMIO::shaderFolder, t = VLMIO::trackFolder;
    const std::string add = "/bin/echo a -ms=off -mx=9  resources.7z ";
    const std::string tail = " >> resources.7z.log \n";
    std::string expected = "rm -f  resources.7z \nrm -f resources.7z.log\n";
    for (const std::string& path : {VLMIO::soundFolder + "tune.mp3", g + "b.png",
                                    "'" + g + "it'\\''s $(touch pwned) a.png'", g + "sky_*.png", o + "car.vbo",
                                    o + "car.vbo.kf", m + "path.anim", m + "n.bin", s + "plain.vert", s + "plain.frag",
                                    s + "geo.vert", s + "geo.frag", s + "geo.geo", s + "inc.vert", s + "inc.frag",
                                    t + "index.list", t + "track.data", s + "common.glsl",
                                    s + "default_Progress.vert", s + "default_Progress.frag"})
        expected += add + path + tail;
    EXPECT_EQ(loader->packScript("/bin/echo"), expected);

    // Run with an archiver that only records its arguments: the odd name arrives whole.
    const std::string script = dir.file("pack.sh");
    ASSERT_TRUE(loader->writePackScript("/bin/echo", script));
    EXPECT_EQ(testsupport::readWholeFile(script), expected);
    const std::string command = "cd " + dir.path() + " && sh pack.sh";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const std::string echoed = testsupport::readWholeFile(dir.file("resources.7z.log"));
    EXPECT_NE(echoed.find("a -ms=off -mx=9 resources.7z " + g + "it's $(touch pwned) a.png\n"), std::string::npos)
        << echoed;
    EXPECT_FALSE(std::filesystem::exists(dir.file("pwned")));
}

TEST_F(LoaderTest, ReloadingShadersRebuildsThemFromTheirFiles)
{
    writeShader("a");
    definition.resources = [] { ResourceDefinition::defineShader({"a", "a", {}}); };
    ASSERT_TRUE(load());
    Shader* before = ResourceDefinition::getShader("a");
    {
        testsupport::StdoutCapture capture;
        EXPECT_TRUE(loader->reloadShaders());
        const std::vector<std::string> lines = capture.lines();
        EXPECT_EQ(lines.front(), "[Reloading Shaders]");
        EXPECT_EQ(lines.back(), "[Reloading Shaders] ... Done!");
        EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                               [](const std::string& l) { return l.rfind("Adding shader 'a' = Shader(", 0) == 0; }),
                  lines.end());
    }
    EXPECT_EQ(ResourceDefinition::getShader("a"), before);
    writeShader("a", kVertex, "#version 150\nbroken\n");
    testsupport::StdoutCapture capture;
    EXPECT_FALSE(loader->reloadShaders());
    const std::vector<std::string> lines = capture.lines();
    const auto at = std::find(lines.begin(), lines.end(), "Error while recompiling 'a' : ");
    ASSERT_NE(at, lines.end());
    ASSERT_NE(at + 1, lines.end());
    EXPECT_EQ(*(at + 1), "Error while compiling fragment shader");
}

TEST_F(LoaderTest, AScreenThatDoesNotOpenNamesItsSize)
{
    // The test process has its window already, so a second one cannot open.
    ScreenSettings settings;
    ScreenSettings* savedScreen = VLMPulsvek::screenSettings;
    const TimeCode start = VLMPulsvek::startTime, end = VLMPulsvek::endTime;
    const std::string savedError = VLMPulsvek::lastError;
    EXPECT_FALSE(loader->openScreen(&settings, "title"));
    EXPECT_EQ(loader->getMessage(), "Failed to open screen : 1280x768Failed to open window");
    EXPECT_FALSE(loader->isOk());
    VLMPulsvek::screenSettings = savedScreen;
    VLMPulsvek::startTime = start;
    VLMPulsvek::endTime = end;
    VLMPulsvek::lastError = savedError;
}

}
