#version 150
uniform sampler2DArray tile;
uniform samplerCube cube1;
uniform samplerCube cube2;
uniform sampler2D background;
uniform vec2 screen;
uniform float blend;

in vec4 v_Tile;
in vec4 v_Sky;
in float v_Fog;
out vec4 out_Color;

void main()
{
    vec3 c = texture(tile, v_Tile.xyz).rgb * v_Tile.w;
    if (v_Sky.w > 0.5) {
        vec3 sky = mix(texture(cube1, v_Sky.xyz).rgb, texture(cube2, v_Sky.xyz).rgb, blend);
        c = mix(c, sky, 0.6);
    }
    if (v_Fog > 0.0)
        c = mix(c, texture(background, gl_FragCoord.xy / screen).rgb, v_Fog);
    out_Color = vec4(c, 1.0);
}
