#include "engine/render/Engine.h"
#include "engine/runtime/ResourceLoader.h"
#include "engine/runtime/VLMIO.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

TEST(ShaderPreprocessTest, DefinesGoAfterTheVersionLineLastFirst)
{
    struct Case {
        const char* what;
        Lines lines;
        Lines defines;
        Lines expected;
    } const cases[] = {
        {"two defines", {"#version 150", "void main() {}"}, {"A", "B"},
         {"#version 150", "#define B\n", "#define A\n", "void main() {}"}},
        {"no defines", {"#version 150", "x"}, {}, {"#version 150", "x"}},
        {"version only", {"#version 150"}, {"A"}, {"#version 150", "#define A\n"}},
        {"blank lines before the version", {"", "  ", "#version 330", "x"}, {"A"},
         {"", "  ", "#version 330", "#define A\n", "x"}},
        {"empty source", {}, {"A", "B"}, {"#define B\n", "#define A\n"}},
        {"only blank lines", {""}, {"A"}, {"", "#define A\n"}},
    };
    for (const Case& c : cases) {
        Lines lines = c.lines;
        ResourceLoader::insertDefines(lines, c.defines);
        EXPECT_EQ(lines, c.expected) << c.what;
    }
}

class ShaderIncludeTest : public ::testing::Test {
protected:
    ShaderIncludeTest() : folder(dir.path() + "/")
    {
        savedMode = VLMIO::loadMode;
        VLMIO::loadMode = 0;
        savedIncluded.swap(VLMPulsvek::includedFiles);
        dir.write("common.glsl", "float common() { return 1.0; }\n");
        dir.write("a", "// a\n");
        dir.write("outer.glsl", "// outer\n#include inner.glsl\n");
        dir.write("inner.glsl", "// inner");
        dir.write("nested-miss.glsl", "// top\n#include missing.glsl\n");
        dir.write("self.glsl", "#include self.glsl\n");
        dir.write("ping.glsl", "// ping\n#include pong.glsl\n");
        dir.write("pong.glsl", "// pong\n#include ping.glsl\n");
    }
    ~ShaderIncludeTest() override
    {
        VLMIO::loadMode = savedMode;
        VLMPulsvek::includedFiles.swap(savedIncluded);
    }

    testsupport::TempDir dir;
    std::string folder;
    int savedMode;
    std::vector<std::string> savedIncluded;
};

TEST_F(ShaderIncludeTest, IncludesAreExpandedOrCopied)
{
    struct Case {
        const char* what;
        Lines lines;
        std::string expected;
    } const cases[] = {
        {"plain lines get a line break each", {"#version 150", "", "void main() {}"},
         "#version 150\n\nvoid main() {}\n"},
        {"a 19-character include", {"#include common.glsl"}, "float common() { return 1.0; }\n\n"},
        {"a 10-character include", {"#include a"}, "// a\n\n"},
        {"a bare include is copied", {"#include"}, "#include\n"},
        {"a 9-character line is copied", {"#define X"}, "#define X\n"},
        {"other directives are copied", {"#extension GL_ARB_x : enable"}, "#extension GL_ARB_x : enable\n"},
        {"a tab makes one token", {"#include\tcommon.glsl"}, "#include\tcommon.glsl\n"},
        {"a line must start with #", {"  #include common.glsl"}, "  #include common.glsl\n"},
        {"spaces around the name are dropped", {"#include    common.glsl   "}, "float common() { return 1.0; }\n\n"},
        {"nested includes come from the same folder", {"x", "#include outer.glsl", "y"},
         "x\n// outer\n// inner\n\ny\n"},
        {"a define line gets an empty line after it", {"#version 150", "#define A\n"}, "#version 150\n#define A\n\n"},
    };
    for (const Case& c : cases) {
        ResourceLoader loader;
        std::string out;
        EXPECT_TRUE(loader.shaderInclude(out, c.lines, folder, "test.vert", 0)) << c.what;
        EXPECT_EQ(out, c.expected) << c.what;
    }
}

TEST_F(ShaderIncludeTest, FailuresNameTheLineTheFileAndTheDepth)
{
    struct Case {
        const char* what;
        Lines lines;
        std::string message;
    } const cases[] = {
        {"missing file", {"#include nothere.glsl"}, "Failed to include '#include nothere.glsl' in test.vert depth 0"},
        {"quotes are part of the name", {"#include \"common.glsl\""},
         "Failed to include '#include \"common.glsl\"' in test.vert depth 0"},
        {"a miss inside an included file", {"#include nested-miss.glsl"},
         "Failed to include '#include missing.glsl' in nested-miss.glsl depth 1"},
        {"a file that includes itself", {"#include self.glsl"},
         "Failed to include '#include self.glsl' in self.glsl depth 1"},
        {"two files that include each other", {"#include ping.glsl"},
         "Failed to include '#include ping.glsl' in pong.glsl depth 2"},
        {"the including file itself", {"#include test.vert"},
         "Failed to include '#include test.vert' in test.vert depth 0"},
    };
    for (const Case& c : cases) {
        dir.write("test.vert", "x\n");
        ResourceLoader loader;
        std::string out;
        EXPECT_FALSE(loader.shaderInclude(out, c.lines, folder, "test.vert", 0)) << c.what;
        EXPECT_EQ(loader.getMessage(), c.message) << c.what;
        EXPECT_TRUE(loader.isOk()) << c.what;
    }
}

