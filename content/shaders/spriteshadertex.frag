#version 150
uniform sampler2D tile;
in vec4 v_Color;
in vec3 v_Add;
in vec2 v_UV;
out vec4 out_Color;

void main()
{
    vec4 edge = texture(tile, v_UV);
    vec3 c = v_Color.rgb * edge.rgb + vec3(0.25) * edge.a;
    out_Color = vec4(c * v_Color.a + v_Add, 1.0);
}
