#version 150
uniform sampler2DArray tile;

in vec4 v_Tile;
in vec3 v_Add;
out vec4 out_Color;

void main()
{
    out_Color = vec4(texture(tile, v_Tile.xyz).rgb * v_Tile.w + v_Add, 1.0);
}
