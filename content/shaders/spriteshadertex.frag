#version 150
uniform sampler2D tile;
uniform sampler2D background;
uniform vec2 screen;
in vec2 v_UV;
in float v_Light;
in float v_Fog;
out vec4 out_Color;

void main()
{
    vec4 t = texture(tile, v_UV);
    if (t.a < 0.1)
        discard;
    vec3 c = t.rgb * v_Light;
    c = mix(c, texture(background, gl_FragCoord.xy / screen).rgb, v_Fog);
    out_Color = vec4(c, 1.0);
}
