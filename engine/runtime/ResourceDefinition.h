#pragma once
// What a production is made of. A production derives from ResourceDefinition;
// the engine calls its four operations at fixed points of start-up, and inside
// them the production declares its resources with the static helpers below.
// Declarations go into the global lists in declaration order, which is the
// loading order.

#include <string>
#include <vector>

class Binary;
class Effect;
class FBO;
class ScreenSettings;
class Shader;
class Texture;
class Video;
class VLMScene;

struct TextureDefinition {
    std::string name;       // alias in the texture pool
    std::string file;       // inside the graphics folder; a cube map has one '*' for the face
    int target = 0x0DE1;    // GL_TEXTURE_1D, GL_TEXTURE_2D, GL_TEXTURE_2D_ARRAY or GL_TEXTURE_CUBE_MAP
    bool mipmap = false;
    int layers = 0;         // layers of a 2D array, stacked vertically in one image
};

// Objects, binaries, animations and videos.
struct FileDefinition {
    std::string name;  // alias
    std::string file;  // inside the kind's folder
};

struct ShaderDefinition {
    std::string name;                  // name in the shader pool
    std::string file;                  // base name; ".vert", ".frag" and ".geo" are appended
    std::vector<std::string> defines;  // each becomes a "#define" line
};

class ResourceDefinition {
public:
    ResourceDefinition() = default;
    virtual ~ResourceDefinition();

    // 1280 x 768 windowed, the show from "00:00:00" to "99:00:00".
    virtual void configure(ScreenSettings* settings);
    virtual void defineResources();
    virtual void defineEffects();
    virtual void defineEffectInstances();

    static void defineTexture(const std::string& name, const std::string& file, bool mipmap);
    static void defineTexture1D(const std::string& name, const std::string& file, bool mipmap);
    static void defineTextureArray(const std::string& name, const std::string& file, int layers, bool mipmap);
    static void defineCubeMap(const std::string& name, const std::string& pattern, bool mipmap);
    static void defineObject(const FileDefinition& def);
    static void defineBinary(const FileDefinition& def);
    // Counted by the progress bar; nothing is loaded for them.
    static void defineAnimation(const FileDefinition& def);
    static void defineVideo(const FileDefinition& def);
    static void defineShader(const ShaderDefinition& def);
    // A file in the sound folder; empty means no music.
    static void setMusic(const std::string& file);
    // The pool takes the framebuffer; it is cleared once and the screen bound again.
    static void addFBO(const std::string& name, FBO* fbo);

    // The pool takes the prototype.
    static void registerEffect(const std::string& className, Effect* prototype);
    // A clone of the class's prototype with its tracks created, added to the
    // instance pool under instanceName. Its init() runs later, after the track data.
    static Effect* createEffectInstance(const std::string& className, const std::string& instanceName,
                                        bool useTrackData);

    // Look-ups that assert when the resource is missing.
    static Shader* getShader(const std::string& name);
    static Texture* getTexture(const std::string& name);
    static FBO* getFBO(const std::string& name);
    static VLMScene* getScene(const std::string& name);
    static Binary* getBinary(const std::string& name);
    static Video* getVideo(const std::string& name);
};

namespace VLMPulsvek {
extern ResourceDefinition* resources;

// The declaration lists (defined with the other engine globals).
extern std::vector<TextureDefinition> textureDefinitions;
extern std::vector<FileDefinition> objectDefinitions;
extern std::vector<FileDefinition> animationDefinitions;
extern std::vector<FileDefinition> binaryDefinitions;
extern std::vector<ShaderDefinition> shaderDefinitions;
extern std::vector<FileDefinition> videoDefinitions;
}
