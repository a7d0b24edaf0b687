#version 150
// The road and terrain boxes. Each box is lifted to its cell's height, its
// sides reach "wall" units down, and the grid bends along the road's course.
in vec3 in_Position;
in vec3 in_Normal;
in vec2 in_UV0;
in uvec4 In_Props;

uniform mat4 ViewM;
uniform mat4 ProjM;
uniform mat3 SkyM;
uniform float time;
uniform int row;
uniform float offset;
uniform sampler2D TerrainProps;
uniform sampler2D TurnMap;
uniform sampler2D HillMap;

// u, v, tile layer, light
out vec4 v_Tile;
// reflected sky direction, water weight
out vec4 v_Sky;
out float v_Fog;

const vec3 SUN = vec3(0.37, 0.84, 0.40);
const float WATER_TILE = 5.0;

float cellNoise(vec2 c)
{
    return fract(sin(dot(c, vec2(12.9898, 78.233))) * 43758.5453);
}

void main()
{
    vec4 texel = texelFetch(TerrainProps, ivec2(In_Props.xy), 0) * 255.0;
    float height = texel.r;
    float wall = max(texel.g, 1.0);
    float tile = texel.b;
    // The road's data texture is eight texels wide; its tiles are never water.
    bool road = textureSize(TerrainProps, 0).x == 8;
    float water = (!road && abs(tile - WATER_TILE) < 0.5) ? 1.0 : 0.0;
    float landRow = float(row) + float(In_Props.y);

    vec3 p = in_Position;
    p.y = height + in_Position.y * wall;
    if (water > 0.5 && in_Position.y == 0.0)
        p.y += 0.12 * sin(time * 2.3 + p.x * 0.9 + landRow * 0.7) - 0.2;
    int corner = int(In_Props.w);
    p.x += texelFetch(TurnMap, ivec2(corner, 0), 0).r;
    p.y += texelFetch(HillMap, ivec2(corner, 0), 0).r;

    vec4 viewPos = ViewM * vec4(p, 1.0);
    gl_Position = ProjM * viewPos;

    // Sides repeat the tile once per unit of wall, top edge kept.
    bool side = abs(in_Normal.y) < 0.5;
    float v = side ? (in_UV0.y - 1.0) * wall + 1.0 : in_UV0.y;
    float light = 0.38 + 0.62 * max(dot(in_Normal, SUN), 0.0);
    light *= side ? 0.78 : 1.0;
    light *= 0.93 + 0.14 * cellNoise(vec2(float(In_Props.x), landRow));
    v_Tile = vec4(in_UV0.x, v, tile, light);

    vec3 viewNormal = mat3(ViewM) * in_Normal;
    vec3 r = reflect(normalize(viewPos.xyz), normalize(viewNormal));
    v_Sky = vec4(SkyM * r, water);

    // Haze with distance, and the far rows of the window fade into the sky.
    float haze = clamp((length(viewPos.xyz) - 60.0) / 160.0, 0.0, 1.0);
    float edge = clamp((float(In_Props.y) - offset - 200.0) / 45.0, 0.0, 1.0);
    v_Fog = max(haze * haze * (3.0 - 2.0 * haze), edge);
}
