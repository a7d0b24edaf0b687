// The floor of a show frame: the passes of one frame of the show drawn with bare
// GL and nothing else, timed. tools/benchmark.sh measures the show against it.
//
//   floor W H [mask] [frames] [split]
//
// mask selects the passes (default 31, all): 1 the sky box into a 1024x576
// target and its blit, 2 the terrain mesh, 4 the same mesh into the 256x128
// mirror, 8 the post chain, 16 the overlay quads; the swap always. After 20
// warm-up frames it times `frames` frames (default 200), each bracketed by
// glFinish, and prints one line:
//
//   1280x720 m31 med 75.27 p90 79.01 1st 464 tex 191 sh 15 jit 490 vbo 22 vis 91% e0
//
// med/p90 frame time in ms; 1st the first frame; tex the upload of the pictures
// with their mipmaps and of the tile array; sh compile and link of the programs;
// jit their first draws; vbo the terrain upload; vis the share of the frame the
// terrain covers; e the number of GL errors. With `split` each pass ends with a
// glFinish and a second line gives each pass's median/p90 (p0 sky, p1 terrain,
// p2 mirror, p3 post, p4 overlays, p5 swap).

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const int WARM_UP_FRAMES = 20;
const int PASSES = 6;
const char* const USAGE = "usage: floor W H [mask 0-31] [frames] [split]\n";

// The terrain: rows along the drive, columns across, one box per cell.
const int ROWS = 254;
const int COLUMNS = 128;
const int BOX_VERTICES = 36;
const int TERRAIN_VERTICES = ROWS * COLUMNS * BOX_VERTICES;
const int SKY_W = 1024, SKY_H = 576;
const int MIRROR_W = 256, MIRROR_H = 128;
const int PICTURE_SIZE = 512;
const int PICTURES = 28;
const int TILE_LAYERS = 10;
const int PROGRAMS = 20;

enum Pass { SKY, TERRAIN, MIRROR, POST, OVERLAYS, SWAP };

struct Args {
    int width = 0, height = 0;
    int mask = 31;
    int frames = 200;
    bool split = false;
};

bool number(const char* text, long low, long high, int& out)
{
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || v < low || v > high)
        return false;
    out = static_cast<int>(v);
    return true;
}

bool parseArgs(int argc, char** argv, Args& a)
{
    if (argc < 3 || argc > 6)
        return false;
    if (!number(argv[1], 16, 8192, a.width) || !number(argv[2], 16, 8192, a.height))
        return false;
    if (argc > 3 && !number(argv[3], 0, 31, a.mask))
        return false;
    if (argc > 4 && !number(argv[4], 1, 1000000, a.frames))
        return false;
    if (argc > 5) {
        if (std::strcmp(argv[5], "split") != 0)
            return false;
        a.split = true;
    }
    return true;
}

double nowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// ---- Shaders ---------------------------------------------------------------

const char* const TERRAIN_VS = R"(
in vec3 a_pos;
in vec3 a_normal;
in ivec2 a_cell;
uniform mat4 u_viewProj;
uniform vec3 u_eye;
uniform sampler2D u_height;
uniform sampler2D u_cells;
out vec3 v_world;
out vec3 v_normal;
out vec3 v_tint;
out vec2 v_uv;
out float v_layer;
out float v_gloss;
out float v_fog;
out float v_shade;
float heightAt(ivec2 c)
{
    c = clamp(c, ivec2(0), textureSize(u_height, 0) - 1);
    vec4 h = texelFetch(u_height, c, 0);
    return max(h.r, h.g);
}
void main()
{
    ivec2 cell = a_cell;
    vec4 h = texelFetch(u_height, cell, 0);
    vec4 data = texelFetch(u_cells, cell, 0);
    float top = max(h.r, h.g);
    vec3 p = vec3(a_pos.x, a_pos.y + top - 1.0, a_pos.z);
    // Sides in the shade of higher neighbours.
    float around = heightAt(cell + ivec2(1, 0)) + heightAt(cell - ivec2(1, 0))
                 + heightAt(cell + ivec2(0, 1)) + heightAt(cell - ivec2(0, 1))
                 + heightAt(cell + ivec2(1, 1));
    v_shade = clamp(1.0 - (around * 0.2 - p.y) * 0.08, 0.35, 1.0);
    v_world = p;
    v_normal = a_normal;
    v_tint = data.rgb * 0.6 + 0.4;
    v_layer = floor(data.a * 255.0 + 0.5);
    v_gloss = h.g > h.r ? 0.7 : h.b;
    v_uv = abs(a_normal.y) > 0.5 ? p.xz : (abs(a_normal.x) > 0.5 ? p.zy : p.xy);
    float d = length(p - u_eye);
    v_fog = clamp((d - 40.0) / 200.0, 0.0, 1.0);
    gl_Position = u_viewProj * vec4(p, 1.0);
}
)";

