#version 150
// The grading pass: distortion, RGB separation, glow, image brightness and
// contrast, a palette grade mixed between two palettes, vignette, film noise
// with a rolling beam, and a colour fade.
uniform sampler2D source;
uniform sampler2D vignett;
uniform sampler1D gradient;
uniform sampler1D gradient2;
uniform sampler2D glow;
uniform sampler2D noise;
uniform float palette_mix;
uniform float time;
uniform float rgb_separation;
uniform float fade_amount;
uniform vec3 fade_color;
uniform float img_bright;
uniform float img_contr;
uniform float noise_strength;
uniform float noise_offset;
uniform float colgrade_toggle;
uniform float distort_amount;
in vec2 uv;
out vec4 color;

void main()
{
    // Horizontal wobble, stronger towards the screen edges.
    vec2 p = uv;
    float edge = abs(p.x - 0.5) * 2.0;
    p.x += sin(p.y * 37.0 + time * 3.1) * distort_amount * 0.01 * (0.3 + edge);
    p.y += cos(p.x * 23.0 + time * 2.3) * distort_amount * 0.004;

    vec3 c;
    c.r = texture(source, p + vec2(rgb_separation, 0.0)).r;
    c.g = texture(source, p).g;
    c.b = texture(source, p - vec2(rgb_separation, 0.0)).b;
    c += texture(glow, p).rgb;

    c = (c - 0.5) * img_contr + 0.5 + img_bright;

    float luma = clamp(dot(c, vec3(0.299, 0.587, 0.114)), 0.0, 1.0);
    vec3 graded = mix(texture(gradient, luma).rgb, texture(gradient2, luma).rgb, palette_mix);
    c = mix(c, graded, colgrade_toggle);

    c *= texture(vignett, uv).rgb;

    // Grain scrolls with the offset; a soft bright beam rolls down the screen.
    float grain = texture(noise, fract(uv * vec2(4.0, 2.25) + vec2(noise_offset, noise_offset * 0.37))).r - 0.5;
    float beam = 1.0 - abs(fract(uv.y + time * 0.1) - 0.5) * 2.0;
    c += (grain + beam * beam * beam * 0.25) * noise_strength;

    c = mix(c, fade_color, fade_amount);
    color = vec4(c, 1.0);
}
