#include "tools/objectfile/ObjectFileWriter.h"

#include "util/Assert.h"
#include "util/File.h"


namespace {

void putString(File& out, const std::string& text)
{
    VLM_ASSERT(text.find('\0') == std::string::npos);
    out.appendString(text);
    out.appendByte(0);
}

void putVec3(File& out, const glm::vec3& v)
{
    out.appendFloat(v.x);
    out.appendFloat(v.y);
    out.appendFloat(v.z);
}

void writeMesh(File& out, const ObjectFileWriter::Mesh& mesh)
{
    VLM_ASSERT(mesh.uvSets >= 0 && mesh.colorSets >= 0);
    const int vertexCount = mesh.vertexCount();
    VLM_ASSERT(mesh.indices.size() % 3 == 0);
    for (int index : mesh.indices)
        VLM_ASSERT(index >= 0 && index < vertexCount);

    out.appendInt(mesh.id);
    out.appendInt(mesh.materialId);
    putVec3(out, mesh.bboxMin);
    putVec3(out, mesh.bboxMax);
    out.appendInt(vertexCount);
    out.appendInt(mesh.hasTangents ? 1 : 0);
    out.appendInt(mesh.uvSets);
    out.appendInt(mesh.colorSets);
    for (float f : mesh.vertices)
        out.appendFloat(f);
    out.appendInt(static_cast<int>(mesh.indices.size() / 3));
    for (int index : mesh.indices)
        out.appendInt(index);
}

void writeMaterial(File& out, const ObjectFileWriter::Material& m)
{
    out.appendInt(m.id);
    putString(out, m.name);
    for (int i = 0; i < 4; ++i)
        out.appendFloat(m.skipped[i]);
    putVec3(out, m.diffuse);
    out.appendFloat(m.skipped[4]);
    putVec3(out, m.specular);
    out.appendFloat(m.skipped[5]);
    out.appendFloat(m.shininess);
    out.appendInt(m.textureId);
}

}

int ObjectFileWriter::Mesh::vertexCount() const
{
    const size_t per = static_cast<size_t>(floatsPerVertex());
    VLM_ASSERT(vertices.size() % per == 0);
    return static_cast<int>(vertices.size() / per);
}

void ObjectFileWriter::Mesh::fitBoundingBox()
{
    const int count = vertexCount();
    const size_t per = static_cast<size_t>(floatsPerVertex());
    bboxMin = bboxMax = glm::vec3(0.0f);
    for (int v = 0; v < count; ++v) {
        const float* p = &vertices[static_cast<size_t>(v) * per];
        const glm::vec3 position(p[0], p[1], p[2]);
        bboxMin = v == 0 ? position : glm::min(bboxMin, position);
        bboxMax = v == 0 ? position : glm::max(bboxMax, position);
    }
}

void ObjectFileWriter::writeTo(File& out) const
{
    out.appendInt(kVersion);

    out.appendInt(static_cast<int>(meshes.size()));
    for (const Mesh& mesh : meshes)
        writeMesh(out, mesh);

    out.appendInt(static_cast<int>(textures.size()));
    for (const Texture& t : textures) {
        out.appendInt(t.id);
        putString(out, t.name);
        putString(out, t.file);
    }

    out.appendInt(static_cast<int>(materials.size()));
    for (const Material& m : materials)
        writeMaterial(out, m);

    out.appendInt(static_cast<int>(lights.size()));
    for (const Light& l : lights) {
        out.appendInt(l.id);
        out.appendInt(l.type);
        putVec3(out, l.color);
        out.appendFloat(l.radius);
        out.appendFloat(l.keptValue);
        out.appendFloat(l.coneAngle);
    }

    out.appendInt(static_cast<int>(nodes.size()));
    for (const Node& n : nodes) {
        out.appendInt(n.id);
        out.appendInt(n.parentId);
        putString(out, n.name);
        out.appendInt(static_cast<int>(n.meshIds.size()));
        for (int id : n.meshIds)
            out.appendInt(id);
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r)
                out.appendFloat(n.matrix[c][r]);
    }
}

std::vector<char> ObjectFileWriter::bytes() const
{
    File buffer{std::string()};
    writeTo(buffer);
    return buffer.getData();
}

bool ObjectFileWriter::save(const std::string& path) const
{
    File out(path, 2);
    if (!out.isOpen())
        return false;
    writeTo(out);
    return out.save();
}
