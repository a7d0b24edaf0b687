#version 150
// A title card: the background and the text, each moved (in screen units, the
// picture's centre to 0.5 + pos) and zoomed about its centre (zoom 0 = as drawn,
// 1 = twice the size, -0.5 = half), the text laid over on its alpha.
uniform sampler2D background_image;
uniform sampler2D text_image;
uniform float bgxpos;
uniform float bgypos;
uniform float bgzoom;
uniform float fgxpos;
uniform float fgypos;
uniform float fgzoom;
in vec2 uv;
out vec4 color;

vec2 place(vec2 p, float x, float y, float zoom)
{
    return (p - 0.5 - vec2(x, y)) / max(1.0 + zoom, 0.001) + 0.5;
}

void main()
{
    vec4 bg = texture(background_image, place(uv, bgxpos, bgypos, bgzoom));
    vec2 t = place(uv, fgxpos, fgypos, fgzoom);
    vec4 fg = texture(text_image, t);
    // Nothing of the text outside its picture.
    fg.a *= step(0.0, t.x) * step(t.x, 1.0) * step(0.0, t.y) * step(t.y, 1.0);
    color = vec4(mix(bg.rgb, fg.rgb, fg.a), fg.a + bg.a * (1.0 - fg.a));
}
