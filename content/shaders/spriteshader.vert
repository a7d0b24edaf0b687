#version 150
// Scenery sprites standing beside the road.
in vec3 in_Position;
in vec3 in_Normal;
uniform mat4 projM;
uniform mat4 modelM;
uniform mat4 cameraM;
uniform float row;
out float v_Light;
out float v_Fog;

const vec3 SUN = vec3(0.37, 0.84, 0.40);

void main()
{
    vec4 viewPos = cameraM * modelM * vec4(in_Position, 1.0);
    gl_Position = projM * viewPos;
    // Models stand z-up; the draw turns them y-up.
    vec3 n = normalize(vec3(in_Normal.x, in_Normal.z, -in_Normal.y));
    v_Light = 0.4 + 0.6 * max(dot(n, SUN), 0.0);
    float haze = clamp((length(viewPos.xyz) - 60.0) / 160.0, 0.0, 1.0);
    v_Fog = max(haze * haze * (3.0 - 2.0 * haze), clamp((row - 200.0) / 45.0, 0.0, 1.0));
}
