#version 150
// Streaks on alpha, fading out with distance. The picture is filtered here,
// bilinearly from one level chosen isotropically: the texture's anisotropic
// sampling over every full-screen plane is too slow on software rasterisers,
// and streaks are soft anyway.
uniform sampler2D texture0;
in vec2 uv;
in float fog;
out vec4 color;

void main()
{
    vec2 base = vec2(textureSize(texture0, 0));
    vec2 dx = dFdx(uv * base);
    vec2 dy = dFdy(uv * base);
    int level = int(clamp(0.5 * log2(max(dot(dx, dx), dot(dy, dy))) + 0.5, 0.0, 15.0));
    ivec2 size = textureSize(texture0, level);
    vec2 s = vec2(size);
    vec2 p = uv * s - 0.5;
    vec2 f = fract(p);
    // The picture repeats: wrapped in floats (integer division costs the
    // software rasteriser far more), exact for sides that are powers of two.
    ivec2 i0 = min(ivec2(p - s * floor(p / s)), size - 1);
    ivec2 i1 = i0 + 1;
    i1 -= size * ivec2(greaterThanEqual(i1, size));
    vec4 c = mix(mix(texelFetch(texture0, i0, level), texelFetch(texture0, ivec2(i1.x, i0.y), level), f.x),
                 mix(texelFetch(texture0, ivec2(i0.x, i1.y), level), texelFetch(texture0, i1, level), f.x), f.y);
    float a = c.a * (0.35 + 0.65 * fog);
    if (a < 0.004)
        discard;
    color = vec4(c.rgb, a);
}
