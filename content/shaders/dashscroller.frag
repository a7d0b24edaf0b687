#version 150
// The dashboard's text display: a window onto the text strip, moved along it by
// "dashtexvalue" (1 = the strip's whole length) and wrapping round.
uniform sampler2D scrollerimg;
uniform float dashtexvalue;
in vec2 uv;
out vec4 color;

void main()
{
    // The display is about 8.9 times as wide as it is high on a 16:9 screen.
    vec2 size = vec2(textureSize(scrollerimg, 0));
    float across = 8.9 * size.y / size.x;
    float u = uv.x * across + dashtexvalue;
    color = textureGrad(scrollerimg, vec2(fract(u), uv.y), vec2(dFdx(u), 0.0), vec2(0.0, dFdy(uv.y)));
}
