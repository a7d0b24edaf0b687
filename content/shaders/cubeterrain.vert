#version 150
// The road and terrain boxes. Each box is lifted to its cell's height, its
// sides reach "wall" units down, and the grid bends along the road's course.
// The mesh has 1.2 million vertices, drawn twice a frame, and on a software
// renderer the vertices are cheap next to the pixels: the water's mirrored sky
// and the haze towards the sky image are worked out here, per vertex, and the
// fragment stage only samples the tile.
in vec3 in_Position;
in vec3 in_Normal;
in vec2 in_UV0;
in uvec4 In_Props;

uniform mat4 ViewM;
uniform mat4 ProjM;
uniform mat3 SkyM;
uniform vec2 screen;
uniform float blend;
uniform float time;
uniform int row;
uniform float offset;
uniform samplerCube cube1;
uniform samplerCube cube2;
uniform sampler2D TerrainProps;
uniform sampler2D TurnMap;
uniform sampler2D HillMap;
uniform sampler2D background;

// u, v, tile layer, weight of the lit tile
out vec4 v_Tile;
// colour added to the weighted tile: mirrored sky and haze
out vec3 v_Add;

const vec3 SUN = vec3(0.37, 0.84, 0.40);
const float WATER_TILE = 5.0;
const float WATER_MIRROR = 0.6;

void main()
{
    vec4 texel = texelFetch(TerrainProps, ivec2(In_Props.xy), 0) * 255.0;
    float wall = max(texel.g, 1.0);
    int corner = int(In_Props.w);
    vec3 p = in_Position;
    p.x += texelFetch(TurnMap, ivec2(corner, 0), 0).r;
    p.y = texel.r + in_Position.y * wall + texelFetch(HillMap, ivec2(corner, 0), 0).r;

    vec4 viewPos = ViewM * vec4(p, 1.0);
    vec4 clip = ProjM * viewPos;
    gl_Position = clip;

    // Sides repeat the tile once per unit of wall, top edge kept.
    float side = 1.0 - abs(in_Normal.y);
    float v = in_UV0.y + side * (in_UV0.y - 1.0) * (wall - 1.0);
    // A small shade per cell of the landscape, so equal tiles do not melt together.
    uint cell = (In_Props.x * 7u + (uint(row) + In_Props.y) * 13u) & 7u;
    float light = (0.38 + 0.62 * max(dot(in_Normal, SUN), 0.0)) * (1.0 - 0.22 * side);
    light *= 0.93 + 0.02 * float(cell);

    // Water (never on the road, whose data texture is eight texels wide)
    // mirrors the blended sky in a slightly moving surface.
    float water = (textureSize(TerrainProps, 0).x != 8 && abs(texel.b - WATER_TILE) < 0.5) ? WATER_MIRROR : 0.0;
    vec3 up = mat3(ViewM)[1];
    up.xz += 0.04 * sin(time * 2.3 + p.xz * 0.8);
    vec3 r = SkyM * reflect(normalize(viewPos.xyz), normalize(up));
    vec3 sky = mix(textureLod(cube1, r, 2.0).rgb, textureLod(cube2, r, 2.0).rgb, blend);

    // Haze with distance, and the far rows of the window fade out: both
    // towards the sky image behind the vertex.
    float haze = clamp((length(viewPos.xyz) - 60.0) / 160.0, 0.0, 1.0);
    float edge = clamp((float(In_Props.y) - offset - 200.0) / 45.0, 0.0, 1.0);
    float fog = max(haze * haze * (3.0 - 2.0 * haze), edge);
    vec2 pixel = clamp(clip.xy / max(clip.w, 1e-4) * 0.5 + 0.5, 0.0, 1.0) * screen;
    vec2 toBackground = vec2(textureSize(background, 0)) / max(screen, vec2(1.0));
    vec3 behind = texelFetch(background, ivec2(pixel * toBackground), 0).rgb;

    v_Tile = vec4(in_UV0.x, v, texel.b, light * (1.0 - water) * (1.0 - fog));
    v_Add = sky * water * (1.0 - fog) + behind * fog;
}
