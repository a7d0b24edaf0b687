#include "engine/render/Shader.h"

#include "engine/render/Engine.h"
#include "engine/render/Texture.h"
#include "util/Assert.h"
#include "util/Log.h"
#include "util/StringTokenizer.h"
#include "util/StringUtil.h"

#include <glm/gtc/type_ptr.hpp>

#include <algorithm>

GLuint Shader::currentProgram = 0;
int Shader::programSwitches = 0;

Shader::Shader(const std::string& n) : name(n)
{
    GLint units = 0;
    glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS, &units);
    textureUnits.resize(static_cast<size_t>(std::max(units, 0)));
    clearTextureUnits();
}

Shader::~Shader()
{
    release();
}

// A program deleted while it is current stays in use (and keeps its name) until
// bind makes another one current, so currentProgram stays true to GL.
void Shader::deleteProgram()
{
    if (pref == 0)
        return;
    glDeleteProgram(pref);
    pref = 0;
}

// Detaches and deletes the stages, then deletes the program.
void Shader::release()
{
    for (GLuint* ref : {&vref, &fref, &gref}) {
        if (*ref == 0)
            continue;
        if (pref != 0)
            glDetachShader(pref, *ref);
        glDeleteShader(*ref);
        *ref = 0;
    }
    deleteProgram();
}

bool Shader::prepare()
{
    release();
    glslVersion = readVersion();
    if (glslVersion == 0) {
        log = "Failed to read GLSL shader version\n";
        log += "The first line in the shader must contain a lower case #version definiton\n";
        log += "shader : " + name + "\n";
        vlm::logLine(log);
        ok = false;
        return false;
    }
    if (!compileVertex() || !compileFragment())
        return false;
    if (hasGeometrySource() && !compileGeometry())
        return false;
    if (!link())
        return false;
    listUniforms();
    listAttributes();
    return true;
}

int Shader::readVersion() const
{
    return readVersion(vertexSource);
}

int Shader::readVersion(const std::string& source)
{
    StringTokenizer lines(source, "\n");
    if (!lines.hasMoreTokens())
        return 0;
    StringTokenizer words(lines.nextToken(), " ");
    if (words.countTokens() < 2)
        return 0;
    if (words.nextToken() != "#version")
        return 0;
    return StringUtil::toInt(words.nextToken());
}

namespace {

using ParameterQuery = void (*)(GLuint, GLenum, GLint*);
using LogQuery = void (*)(GLuint, GLsizei, GLsizei*, GLchar*);

// The info log of a shader or program object.
std::string infoLog(GLuint object, ParameterQuery parameter, LogQuery read)
{
    GLint length = 0;
    parameter(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0)
        return std::string();
    std::string info(static_cast<size_t>(length), '\0');
    GLsizei written = 0;
    read(object, length, &written, info.data());
    info.resize(static_cast<size_t>(std::max(written, 0)));
    return info;
}

}

bool Shader::compileStage(GLenum stage, GLuint& ref, const std::string& source,
                          const char* heading, const char* suffix, bool geometry)
{
    if (ref != 0)
        glDeleteShader(ref);
    ref = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(ref, 1, &text, nullptr);
    glCompileShader(ref);
    GLint status = 0;
    glGetShaderiv(ref, GL_COMPILE_STATUS, &status);
    if (status != 0)
        return true;

    const std::string info = infoLog(ref, glGetShaderiv, glGetShaderInfoLog);
    log += heading;
    log += "\n";
    log += "Shader: " + name + suffix + "\n";
    if (geometry)
        log += "Message : ";
    log += info;
    vlm::logLine(log);
    ok = false;
    return false;
}

bool Shader::compileVertex()
{
    return compileStage(GL_VERTEX_SHADER, vref, vertexSource, "Error while compiling vertex shader",
                        ".vert", false);
}

bool Shader::compileFragment()
{
    return compileStage(GL_FRAGMENT_SHADER, fref, fragmentSource,
                        "Error while compiling fragment shader", ".frag", false);
}

bool Shader::compileGeometry()
{
    return compileStage(GL_GEOMETRY_SHADER, gref, geometrySource,
                        "Error while compiling geometry shader", ".geo", true);
}