const char* const TERRAIN_FS = R"(
in vec3 v_world;
in vec3 v_normal;
in vec3 v_tint;
in vec2 v_uv;
in float v_layer;
in float v_gloss;
in float v_fog;
in float v_shade;
uniform sampler2DArray u_tiles;
uniform samplerCube u_ambient;
uniform samplerCube u_reflection;
uniform vec3 u_eye;
uniform vec3 u_sun;
uniform vec3 u_fog;
out vec4 o_colour;
void main()
{
    vec3 n = normalize(v_normal);
    vec3 albedo = texture(u_tiles, vec3(v_uv, v_layer)).rgb * v_tint;
    vec3 ambient = texture(u_ambient, n).rgb;
    vec3 view = normalize(v_world - u_eye);
    vec3 sky = texture(u_reflection, reflect(view, n)).rgb;
    float sun = max(dot(n, u_sun), 0.0);
    vec3 c = albedo * (ambient * 0.6 + sun * 0.8) * v_shade;
    float fresnel = v_gloss * (0.3 + 0.7 * pow(1.0 - max(-dot(view, n), 0.0), 3.0));
    c = mix(c, sky, fresnel);
    o_colour = vec4(mix(c, u_fog, v_fog), 1.0);
}
)";

const char* const SKY_VS = R"(
in vec3 a_pos;
uniform mat4 u_viewProj;
out vec3 v_dir;
void main()
{
    v_dir = a_pos;
    gl_Position = (u_viewProj * vec4(a_pos, 1.0)).xyww;
}
)";

const char* const SKY_FS = R"(
in vec3 v_dir;
uniform samplerCube u_sky;
uniform vec3 u_fog;
out vec4 o_colour;
void main()
{
    vec3 d = normalize(v_dir);
    vec3 c = texture(u_sky, d).rgb;
    o_colour = vec4(mix(u_fog, c, smoothstep(-0.05, 0.25, d.y)), 1.0);
}
)";

// A full-screen triangle, or a quad in the rectangle u_rect (x, y, w, h in clip units).
const char* const QUAD_VS = R"(
in vec3 a_pos;
uniform vec4 u_rect;
out vec2 v_uv;
void main()
{
    v_uv = a_pos.xy;
    gl_Position = vec4(u_rect.xy + a_pos.xy * u_rect.zw, 0.0, 1.0);
}
)";

const char* const BRIGHT_FS = R"(
in vec2 v_uv;
uniform sampler2D u_frame;
uniform float u_threshold;
out vec4 o_colour;
void main()
{
    vec3 c = textureLod(u_frame, v_uv, 2.0).rgb;
    float l = dot(c, vec3(0.299, 0.587, 0.114));
    o_colour = vec4(c * smoothstep(u_threshold, u_threshold + 0.25, l), 1.0);
}
)";

const char* const BLUR_FS = R"(
in vec2 v_uv;
uniform sampler2D u_source;
uniform vec2 u_step;
out vec4 o_colour;
void main()
{
    const float w[5] = float[](0.227027, 0.194595, 0.121622, 0.054054, 0.016216);
    vec3 c = texture(u_source, v_uv).rgb * w[0];
    for (int i = 1; i < 5; ++i) {
        c += texture(u_source, v_uv + u_step * float(i)).rgb * w[i];
        c += texture(u_source, v_uv - u_step * float(i)).rgb * w[i];
    }
    o_colour = vec4(c, 1.0);
}
)";

const char* const GRADE_FS = R"(
in vec2 v_uv;
uniform sampler2D u_frame;
uniform sampler2D u_bloom;
uniform sampler2D u_dirt;
uniform sampler1D u_palette;
uniform float u_bloomGain;
out vec4 o_colour;
void main()
{
    vec3 c = texture(u_frame, v_uv).rgb;
    vec3 b = texture(u_bloom, v_uv).rgb;
    c += b * u_bloomGain * (0.6 + texture(u_dirt, v_uv).rgb);
    vec2 q = v_uv - 0.5;
    c *= 1.0 - dot(q, q) * 0.8;
    c = clamp(c, 0.0, 1.0);
    o_colour = vec4(texture(u_palette, c.r).r, texture(u_palette, c.g).g, texture(u_palette, c.b).b, 1.0);
}
)";

const char* const OVERLAY_FS = R"(
in vec2 v_uv;
uniform sampler2D u_picture;
uniform vec4 u_tint;
out vec4 o_colour;
void main()
{
    vec4 c = texture(u_picture, v_uv) * u_tint;
    o_colour = c;
}
)";

const char* const FLAT_FS = R"(
in vec2 v_uv;
uniform vec4 u_tint;
out vec4 o_colour;
void main()
{
    o_colour = u_tint * (0.9 + 0.1 * v_uv.y);
}
)";

