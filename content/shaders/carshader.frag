#version 150
uniform mat3 SkyM;
uniform float blend;
uniform samplerCube cube1;
uniform samplerCube cube2;
uniform sampler2D diffuse;
in vec3 v_Normal;
in vec3 v_ViewPos;
in vec2 v_UV;
out vec4 out_Color;

const vec3 SUN = vec3(0.37, 0.84, 0.40);

void main()
{
    vec3 n = normalize(v_Normal);
    vec3 eye = normalize(v_ViewPos);
    // SkyM turns view directions into sky directions; its transpose turns back.
    vec3 sun = normalize(transpose(SkyM) * SUN);
    vec3 r = reflect(eye, n);
    vec3 skyDir = SkyM * r;
    vec3 sky = mix(texture(cube1, skyDir).rgb, texture(cube2, skyDir).rgb, blend);
    vec4 paint = texture(diffuse, v_UV);
    float light = 0.35 + 0.65 * max(dot(n, sun), 0.0);
    float fresnel = 0.15 + 0.35 * pow(1.0 - max(dot(-eye, n), 0.0), 3.0);
    float spec = pow(max(dot(r, sun), 0.0), 24.0);
    vec3 c = paint.rgb * light;
    c = mix(c, sky, fresnel) + vec3(spec * 0.6);
    out_Color = vec4(c, 1.0);
}
