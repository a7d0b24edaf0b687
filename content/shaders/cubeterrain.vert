#version 150
// The road and terrain boxes. Each box is lifted to its cell's height, its
// sides reach "wall" units down, and the grid bends along the road's course.
// The mesh has 1.2 million vertices and is drawn twice a frame; the software
// renderer shades vertices on one thread and pixels on all of them, so this
// stage is kept to the lifting and what the pixels cannot do.
in vec3 in_Position;
in vec3 in_Normal;
in vec2 in_UV0;
in uvec4 In_Props;

uniform mat4 ViewM;
uniform mat4 ProjM;
uniform int row;
uniform float offset;
uniform sampler2D TerrainProps;
uniform sampler2D TurnMap;
uniform sampler2D HillMap;

// u, v, tile layer, light
out vec4 v_Tile;
// position seen from the camera (for the water's reflection)
out vec3 v_View;
// haze, plus 2 on water
out float v_Fog;

const vec3 SUN = vec3(0.37, 0.84, 0.40);
const float WATER_TILE = 5.0;

void main()
{
    vec4 texel = texelFetch(TerrainProps, ivec2(In_Props.xy), 0) * 255.0;
    float wall = max(texel.g, 1.0);
    int corner = int(In_Props.w);
    vec3 p = in_Position;
    p.x += texelFetch(TurnMap, ivec2(corner, 0), 0).r;
    p.y = texel.r + in_Position.y * wall + texelFetch(HillMap, ivec2(corner, 0), 0).r;

    vec4 viewPos = ViewM * vec4(p, 1.0);
    gl_Position = ProjM * viewPos;
    v_View = viewPos.xyz;

    // Sides repeat the tile once per unit of wall, top edge kept.
    float side = 1.0 - abs(in_Normal.y);
    float v = in_UV0.y + side * (in_UV0.y - 1.0) * (wall - 1.0);
    // A small shade per cell of the landscape, so equal tiles do not melt together.
    uint cell = (In_Props.x * 7u + (uint(row) + In_Props.y) * 13u) & 7u;
    float light = (0.38 + 0.62 * max(dot(in_Normal, SUN), 0.0)) * (1.0 - 0.22 * side);
    v_Tile = vec4(in_UV0.x, v, texel.b, light * (0.93 + 0.02 * float(cell)));

    // Haze with distance; the far rows of the window fade into the sky.
    float haze = clamp((length(viewPos.xyz) - 60.0) / 160.0, 0.0, 1.0);
    float edge = clamp((float(In_Props.y) - offset - 200.0) / 45.0, 0.0, 1.0);
    // The road's data texture is eight texels wide; its tiles are never water.
    bool water = textureSize(TerrainProps, 0).x != 8 && abs(texel.b - WATER_TILE) < 0.5;
    v_Fog = max(haze * haze * (3.0 - 2.0 * haze), edge) + (water ? 2.0 : 0.0);
}