// The passes' programs and, up to the show's count, variants of the flat
// shader standing for its other effects.
struct ProgramSource {
    const char* vs;
    const char* fs;
};
const ProgramSource PROGRAM_SOURCES[] = {
    {TERRAIN_VS, TERRAIN_FS}, {SKY_VS, SKY_FS}, {QUAD_VS, BRIGHT_FS},
    {QUAD_VS, BLUR_FS}, {QUAD_VS, GRADE_FS}, {QUAD_VS, OVERLAY_FS}, {QUAD_VS, FLAT_FS},
};
enum ProgramId { P_TERRAIN, P_SKY, P_BRIGHT, P_BLUR, P_GRADE, P_OVERLAY, P_FLAT };

void fail(const std::string& what)
{
    throw std::runtime_error(what);
}

// Fails with the info log of a shader or program whose status is false.
template <class GetIv, class GetLog>
void check(GLuint object, GLenum status, GetIv getIv, GetLog getLog, const char* what)
{
    GLint ok = 0;
    getIv(object, status, &ok);
    if (!ok) {
        char log[2048] = "";
        getLog(object, sizeof log, nullptr, log);
        fail(std::string(what) + ": " + log);
    }
}

GLuint compile(GLenum type, const std::string& source)
{
    GLuint s = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(s, 1, &text, nullptr);
    glCompileShader(s);
    check(s, GL_COMPILE_STATUS, glGetShaderiv, glGetShaderInfoLog, "shader");
    return s;
}

GLuint link(const ProgramSource& source, int variant)
{
    std::string head = "#version 150\n#define VARIANT " + std::to_string(variant) + "\n";
    GLuint vs = compile(GL_VERTEX_SHADER, head + source.vs);
    // A variant differs in its output, so that each one is compiled for real.
    std::string fs = head + source.fs;
    if (variant > 0) {
        size_t at = fs.rfind('}');
        fs.insert(at, "    o_colour.rgb *= 1.0 - 0.01 * float(VARIANT);\n");
    }
    GLuint f = compile(GL_FRAGMENT_SHADER, fs);
    GLuint p = glCreateProgram();
    glAttachShader(p, vs);
    glAttachShader(p, f);
    glBindAttribLocation(p, 0, "a_pos");
    glBindAttribLocation(p, 1, "a_normal");
    glBindAttribLocation(p, 2, "a_cell");
    glBindFragDataLocation(p, 0, "o_colour");
    glLinkProgram(p);
    glDeleteShader(vs);
    glDeleteShader(f);
    check(p, GL_LINK_STATUS, glGetProgramiv, glGetProgramInfoLog, "link");
    return p;
}

GLint uniform(GLuint program, const char* name)
{
    return glGetUniformLocation(program, name);
}

// ---- Pictures --------------------------------------------------------------

// A picture of its own for every seed: bands, a checker and a gradient.
std::vector<uint8_t> picture(int seed)
{
    std::vector<uint8_t> p(PICTURE_SIZE * PICTURE_SIZE * 4);
    uint32_t r = 2166136261u ^ static_cast<uint32_t>(seed) * 16777619u;
    for (int y = 0; y < PICTURE_SIZE; ++y)
        for (int x = 0; x < PICTURE_SIZE; ++x) {
            r = r * 1664525u + 1013904223u;
            uint8_t* px = &p[(y * PICTURE_SIZE + x) * 4];
            int check = ((x >> (3 + seed % 3)) ^ (y >> (3 + seed % 4))) & 1;
            px[0] = static_cast<uint8_t>((x + seed * 37) ^ (r >> 28));
            px[1] = static_cast<uint8_t>((y * (1 + seed % 3)) ^ (check * 96));
            px[2] = static_cast<uint8_t>(((x + y) >> 1) + seed * 11 + (r >> 29));
            px[3] = static_cast<uint8_t>(160 + check * 95);
        }
    return p;
}

void mipmapped(GLenum target)
{
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glGenerateMipmap(target);
}

void plain(GLenum target, GLenum filter, GLenum wrap)
{
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, wrap);
}

struct Textures {
    // 18 of the pictures make the three cube maps: sky, ambient light, reflection.
    GLuint sky = 0, ambient = 0, reflection = 0;
    // The other ten: four for the overlays (the fifth shows the mirror), the lens
    // dirt, and five that stand for pictures the show loads but this frame does not draw.
    std::vector<GLuint> pictures;
    GLuint tiles = 0;
};

