#version 150
uniform sampler2D background;
uniform vec2 screen;
in float v_Light;
in float v_Fog;
out vec4 out_Color;

const vec3 PAINT = vec3(0.92, 0.86, 0.72);

void main()
{
    vec3 c = PAINT * v_Light;
    c = mix(c, texture(background, gl_FragCoord.xy / screen).rgb, v_Fog);
    out_Color = vec4(c, 1.0);
}
