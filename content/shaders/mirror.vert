#version 150
// The rear-view picture on the placement quad, turned left to right as a
// mirror shows it.
in vec3 in_Position;
in vec2 in_UV0;
uniform vec2 scale;
uniform vec2 pos;
out vec2 v_UV;

void main()
{
    v_UV = vec2(1.0 - in_UV0.x, in_UV0.y);
    gl_Position = vec4(pos + in_Position.xy * scale, 0.0, 1.0);
}