Textures uploadTextures(const std::vector<std::vector<uint8_t>>& pics)
{
    Textures t;
    GLuint* cubes[] = {&t.sky, &t.ambient, &t.reflection};
    size_t next = 0;
    for (GLuint* cube : cubes) {
        glGenTextures(1, cube);
        glBindTexture(GL_TEXTURE_CUBE_MAP, *cube);
        for (int face = 0; face < 6; ++face)
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, 0, GL_RGBA8, PICTURE_SIZE, PICTURE_SIZE, 0, GL_RGBA,
                         GL_UNSIGNED_BYTE, pics[next++].data());
        mipmapped(GL_TEXTURE_CUBE_MAP);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    // The sky box is drawn at about its pictures' size; the ambient light is looked up by the normal.
    for (GLuint cube : {t.sky, t.ambient}) {
        glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    while (next < static_cast<size_t>(PICTURES)) {
        GLuint tex = 0;
        glGenTextures(1, &tex);
        glBindTexture(GL_TEXTURE_2D, tex);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, PICTURE_SIZE, PICTURE_SIZE, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     pics[next++].data());
        mipmapped(GL_TEXTURE_2D);
        t.pictures.push_back(tex);
    }
    glGenTextures(1, &t.tiles);
    glBindTexture(GL_TEXTURE_2D_ARRAY, t.tiles);
    glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GL_RGBA8, PICTURE_SIZE, PICTURE_SIZE, TILE_LAYERS, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
    for (int layer = 0; layer < TILE_LAYERS; ++layer)
        glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, 0, layer, PICTURE_SIZE, PICTURE_SIZE, 1, GL_RGBA,
                        GL_UNSIGNED_BYTE, pics[next++].data());
    mipmapped(GL_TEXTURE_2D_ARRAY);
    return t;
}

// ---- Terrain ---------------------------------------------------------------

struct TerrainVertex {
    float pos[3];
    float normal[3];
    int32_t cell[2];
};

// The twelve triangles of a unit box, counter-clockwise from outside.
std::array<glm::ivec3, BOX_VERTICES> boxCorners(std::array<glm::ivec3, BOX_VERTICES>& normals)
{
    std::array<glm::ivec3, BOX_VERTICES> corners{};
    int n = 0;
    for (int axis = 0; axis < 3; ++axis)
        for (int side = 0; side < 2; ++side) {
            glm::ivec3 normal(0);
            normal[axis] = side ? 1 : -1;
            int u = (axis + 1) % 3, v = (axis + 2) % 3;
            glm::ivec3 quad[4];
            const int uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            for (int i = 0; i < 4; ++i) {
                quad[i][axis] = side;
                quad[i][u] = uv[i][0];
                quad[i][v] = uv[i][1];
            }
            glm::vec3 cross = glm::cross(glm::vec3(quad[1] - quad[0]), glm::vec3(quad[2] - quad[0]));
            if (glm::dot(cross, glm::vec3(normal)) < 0)
                std::swap(quad[1], quad[3]);
            const int order[6] = {0, 1, 2, 0, 2, 3};
            for (int i : order) {
                normals[n] = normal;
                corners[n++] = quad[i];
            }
        }
    return corners;
}

std::vector<TerrainVertex> terrainMesh()
{
    std::array<glm::ivec3, BOX_VERTICES> normals;
    std::array<glm::ivec3, BOX_VERTICES> corners = boxCorners(normals);
    std::vector<TerrainVertex> mesh;
    mesh.reserve(TERRAIN_VERTICES);
    for (int row = 0; row < ROWS; ++row)
        for (int column = 0; column < COLUMNS; ++column)
            for (int i = 0; i < BOX_VERTICES; ++i) {
                TerrainVertex v{};
                v.pos[0] = static_cast<float>(column + corners[i].x);
                v.pos[1] = static_cast<float>(corners[i].y);
                v.pos[2] = static_cast<float>(row + corners[i].z);
                for (int k = 0; k < 3; ++k)
                    v.normal[k] = static_cast<float>(normals[i][k]);
                v.cell[0] = column;
                v.cell[1] = row;
                mesh.push_back(v);
            }
    return mesh;
}

