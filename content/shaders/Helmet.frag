#version 150
// The helmet view: the scene seen through a slightly curved, tinted visor
// (white in the mask), the helmet's inside laid over on its alpha.
uniform sampler2D reflection;
uniform sampler2D mask;
uniform sampler2D overlay;
in vec2 uv;
out vec4 color;

void main()
{
    vec2 d = uv - 0.5;
    vec2 p = 0.5 + d * (0.94 + 0.12 * dot(d, d));
    vec4 m = texture(mask, uv);
    vec3 scene = texture(reflection, p).rgb * vec3(0.86, 0.92, 1.0) * (m.r * m.a);
    vec4 o = texture(overlay, uv);
    color = vec4(mix(scene, o.rgb, o.a), 1.0);
}
