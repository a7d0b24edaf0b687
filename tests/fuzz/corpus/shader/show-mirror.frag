#version 150
uniform sampler2D texture0;
in vec2 v_UV;
out vec4 out_Color;

void main()
{
    out_Color = vec4(texture(texture0, v_UV).rgb, 1.0);
}