// Heights (r ground, g water, b gloss) and cells (rgb tint, a tile layer), one texel a box.
void terrainData(std::vector<float>& height, std::vector<uint8_t>& cells)
{
    height.assign(COLUMNS * ROWS * 4, 0.0f);
    cells.assign(COLUMNS * ROWS * 4, 0);
    for (int row = 0; row < ROWS; ++row)
        for (int column = 0; column < COLUMNS; ++column) {
            float x = static_cast<float>(column), z = static_cast<float>(row);
            float road = std::abs(x - 64.0f - 12.0f * std::sin(z * 0.04f));
            float hill = 4.0f + 3.0f * std::sin(x * 0.11f) * std::cos(z * 0.07f) + 2.0f * std::sin(x * 0.031f + z * 0.05f)
                         + 0.8f * std::sin(x * 0.7f + z * 1.3f);
            hill = road < 4.0f ? 2.5f : hill + std::min(road * 0.15f, 4.0f);
            float* h = &height[(row * COLUMNS + column) * 4];
            h[0] = std::max(std::floor(hill), 1.0f);
            h[1] = 3.0f;
            h[2] = road < 4.0f ? 0.2f : 0.05f;
            uint8_t* c = &cells[(row * COLUMNS + column) * 4];
            c[0] = static_cast<uint8_t>(128 + 100 * std::sin(z * 0.1f));
            c[1] = static_cast<uint8_t>(160 + 60 * std::cos(x * 0.13f));
            c[2] = static_cast<uint8_t>(140);
            c[3] = static_cast<uint8_t>(road < 4.0f ? 0 : 1 + (column * 7 + row * 3) % (TILE_LAYERS - 1));
        }
}

// ---- Targets ---------------------------------------------------------------

struct Target {
    GLuint fbo = 0, colour = 0, depth = 0;
    int w = 0, h = 0;
};

