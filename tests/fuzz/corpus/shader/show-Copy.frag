#version 150
// A full-screen picture as it is, alpha included.
uniform sampler2D image;
in vec2 uv;
out vec4 color;

void main()
{
    color = texture(image, uv);
}
