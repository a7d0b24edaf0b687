#version 150
// The sky box: two cube maps blended.
in vec3 in_Position;
uniform mat4 projM;
uniform mat4 cameraM;
out vec3 v_Dir;

void main()
{
    v_Dir = in_Position;
    gl_Position = projM * cameraM * vec4(in_Position, 1.0);
}
