#version 150
in vec3 in_Position;
uniform float scale;
void main()
{
    // The bar grows from the left edge.
    gl_Position = vec4(-1.0 + (in_Position.x + 1.0) * scale, in_Position.y, 0.0, 1.0);
}