bool Shader::link()
{
    deleteProgram();
    pref = glCreateProgram();
    for (GLuint ref : {vref, fref, gref})
        if (ref != 0)
            glAttachShader(pref, ref);
    glLinkProgram(pref);

    GLint status = 0;
    glGetProgramiv(pref, GL_LINK_STATUS, &status);
    if (status != 0)
        return true;

    GLint length = 0;
    glGetProgramiv(pref, GL_INFO_LOG_LENGTH, &length);
    if (length > 0) {
        const std::string info = infoLog(pref, glGetProgramiv, glGetProgramInfoLog);
        ok = false;
        log = "Error while linking shader pair\n";
        log += "Shader: " + name + "\n";
        log += info;
        vlm::logLine(log);
        return false;
    }
    log += "Unknown error while linking shader pair : " + name;
    vlm::logLine(log);
    return false;
}

namespace {

using ActiveQuery = void (*)(GLuint, GLuint, GLsizei, GLsizei*, GLint*, GLenum*, GLchar*);
using LocationQuery = GLint (*)(GLuint, const GLchar*);

// Every active uniform or attribute, named in full (GL's longest name sizes the buffer).
template <typename Info>
std::vector<Info> listActive(GLuint program, GLenum countQuery, GLenum maxLengthQuery,
                             ActiveQuery query, LocationQuery locate)
{
    GLint count = 0, maxLength = 0;
    glGetProgramiv(program, countQuery, &count);
    glGetProgramiv(program, maxLengthQuery, &maxLength);
    std::vector<char> buffer(static_cast<size_t>(std::max(maxLength, 1)) + 1, '\0');
    std::vector<Info> found;
    for (GLint i = 0; i < count; ++i) {
        Info info;
        GLsizei length = 0;
        query(program, static_cast<GLuint>(i), static_cast<GLsizei>(buffer.size()), &length,
              &info.size, &info.type, buffer.data());
        info.name.assign(buffer.data(), static_cast<size_t>(length));
        info.length = length;
        info.location = locate(program, info.name.c_str());
        found.push_back(info);
    }
    return found;
}

}

void Shader::listUniforms()
{
    uniforms.clear();
    vlm::logLine("Shader ", name);
    for (const UniformInfo& info : listActive<UniformInfo>(pref, GL_ACTIVE_UNIFORMS,
                                                           GL_ACTIVE_UNIFORM_MAX_LENGTH,
                                                           glGetActiveUniform, glGetUniformLocation)) {
        vlm::logLine("-> Uniform : ", info.name);
        uniforms[info.name] = info;
    }
}

void Shader::listAttributes()
{
    attributes.clear();
    attributesByLocation.clear();
    attributeSignature.clear();
    attributeKey.clear();
    for (const AttribInfo& info : listActive<AttribInfo>(pref, GL_ACTIVE_ATTRIBUTES,
                                                         GL_ACTIVE_ATTRIBUTE_MAX_LENGTH,
                                                         glGetActiveAttrib, glGetAttribLocation)) {
        // Built-in inputs (gl_VertexID, gl_InstanceID) have no location and take no array.
        if (info.name != "gl_InstanceID" && info.location >= 0)
            attributes[info.name] = info;
    }
    for (const auto& entry : attributes)
        attributesByLocation.push_back(entry.second);
    std::stable_sort(attributesByLocation.begin(), attributesByLocation.end(),
                     [](const AttribInfo& a, const AttribInfo& b) { return a.location < b.location; });
    for (const AttribInfo& a : attributesByLocation) {
        attributeSignature += a.name;
        attributeKey += StringUtil::toString(a.location) + ":" + a.name + ";";
    }
}

void Shader::bind()
{
    if (pref == currentProgram)
        return;
    glUseProgram(pref);
    currentProgram = pref;
    ++programSwitches;
}

int Shader::getUniformLocation(std::string_view uniform)
{
    auto found = uniforms.find(uniform);
    if (found != uniforms.end())
        return found->second.location;
    VLMPulsvek::glError = true;
    vlm::logLine("ERROR: Shader ", name, " : Uniform variable '", uniform, "' not found!");
    return -1;
}

std::string Shader::toString() const
{
    return "Shader(vshader size = " + StringUtil::toString(static_cast<int>(vertexSource.size())) +
           ", fragshader size = " + StringUtil::toString(static_cast<int>(fragmentSource.size())) +
           ", pref=" + StringUtil::toString(pref) + ", vref=" + StringUtil::toString(vref) +
           ", fref=" + StringUtil::toString(fref) + ")";
}

