#version 150
// One rain plane at depth "plane_zpos", in camera space scaled by "modelview".
in vec3 in_Position;
in vec2 in_UV0;
uniform mat4 modelview;
uniform mat4 projection;
uniform float plane_zpos;
uniform float rain_move;
uniform float rain_move_offset;
out vec2 uv;
out float fog;

void main()
{
    // The streak picture repeats across the plane; each plane falls at its own phase.
    uv = in_UV0 * vec2(6.0, 3.0) + vec2(rain_move_offset * 3.0, rain_move + rain_move_offset);
    vec4 eye = modelview * vec4(in_Position.xy, plane_zpos, 1.0);
    fog = clamp(1.0 - length(eye.xyz) / 180.0, 0.0, 1.0);
    gl_Position = projection * eye;
}
