#version 150
// Streaks on alpha, fading out with distance.
uniform sampler2D texture0;
in vec2 uv;
in float fog;
out vec4 color;

void main()
{
    vec4 c = texture(texture0, uv);
    color = vec4(c.rgb, c.a * (0.35 + 0.65 * fog));
}
