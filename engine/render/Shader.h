#pragma once
// One GLSL program from a vertex, a fragment and an optional geometry source.
// Uniforms are set by name; the active attributes in location order form the
// signature under which meshes keep their vertex-array objects.

#include <GL/glew.h>

#include <glm/mat3x3.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class Texture;

// What GL reports about one active uniform or attribute.
struct ActiveVariable {
    int location = 0;
    std::string name;
    int length = 0;
    GLenum type = 0;
    int size = 0;
};

struct UniformInfo : ActiveVariable {};
struct AttribInfo : ActiveVariable {};

class Shader {
public:
    // Needs a current GL context.
    explicit Shader(const std::string& name);
    ~Shader();

    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    void setVertexSource(const std::string& text) { vertexSource = text; }
    void setFragmentSource(const std::string& text) { fragmentSource = text; }
    void setGeometrySource(const std::string& text) { geometrySource = text; }
    bool hasGeometrySource() const { return !geometrySource.empty(); }

    // Version, compile, link, then the uniform and attribute tables. May run again:
    // the objects of an earlier run are released first.
    bool prepare();
    // The number of the vertex source's first non-blank line "#version N"; 0 = failure.
    int readVersion() const;
    static int readVersion(const std::string& source);
    bool compileVertex();
    bool compileFragment();
    bool compileGeometry();
    bool link();
    void listUniforms();
    void listAttributes();

    // Makes the program current unless it already is.
    void bind();

    GLuint getProgramId() const { return pref; }
    std::string getName() const { return name; }
    std::string getLog() const { return log; }
    bool isOk() const { return ok; }
    int getGlslVersion() const { return glslVersion; }
    std::string getAttributeSignature() const { return attributeSignature; }
    // Names together with their locations: what a mesh's vertex-array object depends on.
    const std::string& getAttributeKey() const { return attributeKey; }
    const std::vector<AttribInfo>& getAttributesByLocation() const { return attributesByLocation; }
    const std::map<std::string, AttribInfo, std::less<>>& getAttributes() const
    {
        return attributes;
    }

    // The uniform's location; a missing name is reported and gives -1.
    int getUniformLocation(std::string_view uniform);

    std::string toString() const;

    void clearTextureUnits();
    void unbindTextures();
    int getTextureUnitCount() const { return static_cast<int>(textureUnits.size()); }

    // Setters act on the current program: bind first.
    void setInt(std::string_view uniform, int v);
    void setFloat(std::string_view uniform, float v);
    void setFloat2(std::string_view uniform, float x, float y);
    void setFloat3(std::string_view uniform, float x, float y, float z);
    void setFloat4(std::string_view uniform, float x, float y, float z, float w);
    void setVec2(std::string_view uniform, glm::vec2 v);
    void setVec2fv(std::string_view uniform, const float* v);
    void setVec3(std::string_view uniform, glm::vec3 v);
    void setVec3fv(std::string_view uniform, const float* v);
    void setVec4(std::string_view uniform, glm::vec4 v);
    void setVec4fv(std::string_view uniform, const float* v);
    void setMatrix3(std::string_view uniform, const float* m);
    void setMatrix3(std::string_view uniform, const glm::mat3& m);
    void setMatrix4(std::string_view uniform, const float* m);
    void setMatrix4(std::string_view uniform, const glm::mat4& m);
    // Unit 0 is left active by setTexture0; the others end with unit 0 active again.
    void setTexture0(std::string_view uniform, Texture* texture);
    void setTexture1(std::string_view uniform, Texture* texture);
    void setTexture2(std::string_view uniform, Texture* texture);
    void setTexture3(std::string_view uniform, Texture* texture);
    void setTexture(int unit, std::string_view uniform, Texture* texture);
    void setCubeMap(int unit, std::string_view uniform, GLuint texture);

    // The program last made current by bind, and how many times bind switched.
    static GLuint currentProgram;
    static int programSwitches;

private:
    template <typename Apply>
    void setUniform(std::string_view uniform, Apply apply)
    {
        const int location = getUniformLocation(uniform);
        if (location != -1)
            apply(location);
    }
    bool compileStage(GLenum stage, GLuint& ref, const std::string& source, const char* heading,
                      const char* suffix, bool geometry);
    // Activates the unit, binds the texture there and points the sampler at it;
    // the unit stays active. False when the uniform is missing.
    bool bindTextureUnit(int unit, std::string_view uniform, Texture* texture);
    void deleteProgram();
    void release();

    std::string name;
    int glslVersion = 0;
    std::string vertexSource;
    std::string fragmentSource;
    std::string geometrySource;
    GLuint vref = 0;
    GLuint fref = 0;
    GLuint gref = 0;
    GLuint pref = 0;
    bool ok = true;
    std::string log;
    std::vector<Texture*> textureUnits;
    std::map<std::string, UniformInfo, std::less<>> uniforms;
    std::map<std::string, AttribInfo, std::less<>> attributes;
    std::vector<AttribInfo> attributesByLocation;
    std::string attributeSignature;
    std::string attributeKey;
};