void Shader::clearTextureUnits()
{
    std::fill(textureUnits.begin(), textureUnits.end(), nullptr);
}

void Shader::unbindTextures()
{
    for (size_t i = 0; i < textureUnits.size(); ++i) {
        if (textureUnits[i] == nullptr)
            continue;
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(i));
        textureUnits[i]->unbind();
    }
    glActiveTexture(GL_TEXTURE0);
}

void Shader::setInt(std::string_view uniform, int v)
{
    setUniform(uniform, [&](int l) { glUniform1i(l, v); });
}

void Shader::setFloat(std::string_view uniform, float v)
{
    setUniform(uniform, [&](int l) { glUniform1f(l, v); });
}

void Shader::setFloat2(std::string_view uniform, float x, float y)
{
    setUniform(uniform, [&](int l) { glUniform2f(l, x, y); });
}

void Shader::setFloat3(std::string_view uniform, float x, float y, float z)
{
    setUniform(uniform, [&](int l) { glUniform3f(l, x, y, z); });
}

void Shader::setFloat4(std::string_view uniform, float x, float y, float z, float w)
{
    setUniform(uniform, [&](int l) { glUniform4f(l, x, y, z, w); });
}

void Shader::setVec2(std::string_view uniform, glm::vec2 v)
{
    setVec2fv(uniform, glm::value_ptr(v));
}

void Shader::setVec2fv(std::string_view uniform, const float* v)
{
    setUniform(uniform, [&](int l) { glUniform2fv(l, 1, v); });
}

void Shader::setVec3(std::string_view uniform, glm::vec3 v)
{
    setVec3fv(uniform, glm::value_ptr(v));
}

void Shader::setVec3fv(std::string_view uniform, const float* v)
{
    setUniform(uniform, [&](int l) { glUniform3fv(l, 1, v); });
}

void Shader::setVec4(std::string_view uniform, glm::vec4 v)
{
    setVec4fv(uniform, glm::value_ptr(v));
}

void Shader::setVec4fv(std::string_view uniform, const float* v)
{
    setUniform(uniform, [&](int l) { glUniform4fv(l, 1, v); });
}

void Shader::setMatrix3(std::string_view uniform, const float* m)
{
    setUniform(uniform, [&](int l) { glUniformMatrix3fv(l, 1, GL_FALSE, m); });
}

void Shader::setMatrix3(std::string_view uniform, const glm::mat3& m)
{
    setMatrix3(uniform, glm::value_ptr(m));
}

void Shader::setMatrix4(std::string_view uniform, const float* m)
{
    setUniform(uniform, [&](int l) { glUniformMatrix4fv(l, 1, GL_FALSE, m); });
}

void Shader::setMatrix4(std::string_view uniform, const glm::mat4& m)
{
    setMatrix4(uniform, glm::value_ptr(m));
}

void Shader::setTexture0(std::string_view uniform, Texture* texture)
{
    bindTextureUnit(0, uniform, texture);
}

void Shader::setTexture1(std::string_view uniform, Texture* texture)
{
    setTexture(1, uniform, texture);
}

void Shader::setTexture2(std::string_view uniform, Texture* texture)
{
    setTexture(2, uniform, texture);
}

void Shader::setTexture3(std::string_view uniform, Texture* texture)
{
    setTexture(3, uniform, texture);
}

bool Shader::bindTextureUnit(int unit, std::string_view uniform, Texture* texture)
{
    VLM_ASSERT(unit >= 0 && unit < static_cast<int>(textureUnits.size()));
    VLM_ASSERT(texture != nullptr);
    const int location = getUniformLocation(uniform);
    if (location == -1)
        return false;
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    texture->bind();
    glUniform1i(location, unit);
    textureUnits[static_cast<size_t>(unit)] = texture;
    return true;
}

void Shader::setTexture(int unit, std::string_view uniform, Texture* texture)
{
    if (bindTextureUnit(unit, uniform, texture))
        glActiveTexture(GL_TEXTURE0);
}

void Shader::setCubeMap(int unit, std::string_view uniform, GLuint texture)
{
    VLM_ASSERT(unit >= 0 && unit < static_cast<int>(textureUnits.size()));
    const int location = getUniformLocation(uniform);
    if (location == -1)
        return;
    glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glBindTexture(GL_TEXTURE_CUBE_MAP, texture);
    glUniform1i(location, unit);
    glActiveTexture(GL_TEXTURE0);
}