Target target(int w, int h, bool depth, bool mipmaps)
{
    Target t;
    t.w = w;
    t.h = h;
    glGenTextures(1, &t.colour);
    glBindTexture(GL_TEXTURE_2D, t.colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    if (mipmaps) {
        glGenerateMipmap(GL_TEXTURE_2D);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glGenFramebuffers(1, &t.fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, t.fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t.colour, 0);
    if (depth) {
        glGenRenderbuffers(1, &t.depth);
        glBindRenderbuffer(GL_RENDERBUFFER, t.depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, w, h);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, t.depth);
    }
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        fail("incomplete framebuffer");
    return t;
}

void bindTarget(const Target& t)
{
    glBindFramebuffer(GL_FRAMEBUFFER, t.fbo);
    glViewport(0, 0, t.w, t.h);
}

// ---- The frame -------------------------------------------------------------

struct Floor {
    Args args;
    GLFWwindow* window = nullptr;
    Textures tex;
    GLuint programs[PROGRAMS] = {};
    GLuint terrainVao = 0, terrainVbo = 0, heightTex = 0, cellTex = 0;
    GLuint skyVao = 0, skyVbo = 0, quadVao = 0, quadVbo = 0;
    GLuint palette = 0;
    Target frame, sky, mirror, bloomA, bloomB, scratch;
    glm::mat4 view, rearView, proj, mirrorProj;
    glm::vec3 eye{64.0f, 16.0f, 60.0f};
    const glm::vec3 fog{0.62f, 0.66f, 0.72f};
    const glm::vec3 sun = glm::normalize(glm::vec3(0.4f, 0.8f, 0.3f));

    void setUp(double& texMs, double& shMs, double& jitMs, double& vboMs);
    void drawTerrain(const glm::mat4& viewProj);
    void pass(Pass p);
    double frameMs(double* passMs);
    int visibleShare();
};

void Floor::setUp(double& texMs, double& shMs, double& jitMs, double& vboMs)
{
    std::vector<std::vector<uint8_t>> pics;
    for (int i = 0; i < PICTURES + TILE_LAYERS; ++i)
        pics.push_back(picture(i));
    std::vector<float> height;
    std::vector<uint8_t> cells;
    terrainData(height, cells);
    std::vector<TerrainVertex> mesh = terrainMesh();
    glFinish();
    double t0 = nowMs();
    tex = uploadTextures(pics);
    glGenTextures(1, &palette);
    glBindTexture(GL_TEXTURE_1D, palette);
    std::vector<uint8_t> ramp(256 * 4);
    for (int i = 0; i < 256; ++i) {
        float x = i / 255.0f;
        ramp[i * 4 + 0] = static_cast<uint8_t>(255 * std::pow(x, 0.9f));
        ramp[i * 4 + 1] = static_cast<uint8_t>(255 * x);
        ramp[i * 4 + 2] = static_cast<uint8_t>(255 * std::pow(x, 1.15f));
        ramp[i * 4 + 3] = 255;
    }
    glTexImage1D(GL_TEXTURE_1D, 0, GL_RGBA8, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, ramp.data());
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glFinish();
    texMs = nowMs() - t0;

    const int w = args.width, h = args.height;
    frame = target(w, h, true, true);
    sky = target(SKY_W, SKY_H, false, false);
    mirror = target(MIRROR_W, MIRROR_H, true, false);
    bloomA = target(std::max(w / 4, 1), std::max(h / 4, 1), false, false);
    bloomB = target(bloomA.w, bloomA.h, false, false);
    scratch = target(16, 16, true, false);

    // The shapes: a unit cube around the eye for the sky, a unit quad for the rest.
    std::array<glm::ivec3, BOX_VERTICES> normals;
    std::array<glm::ivec3, BOX_VERTICES> corners = boxCorners(normals);
    std::vector<float> cube;
    for (int i = BOX_VERTICES - 1; i >= 0; --i)  // seen from inside
        for (int k = 0; k < 3; ++k)
            cube.push_back(corners[i][k] * 2.0f - 1.0f);
    glGenVertexArrays(1, &skyVao);
    glBindVertexArray(skyVao);
    glGenBuffers(1, &skyVbo);
    glBindBuffer(GL_ARRAY_BUFFER, skyVbo);
    glBufferData(GL_ARRAY_BUFFER, cube.size() * sizeof(float), cube.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    const float quad[] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0};
    glGenVertexArrays(1, &quadVao);
    glBindVertexArray(quadVao);
    glGenBuffers(1, &quadVbo);
    glBindBuffer(GL_ARRAY_BUFFER, quadVbo);
    glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);

    t0 = nowMs();
    const int own = static_cast<int>(sizeof PROGRAM_SOURCES / sizeof PROGRAM_SOURCES[0]);
    for (int i = 0; i < PROGRAMS; ++i) {
        const int base = i < own ? i : P_FLAT;
        programs[i] = link(PROGRAM_SOURCES[base], i < own ? 0 : i);
    }
    glFinish();
    shMs = nowMs() - t0;

    // Samplers: fixed units for every program.
    const struct {
        const char* name;
        int unit;
    } samplers[] = {{"u_height", 0}, {"u_cells", 1}, {"u_tiles", 2}, {"u_ambient", 3}, {"u_reflection", 4},
                    {"u_sky", 5},    {"u_frame", 0}, {"u_source", 0}, {"u_bloom", 1}, {"u_dirt", 2},
                    {"u_palette", 3}, {"u_picture", 0}};
    for (GLuint p : programs) {
        glUseProgram(p);
        for (const auto& s : samplers)
            glUniform1i(uniform(p, s.name), s.unit);
    }

    // The programs' first draws, one small quad each.
    t0 = nowMs();
    bindTarget(scratch);
    glBindVertexArray(quadVao);
    for (GLuint p : programs) {
        glUseProgram(p);
        glUniform4f(uniform(p, "u_rect"), -1, -1, 2, 2);
        glDrawArrays(GL_TRIANGLES, 0, 6);
    }
    glFinish();
    jitMs = nowMs() - t0;

    t0 = nowMs();
    glGenTextures(1, &heightTex);
    glBindTexture(GL_TEXTURE_2D, heightTex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA32F, COLUMNS, ROWS, 0, GL_RGBA, GL_FLOAT, height.data());
    plain(GL_TEXTURE_2D, GL_NEAREST, GL_CLAMP_TO_EDGE);
    glGenTextures(1, &cellTex);
    glBindTexture(GL_TEXTURE_2D, cellTex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, COLUMNS, ROWS, 0, GL_RGBA, GL_UNSIGNED_BYTE, cells.data());
    plain(GL_TEXTURE_2D, GL_NEAREST, GL_CLAMP_TO_EDGE);
    glGenVertexArrays(1, &terrainVao);
    glBindVertexArray(terrainVao);
    glGenBuffers(1, &terrainVbo);
    glBindBuffer(GL_ARRAY_BUFFER, terrainVbo);
    glBufferData(GL_ARRAY_BUFFER, mesh.size() * sizeof(TerrainVertex), mesh.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(TerrainVertex),
                          reinterpret_cast<void*>(offsetof(TerrainVertex, pos)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(TerrainVertex),
                          reinterpret_cast<void*>(offsetof(TerrainVertex, normal)));
    glEnableVertexAttribArray(2);
    glVertexAttribIPointer(2, 2, GL_INT, sizeof(TerrainVertex),
                           reinterpret_cast<void*>(offsetof(TerrainVertex, cell)));
    glFinish();
    vboMs = nowMs() - t0;

    // The view along the drive and the rear view from the same place.
    const float aspect = static_cast<float>(w) / static_cast<float>(h);
    proj = glm::perspective(glm::radians(60.0f), aspect, 0.5f, 400.0f);
    mirrorProj = glm::perspective(glm::radians(40.0f), float(MIRROR_W) / MIRROR_H, 0.5f, 400.0f);
    glm::vec3 ahead = glm::normalize(glm::vec3(0.0f, -1.1f, 1.0f));
    view = glm::lookAt(eye, eye + ahead, glm::vec3(0, 1, 0));
    glm::vec3 behind = glm::normalize(glm::vec3(0.0f, -0.6f, -1.0f));
    rearView = glm::lookAt(eye, eye + behind, glm::vec3(0, 1, 0));
}

void Floor::drawTerrain(const glm::mat4& viewProj)
{
    GLuint p = programs[P_TERRAIN];
    glUseProgram(p);
    glUniformMatrix4fv(uniform(p, "u_viewProj"), 1, GL_FALSE, glm::value_ptr(viewProj));
    glUniform3fv(uniform(p, "u_eye"), 1, glm::value_ptr(eye));
    glUniform3fv(uniform(p, "u_sun"), 1, glm::value_ptr(sun));
    glUniform3fv(uniform(p, "u_fog"), 1, glm::value_ptr(fog));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, heightTex);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, cellTex);
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D_ARRAY, tex.tiles);
    glActiveTexture(GL_TEXTURE3);
    glBindTexture(GL_TEXTURE_CUBE_MAP, tex.ambient);
    glActiveTexture(GL_TEXTURE4);
    glBindTexture(GL_TEXTURE_CUBE_MAP, tex.reflection);
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glBindVertexArray(terrainVao);
    glDrawArrays(GL_TRIANGLES, 0, TERRAIN_VERTICES);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
}

