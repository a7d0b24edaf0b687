#version 150
// Textured scenery sprites: the texture is laid over the model from the side
// its faces point to (the models carry no texture coordinates of their own).
in vec3 in_Position;
in vec3 in_Normal;
uniform mat4 projM;
uniform mat4 modelM;
uniform mat4 cameraM;
uniform float row;
out vec2 v_UV;
out float v_Light;
out float v_Fog;

const vec3 SUN = vec3(0.37, 0.84, 0.40);

void main()
{
    vec4 viewPos = cameraM * modelM * vec4(in_Position, 1.0);
    gl_Position = projM * viewPos;
    vec3 a = abs(in_Normal);
    if (a.z >= a.x && a.z >= a.y)
        v_UV = in_Position.xy;
    else if (a.x >= a.y)
        v_UV = in_Position.yz;
    else
        v_UV = in_Position.xz;
    v_UV *= 0.5;
    vec3 n = normalize(vec3(in_Normal.x, in_Normal.z, -in_Normal.y));
    v_Light = 0.4 + 0.6 * max(dot(n, SUN), 0.0);
    float haze = clamp((length(viewPos.xyz) - 60.0) / 160.0, 0.0, 1.0);
    v_Fog = max(haze * haze * (3.0 - 2.0 * haze), clamp((row - 200.0) / 45.0, 0.0, 1.0));
}
