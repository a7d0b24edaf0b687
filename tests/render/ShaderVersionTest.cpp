#include "engine/render/Shader.h"
#include "engine/render/VBO.h"

#include <gtest/gtest.h>

TEST(ShaderVersion, FirstNonBlankLineOfTheVertexSource)
{
    struct Case {
        const char* source;
        int version;
    } cases[] = {
        {"#version 150\nvoid main(){}", 150},
        {"#version 150 core\n", 150},
        {"\n\n#version 330\n", 330},
        {"#version 150\r\nvoid main(){}", 150},
        {"#version  150", 150},          // runs of spaces are one delimiter
        {"#version 4x", 4},              // the leading number counts
        {"#VERSION 150\n", 0},
        {"#version\n150\n", 0},          // bare
        {"#version\t150\n", 0},          // a tab is no delimiter
        {"// comment\n#version 150\n", 0},
        {" #version 150", 150},          // a leading space is a delimiter too
        {"#version150", 0},
        {"#version abc", 0},
        {"", 0},
        {"   \n  \n", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Shader::readVersion(c.source), c.version) << '"' << c.source << '"';
}

TEST(GLTypeSize, BytesOfEachType)
{
    struct Case {
        GLenum type;
        int bytes;
    } cases[] = {
        {GL_BYTE, 1}, {GL_UNSIGNED_BYTE, 1}, {GL_SHORT, 0}, {GL_UNSIGNED_SHORT, 0},
        {GL_INT, 4}, {GL_UNSIGNED_INT, 4}, {GL_FLOAT, 4}, {GL_BOOL, 4},
        {GL_SAMPLER_1D, 4}, {GL_SAMPLER_2D_RECT_SHADOW, 4}, {GL_SAMPLER_CUBE_SHADOW, 4},
        {GL_INT_SAMPLER_2D, 4}, {GL_UNSIGNED_INT_SAMPLER_BUFFER, 4},
        {GL_SAMPLER_2D_MULTISAMPLE, 4}, {GL_UNSIGNED_INT_SAMPLER_2D_MULTISAMPLE_ARRAY, 4},
        {GL_DOUBLE, 8}, {GL_FLOAT_VEC2, 8}, {GL_BOOL_VEC2, 8}, {GL_UNSIGNED_INT_VEC2, 8},
        {GL_FLOAT_VEC3, 12}, {GL_INT_VEC3, 12}, {GL_FLOAT_VEC4, 16}, {GL_FLOAT_MAT2, 16},
        {GL_DOUBLE_VEC2, 16}, {GL_FLOAT_MAT2x3, 24}, {GL_DOUBLE_VEC3, 24},
        {GL_FLOAT_MAT4x2, 32}, {GL_DOUBLE_MAT2, 32}, {GL_DOUBLE_VEC4, 32}, {GL_FLOAT_MAT3, 36},
        {GL_FLOAT_MAT3x4, 48}, {GL_DOUBLE_MAT3x2, 48}, {GL_FLOAT_MAT4, 64},
        {GL_DOUBLE_MAT4x2, 64}, {GL_DOUBLE_MAT3, 72}, {GL_DOUBLE_MAT4x3, 96},
        {GL_DOUBLE_MAT4, 128}, {GL_RGBA, 0}, {0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(glTypeSize(c.type), c.bytes) << std::hex << c.type;
}
