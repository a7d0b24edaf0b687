#version 150
in vec4 v_Color;
in vec3 v_Add;
out vec4 out_Color;

void main()
{
    out_Color = vec4(v_Color.rgb * v_Color.a + v_Add, 1.0);
}
