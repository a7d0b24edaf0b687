#version 150
// The car: painted texture, sun light and the sky reflected in the paint.
in vec3 in_Position;
in vec3 in_Normal;
in vec2 in_UV0;
uniform mat4 ProjM;
uniform mat4 ViewM;
uniform mat3 NormalM;
out vec3 v_Normal;
out vec3 v_ViewPos;
out vec2 v_UV;

void main()
{
    vec4 viewPos = ViewM * vec4(in_Position, 1.0);
    v_ViewPos = viewPos.xyz;
    v_Normal = NormalM * in_Normal;
    v_UV = in_UV0;
    gl_Position = ProjM * viewPos;
}
