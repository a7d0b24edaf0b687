#version 150
#include common.glsl
uniform vec4 color;
out vec4 out_Color;
void main()
{
    out_Color = shade(color);
}
