#pragma once
// Full-screen filter passes over framebuffer colour textures: each reads colour
// texture 0 of the source as "image" on unit 0 and draws the shared screen quad
// into the target (null = the screen).

class FBO;
class Shader;

namespace PostFilter {

// Sent as "brightness" and "contrast" by brightContrast.
extern float brightness;
extern float contrast;

// Reads the source through its mipmaps (trilinear minification), then sets the
// source's filters back to linear.
void brightContrast(Shader* shader, FBO* source, FBO* target);
// "TexelSize" = (1 / source width, 0).
void blurHorizontal(Shader* shader, FBO* source, FBO* target);
// "TexelSize" = (0, 1 / source height).
void blurVertical(Shader* shader, FBO* source, FBO* target);

}
