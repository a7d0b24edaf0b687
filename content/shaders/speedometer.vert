#version 150
// A placed element: the unit quad (0, 0)-(1, -1) moved by "modelview" in clip space.
in vec3 in_Position;
in vec2 in_UV0;
uniform mat4 modelview;
out vec2 uv;

void main()
{
    uv = in_UV0;
    gl_Position = modelview * vec4(in_Position, 1.0);
}
