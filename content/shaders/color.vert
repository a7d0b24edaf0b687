#version 150
// Flat colour, for the debug drawings.
in vec3 in_Position;
uniform mat4 projM;
uniform mat4 cameraM;
uniform mat4 modelM;

void main()
{
    gl_Position = projM * cameraM * modelM * vec4(in_Position, 1.0);
}