void quad(GLuint program, float x, float y, float w, float h)
{
    glUniform4f(uniform(program, "u_rect"), x, y, w, h);
    glDrawArrays(GL_TRIANGLES, 0, 6);
}

void Floor::pass(Pass p)
{
    const int w = args.width, h = args.height;
    switch (p) {
    case SKY: {
        bindTarget(sky);
        GLuint prog = programs[P_SKY];
        glUseProgram(prog);
        glm::mat4 rotation = glm::mat4(glm::mat3(view));
        glm::mat4 viewProj = proj * rotation;
        glUniformMatrix4fv(uniform(prog, "u_viewProj"), 1, GL_FALSE, glm::value_ptr(viewProj));
        glUniform3fv(uniform(prog, "u_fog"), 1, glm::value_ptr(fog));
        glActiveTexture(GL_TEXTURE5);
        glBindTexture(GL_TEXTURE_CUBE_MAP, tex.sky);
        glActiveTexture(GL_TEXTURE0);
        glBindVertexArray(skyVao);
        glDrawArrays(GL_TRIANGLES, 0, BOX_VERTICES);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, sky.fbo);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, frame.fbo);
        glBlitFramebuffer(0, 0, SKY_W, SKY_H, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_LINEAR);
        break;
    }
    case TERRAIN:
        bindTarget(frame);
        glClear((args.mask & 1) ? GL_DEPTH_BUFFER_BIT : GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawTerrain(proj * view);
        break;
    case MIRROR:
        bindTarget(mirror);
        glClearColor(fog.r, fog.g, fog.b, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawTerrain(mirrorProj * rearView);
        break;
    case POST: {
        glBindTexture(GL_TEXTURE_2D, frame.colour);
        glGenerateMipmap(GL_TEXTURE_2D);
        glBindVertexArray(quadVao);
        bindTarget(bloomA);
        GLuint prog = programs[P_BRIGHT];
        glUseProgram(prog);
        glUniform1f(uniform(prog, "u_threshold"), 0.55f);
        glBindTexture(GL_TEXTURE_2D, frame.colour);
        quad(prog, -1, -1, 2, 2);
        prog = programs[P_BLUR];
        glUseProgram(prog);
        bindTarget(bloomB);
        glUniform2f(uniform(prog, "u_step"), 1.5f / bloomA.w, 0.0f);
        glBindTexture(GL_TEXTURE_2D, bloomA.colour);
        quad(prog, -1, -1, 2, 2);
        bindTarget(bloomA);
        glUniform2f(uniform(prog, "u_step"), 0.0f, 1.5f / bloomA.h);
        glBindTexture(GL_TEXTURE_2D, bloomB.colour);
        quad(prog, -1, -1, 2, 2);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, w, h);
        prog = programs[P_GRADE];
        glUseProgram(prog);
        glUniform1f(uniform(prog, "u_bloomGain"), 0.8f);
        glBindTexture(GL_TEXTURE_2D, frame.colour);
        glActiveTexture(GL_TEXTURE1);
        glBindTexture(GL_TEXTURE_2D, bloomA.colour);
        glActiveTexture(GL_TEXTURE2);
        glBindTexture(GL_TEXTURE_2D, tex.pictures[4]);
        glActiveTexture(GL_TEXTURE3);
        glBindTexture(GL_TEXTURE_1D, palette);
        glActiveTexture(GL_TEXTURE0);
        quad(prog, -1, -1, 2, 2);
        break;
    }
    case OVERLAYS: {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, w, h);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBindVertexArray(quadVao);
        GLuint prog = programs[P_OVERLAY];
        glUseProgram(prog);
        // The rear-view mirror, the frame's border, the title, the clock and the progress bar.
        glUniform4f(uniform(prog, "u_tint"), 1, 1, 1, 1);
        glBindTexture(GL_TEXTURE_2D, mirror.colour);
        quad(prog, -0.3f, 0.62f, 0.6f, 0.3f);
        const float rects[4][4] = {{-1, -1, 2, 2}, {-0.9f, -0.9f, 0.8f, 0.4f}, {0.5f, 0.7f, 0.4f, 0.2f},
                                   {-1, -1, 2, 0.06f}};
        for (int i = 0; i < 4; ++i) {
            glUniform4f(uniform(prog, "u_tint"), 1, 1, 1, i == 0 ? 0.2f : 0.8f);
            glBindTexture(GL_TEXTURE_2D, tex.pictures[i]);
            quad(prog, rects[i][0], rects[i][1], rects[i][2], rects[i][3]);
        }
        glDisable(GL_BLEND);
        break;
    }
    case SWAP:
        glfwSwapBuffers(window);
        break;
    }
}

