#version 150
uniform vec4 color;
out vec4 out_Color;

void main()
{
    out_Color = color;
}
