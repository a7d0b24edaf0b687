#pragma once
// Deferred shading: a geometry pass renders a scene into a geometry framebuffer
// (colour 0 diffuse, colour 1 normals, depth), then every light adds its light
// into a light framebuffer with additive blending: a full-screen quad for
// directional lights, the cube volume for point lights and the pyramid for spot
// lights, each with the light's own shader reading the geometry buffers.
// Geometry and light framebuffers come in one pair or two (ping-pong).

#include <glm/glm.hpp>

#include <vector>

class Camera;
class FBO;
class Material;
class Shader;
class Texture;
class VLMScene;

// State for stencil-marked light volumes.
void stencilVolumeState();
void restoreColorMask();
void lightVolumeState();
void resetLightState();
// The full-screen quad where the stencil holds 1, drawn with the shader.
void drawStencilQuad(Shader* shader);
// The full-screen quad (texture coordinates 0..1) with the shader.
void drawFullScreenQuad(Shader* shader);

class DeferredRenderer {
public:
    static constexpr int kMaterialRows = 256;
    static constexpr int kMaterialRowBytes = 16;  // four RGBA texels

    // geometry1 and light1 are both given or both null. The material texture goes
    // into the texture pool as "GeometryMaterials".
    DeferredRenderer(FBO* geometry0, FBO* geometry1, FBO* light0, FBO* light1, Shader* volumeShader);
    ~DeferredRenderer();
    DeferredRenderer(const DeferredRenderer&) = delete;
    DeferredRenderer& operator=(const DeferredRenderer&) = delete;

    // The next pair of framebuffers.
    void swap();
    FBO* getGeometryFBO() const { return geometryFBO; }
    FBO* getLightFBO() const { return lightFBO; }
    FBO* getNextGeometryFBO() const;
    Texture* getMaterialTexture() const { return materialTexture; }
    glm::mat4 getViewMatrix() const;
    glm::mat4 getOtherViewMatrix() const;
    const unsigned char* getMaterialData() const { return materialData; }

    void drawGeometry(int pass, VLMScene* scene, bool skipBind);
    // Rows of the scene's materials, then the upload.
    void updateMaterials(VLMScene* scene);
    void renderLights(Camera* camera, VLMScene* scene, bool skipBind);
    void drawLightVolumes(Camera* camera, VLMScene* scene, bool directional, bool point, bool spot);
    void drawDebugView();

    // Writes the material's row of a 256-row buffer; false (nothing written)
    // for an id outside 0..255.
    static bool writeMaterialRow(unsigned char* buffer, const Material& material);

private:
    // What every light's shader gets: the geometry buffers and the material buffer on
    // units 0 to 3, then the screen size and the projection's depth constants. Point and
    // spot lights set their own unit 4 between the two.
    void setBufferTextures(Shader* shader);
    void setScreenUniforms(Shader* shader, Camera* camera);
    void setCommonUniforms(Shader* shader, Camera* camera);

    int index = 1;
    std::vector<glm::mat4> viewMatrices;
    std::vector<FBO*> geometryFBOs;
    std::vector<FBO*> lightFBOs;
    FBO* geometryFBO;
    FBO* lightFBO;
    Texture* materialTexture;
    unsigned char* materialData;
    Shader* volumeShader;
    bool reportedMaterialId = false;
};
