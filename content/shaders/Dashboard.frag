#version 150
// The rear-view mirror: the mirror picture inside the mask's white shape.
uniform sampler2D image;
uniform sampler2D mask;
in vec2 uv;
out vec4 color;

void main()
{
    vec4 m = texture(mask, uv);
    color = vec4(texture(image, uv).rgb, m.r * m.a);
}
