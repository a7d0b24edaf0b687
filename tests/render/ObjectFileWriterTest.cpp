#include "tools/objectfile/ObjectFileWriter.h"
#include "support/TempDir.h"
#include "util/File.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// Reads the bytes back field by field with the byte file's readers.
struct Reader {
    explicit Reader(const std::vector<char>& bytes) : file(std::string())
    {
        for (char c : bytes)
            file.appendByte(c);
    }
    int i() { return file.readInt(); }
    float f() { return file.readFloat(); }
    std::string s() { return file.readString(); }
    bool atEnd() const { return file.getPosition() == file.getSize() && !file.isOverrun(); }
    File file;
};

ObjectFileWriter::Mesh triangle()
{
    ObjectFileWriter::Mesh mesh;
    mesh.id = 4;
    mesh.materialId = 9;
    mesh.uvSets = 1;
    // position, normal, uv
    mesh.vertices = {0, 0, 0, 0, 0, 1, 0, 0,  //
                     2, 0, -1, 0, 0, 1, 1, 0,  //
                     0, 3, 0, 0, 0, 1, 0, 1};
    mesh.indices = {0, 1, 2};
    mesh.fitBoundingBox();
    return mesh;
}

}

TEST(ObjectFileWriter, WritesTheVersionTwoLayout)
{
    ObjectFileWriter writer;
    writer.addMesh(triangle());
    writer.addTexture({3, "paint", "Car.png"});
    ObjectFileWriter::Material material;
    material.id = 1;
    material.name = "";
    material.diffuse = glm::vec3(0.1f, 0.2f, 0.3f);
    material.specular = glm::vec3(0.4f, 0.5f, 0.6f);
    material.shininess = 32.0f;
    material.textureId = 3;
    for (int k = 0; k < 6; ++k)
        material.skipped[k] = 100.0f + k;
    writer.addMaterial(material);
    writer.addLight({8, 1, glm::vec3(1, 0.5f, 0.25f), 12.0f, 7.0f, 45.0f});
    ObjectFileWriter::Node node;
    node.id = 2;
    node.parentId = -1;
    node.name = "car";
    node.meshIds = {4, 5};
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            node.matrix[c][r] = static_cast<float>(c * 4 + r);
    writer.addNode(node);

    Reader in(writer.bytes());
    EXPECT_EQ(in.i(), 2);
    EXPECT_EQ(in.i(), 1);  // meshes
    EXPECT_EQ(in.i(), 4);
    EXPECT_EQ(in.i(), 9);
    for (float expected : {0.0f, 0.0f, -1.0f, 2.0f, 3.0f, 0.0f})  // box from the positions
        EXPECT_EQ(in.f(), expected);
    EXPECT_EQ(in.i(), 3);  // vertices
    EXPECT_EQ(in.i(), 0);  // tangent flag
    EXPECT_EQ(in.i(), 1);  // uv sets
    EXPECT_EQ(in.i(), 0);  // colour sets
    for (float expected : triangle().vertices)
        EXPECT_EQ(in.f(), expected);
    EXPECT_EQ(in.i(), 1);  // triangles
    for (int expected : {0, 1, 2})
        EXPECT_EQ(in.i(), expected);

    EXPECT_EQ(in.i(), 1);  // textures
    EXPECT_EQ(in.i(), 3);
    EXPECT_EQ(in.s(), "paint");
    EXPECT_EQ(in.s(), "Car.png");

    EXPECT_EQ(in.i(), 1);  // materials
    EXPECT_EQ(in.i(), 1);
    EXPECT_EQ(in.s(), "Object");  // the empty name is a lone zero byte
    for (float expected : {100.0f, 101.0f, 102.0f, 103.0f, 0.1f, 0.2f, 0.3f, 104.0f, 0.4f, 0.5f, 0.6f, 105.0f, 32.0f})
        EXPECT_EQ(in.f(), expected);
    EXPECT_EQ(in.i(), 3);

    EXPECT_EQ(in.i(), 1);  // lights
    EXPECT_EQ(in.i(), 8);
    EXPECT_EQ(in.i(), 1);
    for (float expected : {1.0f, 0.5f, 0.25f, 12.0f, 7.0f, 45.0f})
        EXPECT_EQ(in.f(), expected);

    EXPECT_EQ(in.i(), 1);  // nodes
    EXPECT_EQ(in.i(), 2);
    EXPECT_EQ(in.i(), -1);
    EXPECT_EQ(in.s(), "car");
    EXPECT_EQ(in.i(), 2);
    EXPECT_EQ(in.i(), 4);
    EXPECT_EQ(in.i(), 5);
    for (int k = 0; k < 16; ++k)  // column-major: the first four are the first column
        EXPECT_EQ(in.f(), static_cast<float>(k));
    EXPECT_TRUE(in.atEnd());
}

TEST(ObjectFileWriter, EmptyFileAndSaving)
{
    ObjectFileWriter writer;
    Reader in(writer.bytes());
    for (int expected : {2, 0, 0, 0, 0, 0})
        EXPECT_EQ(in.i(), expected);
    EXPECT_TRUE(in.atEnd());

    writer.addMesh(triangle());
    testsupport::TempDir dir;
    ASSERT_TRUE(writer.save(dir.file("t.vbo")));
    const std::vector<char> bytes = writer.bytes();
    EXPECT_EQ(testsupport::readWholeFile(dir.file("t.vbo")), std::string(bytes.begin(), bytes.end()));
    EXPECT_FALSE(writer.save(dir.file("missing/folder/t.vbo")));
}

TEST(ObjectFileWriterDeathTest, InconsistentRecordsAssert)
{
    struct Case {
        const char* condition;
        std::function<void(ObjectFileWriter::Mesh&, ObjectFileWriter::Node&)> spoil;
    } cases[] = {
        {"vertices.size\\(\\) % per == 0", [](auto& m, auto&) { m.vertices.push_back(1.0f); }},
        {"vertices.size\\(\\) % per == 0", [](auto& m, auto&) { m.uvSets = 2; }},
        {"mesh.indices.size\\(\\) % 3 == 0", [](auto& m, auto&) { m.indices.push_back(0); }},
        {"index >= 0 && index < vertexCount", [](auto& m, auto&) { m.indices[2] = 3; }},
        {"index >= 0 && index < vertexCount", [](auto& m, auto&) { m.indices[0] = -1; }},
        {"mesh.uvSets >= 0 && mesh.colorSets >= 0", [](auto& m, auto&) { m.colorSets = -1; }},
        {"text.find\\('\\\\0'\\) == std::string::npos", [](auto&, auto& n) { n.name = std::string("a\0b", 3); }},
    };
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const Case& c : cases) {
        EXPECT_DEATH(
            {
                ObjectFileWriter writer;
                ObjectFileWriter::Mesh mesh = triangle();
                ObjectFileWriter::Node node;
                c.spoil(mesh, node);
                writer.addMesh(mesh);
                writer.addNode(node);
                writer.bytes();
            },
            std::string("Assertion failed: ") + c.condition)
            << c.condition;
    }
}
