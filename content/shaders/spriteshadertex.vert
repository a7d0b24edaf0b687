#version 150
// Textured scenery sprites: the face colours under the edge texture, which
// brightens each face's outline. Haze per vertex, as on the terrain.
in vec3 in_Position;
in vec3 in_Normal;
in vec2 in_UV0;
in vec4 in_Color0;
uniform mat4 projM;
uniform mat4 modelM;
uniform mat4 cameraM;
uniform vec2 screen;
uniform float row;
uniform sampler2D background;
// lit colour, weight 1 - haze
out vec4 v_Color;
// haze colour, already weighted
out vec3 v_Add;
out vec2 v_UV;

const vec3 SUN = vec3(0.37, 0.84, 0.40);

void main()
{
    vec4 viewPos = cameraM * modelM * vec4(in_Position, 1.0);
    vec4 clip = projM * viewPos;
    gl_Position = clip;
    vec3 n = normalize(vec3(in_Normal.x, in_Normal.z, -in_Normal.y));
    float light = 0.45 + 0.55 * max(dot(n, SUN), 0.0);
    float haze = clamp((length(viewPos.xyz) - 60.0) / 160.0, 0.0, 1.0);
    float fog = max(haze * haze * (3.0 - 2.0 * haze), clamp((row - 200.0) / 45.0, 0.0, 1.0));
    // Without the target's size ((0, 0) for the screen) the sky image's own.
    vec2 size = vec2(textureSize(background, 0));
    bool sized = screen.x >= 1.0 && screen.y >= 1.0;
    vec2 pixel = clamp(clip.xy / max(clip.w, 1e-4) * 0.5 + 0.5, 0.0, 1.0) * (sized ? screen : size - 1.0);
    vec2 toBackground = sized ? size / screen : vec2(1.0);
    vec3 behind = texelFetch(background, ivec2(pixel * toBackground), 0).rgb;
    v_Color = vec4(in_Color0.rgb * light, 1.0 - fog);
    v_Add = behind * fog;
    v_UV = in_UV0;
}
