#version 150
// One direction of a 9-tap Gaussian blur, as five bilinear taps (source and
// target have the same size: level 0).
uniform sampler2D image;
uniform vec2 TexelSize;
in vec2 uv;
out vec4 color;

void main()
{
    vec2 d1 = TexelSize * 1.3846153846;
    vec2 d2 = TexelSize * 3.2307692308;
    vec3 c = textureLod(image, uv, 0.0).rgb * 0.2270270270;
    c += (textureLod(image, uv + d1, 0.0).rgb + textureLod(image, uv - d1, 0.0).rgb) * 0.3162162162;
    c += (textureLod(image, uv + d2, 0.0).rgb + textureLod(image, uv - d2, 0.0).rgb) * 0.0702702703;
    color = vec4(c, 1.0);
}
