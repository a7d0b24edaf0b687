#version 150
in vec2 uv;
uniform sampler2D image;
uniform sampler2D tint;
out vec4 out_Color;
void main()
{
    out_Color = texture(image, uv) * texture(tint, uv);
}
