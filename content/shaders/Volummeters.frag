#version 150
// Eight LED level meters; "data" holds each level in red (0..255 as 0..1).
uniform sampler1D data;
in vec2 uv;
out vec4 color;

void main()
{
    float column = floor(uv.x * 8.0);
    float level = texelFetch(data, int(column), 0).r;
    float segment = floor(uv.y * 12.0);
    float lit = step(segment / 12.0, level - 0.5 / 12.0);
    vec3 hue = segment < 7.0 ? vec3(0.15, 1.0, 0.3) : (segment < 10.0 ? vec3(1.0, 0.85, 0.1) : vec3(1.0, 0.2, 0.1));
    // Dark gaps between columns and between segments.
    float gap = step(0.12, fract(uv.x * 8.0)) * step(fract(uv.x * 8.0), 0.88) * step(0.18, fract(uv.y * 12.0));
    vec3 c = mix(vec3(0.03, 0.04, 0.03), mix(hue * 0.12, hue, lit), gap);
    color = vec4(c, 1.0);
}