TEST_F(ShaderIncludeTest, EveryIncludedFileIsRecordedOnce)
{
    ResourceLoader loader;
    std::string out;
    EXPECT_TRUE(loader.shaderInclude(out, {"#include outer.glsl", "#include common.glsl", "#include outer.glsl"},
                                     folder, "test.vert", 0));
    std::string missing;
    EXPECT_FALSE(loader.shaderInclude(missing, {"#include nothere.glsl"}, folder, "test.vert", 0));
    EXPECT_EQ(VLMPulsvek::includedFiles,
              (Lines{folder + "outer.glsl", folder + "inner.glsl", folder + "common.glsl", folder + "nothere.glsl"}));
}

TEST_F(ShaderIncludeTest, DefinesThenIncludesGiveTheFinalText)
{
    Lines lines = {"#version 150", "#include a", "void main() {}"};
    ResourceLoader::insertDefines(lines, {"A", "B"});
    ResourceLoader loader;
    std::string out;
    ASSERT_TRUE(loader.shaderInclude(out, lines, folder, "test.vert", 0));
    EXPECT_EQ(out, "#version 150\n#define B\n\n#define A\n\n// a\n\nvoid main() {}\n");
}

}

namespace {

// chainN.glsl includes chainN+1.glsl, down to chain<last>.glsl, which includes nothing.
void writeChain(testsupport::TempDir& dir, int last)
{
    for (int i = 1; i < last; ++i)
        dir.write("chain" + std::to_string(i) + ".glsl",
                  "// " + std::to_string(i) + "\n#include chain" + std::to_string(i + 1) + ".glsl\n");
    dir.write("chain" + std::to_string(last) + ".glsl", "// last\n");
}

}

TEST_F(ShaderIncludeTest, IncludesNestSixteenDeepAndNoDeeper)
{
    writeChain(dir, 16);
    {
        ResourceLoader loader;
        std::string out;
        EXPECT_TRUE(loader.shaderInclude(out, {"#include chain1.glsl"}, folder, "test.vert", 0));
        EXPECT_NE(out.find("// last\n"), std::string::npos);
    }
    // A chain that never ends stops at the same depth.
    for (int last : {17, 40}) {
        writeChain(dir, last);
        ResourceLoader loader;
        std::string out;
        EXPECT_FALSE(loader.shaderInclude(out, {"#include chain1.glsl"}, folder, "test.vert", 0)) << last;
        EXPECT_EQ(loader.getMessage(),
                  "Failed to include '#include chain17.glsl' in chain16.glsl depth 16 : includes nested deeper than 16")
            << last;
        EXPECT_TRUE(loader.isOk());
    }
}

TEST_F(ShaderIncludeTest, ExpansionStopsPastOneMebibyte)
{
    // Each level includes the next one twice: level n expands to 2^n leaves.
    const std::string bigLeaf(1000, '/');
    for (int i = 0; i < 30; ++i) {
        const std::string next = "#include double" + std::to_string(i + 1) + ".glsl\n";
        dir.write("double" + std::to_string(i) + ".glsl", i == 15 ? bigLeaf + "\n" : "// " + std::to_string(i) + "\n" + next + next);
    }
    // 2^15 leaves of 1001 bytes: 33 MB, past the bound long before the end.
    ResourceLoader loader;
    std::string out;
    EXPECT_FALSE(loader.shaderInclude(out, {"#include double0.glsl"}, folder, "test.vert", 0));
    const std::string message = loader.getMessage();
    EXPECT_EQ(message.rfind("Failed to include '#include double", 0), 0u) << message;
    const std::string tail = " : source grows past 1048576 bytes";
    ASSERT_GE(message.size(), tail.size());
    EXPECT_EQ(message.substr(message.size() - tail.size()), tail) << message;
    // It stops within one included file past the bound.
    EXPECT_LE(out.size(), (1u << 20) + 2 * (bigLeaf.size() + 2));

    // 2^9 leaves: 52 KB expands (each file's last line break adds an empty line).
    const std::string leafLine(100, '/');
    for (int i = 0; i < 9; ++i) {
        const std::string next = "#include small" + std::to_string(i + 1) + ".glsl\n";
        dir.write("small" + std::to_string(i) + ".glsl", next + next);
    }
    dir.write("small9.glsl", leafLine + "\n");
    ResourceLoader small;
    std::string expanded;
    EXPECT_TRUE(small.shaderInclude(expanded, {"#include small0.glsl"}, folder, "test.vert", 0)) << small.getMessage();
    EXPECT_EQ(expanded.size(), 512u * (leafLine.size() + 2) + 511u);
}
