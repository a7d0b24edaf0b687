#version 150
// The loading bar: a strip that grows from the left edge with the progress.
in vec3 in_Position;
uniform float scale;
out float across;
void main()
{
    across = (in_Position.x + 1.0) * 0.5;
    gl_Position = vec4(-1.0 + (in_Position.x + 1.0) * scale, in_Position.y, 0.0, 1.0);
}
