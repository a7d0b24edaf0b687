#version 150
// A speedometer needle.
uniform sampler2D speedometer;
in vec2 uv;
out vec4 color;

void main()
{
    color = texture(speedometer, uv);
}