double Floor::frameMs(double* passMs)
{
    glFinish();
    double start = nowMs();
    double last = start;
    for (int p = 0; p < PASSES; ++p) {
        if (p != SWAP && !(args.mask & (1 << p)))
            continue;
        pass(static_cast<Pass>(p));
        if (passMs && p != SWAP) {
            glFinish();
            double t = nowMs();
            passMs[p] = t - last;
            last = t;
        }
    }
    glFinish();
    double end = nowMs();
    if (passMs)
        passMs[SWAP] = end - last;
    return end - start;
}

// The share of the frame's pixels the terrain covers, from its depth.
int Floor::visibleShare()
{
    bindTarget(frame);
    glClear(GL_DEPTH_BUFFER_BIT);
    drawTerrain(proj * view);
    std::vector<float> depth(static_cast<size_t>(frame.w) * frame.h);
    glReadPixels(0, 0, frame.w, frame.h, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    size_t covered = std::count_if(depth.begin(), depth.end(), [](float d) { return d < 1.0f; });
    return static_cast<int>(std::lround(100.0 * covered / depth.size()));
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double p90(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    size_t i = static_cast<size_t>(std::ceil(0.9 * v.size()));
    return v[std::min(std::max<size_t>(i, 1), v.size()) - 1];
}

int run(const Args& args)
{
    if (!glfwInit()) {
        std::fprintf(stderr, "floor: no window system (is DISPLAY set?)\n");
        return 1;
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 2);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GL_TRUE);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    Floor f;
    f.args = args;
    f.window = glfwCreateWindow(args.width, args.height, "floor", nullptr, nullptr);
    if (!f.window) {
        std::fprintf(stderr, "floor: no OpenGL 3.2 core context\n");
        glfwTerminate();
        return 1;
    }
    glfwMakeContextCurrent(f.window);
    glfwSwapInterval(0);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) {
        std::fprintf(stderr, "floor: GLEW could not load the GL functions\n");
        glfwTerminate();
        return 1;
    }
    while (glGetError() != GL_NO_ERROR) {
    }

    int status = 0;
    try {
        double texMs = 0, shMs = 0, jitMs = 0, vboMs = 0;
        f.setUp(texMs, shMs, jitMs, vboMs);
        double firstMs = f.frameMs(nullptr);
        for (int i = 1; i < WARM_UP_FRAMES; ++i)
            f.frameMs(nullptr);
        std::vector<double> frames;
        std::vector<std::vector<double>> passes(PASSES);
        for (int i = 0; i < args.frames; ++i) {
            double passMs[PASSES] = {};
            frames.push_back(f.frameMs(args.split ? passMs : nullptr));
            for (int p = 0; p < PASSES; ++p)
                passes[p].push_back(passMs[p]);
            glfwPollEvents();
        }
        int vis = f.visibleShare();
        int errors = 0;
        while (glGetError() != GL_NO_ERROR && errors < 100)
            ++errors;
        std::printf("%dx%d m%d med %.2f p90 %.2f 1st %.0f tex %.0f sh %.0f jit %.0f vbo %.0f vis %d%% e%d\n",
                    args.width, args.height, args.mask, median(frames), p90(frames), firstMs, texMs, shMs, jitMs,
                    vboMs, vis, errors);
        if (args.split) {
            std::printf("SPLIT");
            for (int p = 0; p < PASSES; ++p)
                if (p == SWAP || (args.mask & (1 << p)))
                    std::printf(" p%d %.2f/%.2f", p, median(passes[p]), p90(passes[p]));
            std::printf("\n");
        }
        status = errors ? 1 : 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "floor: %s\n", e.what());
        status = 1;
    }
    glfwDestroyWindow(f.window);
    glfwTerminate();
    return status;
}

}

int main(int argc, char** argv)
{
    Args args;
    if (!parseArgs(argc, argv, args)) {
        std::fputs(USAGE, stderr);
        return 2;
    }
    return run(args);
}
