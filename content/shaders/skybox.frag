#version 150
uniform samplerCube cube1;
uniform samplerCube cube2;
uniform float blend;
in vec3 v_Dir;
out vec4 out_Color;

void main()
{
    out_Color = vec4(mix(texture(cube1, v_Dir).rgb, texture(cube2, v_Dir).rgb, blend), 1.0);
}
