#version 150
// Bright pass of the glow: contrast around mid grey, then brightness.
uniform sampler2D image;
uniform float contrast;
uniform float brightness;
in vec2 uv;
out vec4 color;

void main()
{
    vec3 c = texture(image, uv).rgb;
    c = (c - 0.5) * contrast + 0.5 + brightness;
    color = vec4(clamp(c, 0.0, 1.0), 1.0);
}
