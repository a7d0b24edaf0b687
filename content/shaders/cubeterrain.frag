#version 150
uniform sampler2DArray tile;
uniform samplerCube cube1;
uniform samplerCube cube2;
uniform sampler2D background;
uniform mat4 ViewM;
uniform mat3 SkyM;
uniform vec2 screen;
uniform float blend;
uniform float time;

in vec4 v_Tile;
in vec3 v_View;
in float v_Fog;
out vec4 out_Color;

const float WATER_MIRROR = 0.6;

void main()
{
    vec3 c = texture(tile, v_Tile.xyz).rgb * v_Tile.w;
    float water = step(1.5, v_Fog);
    float fog = v_Fog - 2.0 * water;
    // Water mirrors the blended sky in a slightly moving surface.
    vec3 up = mat3(ViewM)[1];
    up.xz += 0.04 * sin(time * 2.3 + v_View.xz * 0.8);
    vec3 r = SkyM * reflect(normalize(v_View), normalize(up));
    vec3 sky = mix(texture(cube1, r).rgb, texture(cube2, r).rgb, blend);
    c = mix(c, sky, WATER_MIRROR * water);
    // Haze towards the sky image behind the pixel. Without the target's size
    // ((0, 0) for the screen) the pixel is the sky image's own, kept inside it.
    ivec2 size = textureSize(background, 0);
    vec2 toBackground = screen.x >= 1.0 && screen.y >= 1.0 ? vec2(size) / screen : vec2(1.0);
    ivec2 behind = min(ivec2(gl_FragCoord.xy * toBackground), size - 1);
    c = mix(c, texelFetch(background, behind, 0).rgb, fog);
    out_Color = vec4(c, 1.0);
}
