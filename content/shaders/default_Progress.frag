#version 150
// Magenta at the start of the bar to warm gold at its head.
in float across;
out vec4 out_Color;
void main()
{
    out_Color = vec4(mix(vec3(1.0, 0.23, 0.83), vec3(1.0, 0.76, 0.23), across), 1.0);
}
