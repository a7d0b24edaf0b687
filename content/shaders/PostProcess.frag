#version 150
// The grading pass: distortion, RGB separation, glow, image brightness and
// contrast, a palette grade mixed between two palettes, vignette, film noise
// with a rolling beam, and a colour fade. Every picture is read at level 0:
// the frame-sized inputs map texel to pixel, the others are smooth or unfiltered.
// No branches: software rasterisers run both sides of a branch anyway.
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

// A triangle wave in -1..1 with period 1.
float wave(float x)
{
    return abs(fract(x) - 0.5) * 4.0 - 1.0;
}

void main()
{
    // A wobble that runs down the screen, stronger towards the edges.
    vec2 p = uv;
    p.x += wave(p.y * 5.9 + time * 0.5) * distort_amount * (0.003 + 0.01 * abs(p.x - 0.5));

    // Red pulled one way against green and blue.
    vec3 c = textureLod(source, p, 0.0).rgb;
    c.r = textureLod(source, p + vec2(rgb_separation, 0.0), 0.0).r;
    c += textureLod(glow, p, 0.0).rgb;

    c = (c - 0.5) * img_contr + 0.5 + img_bright;

    float luma = clamp(dot(c, vec3(0.299, 0.587, 0.114)), 0.0, 1.0);
    vec3 graded = mix(textureLod(gradient, luma, 0.0).rgb, textureLod(gradient2, luma, 0.0).rgb, palette_mix);
    c = mix(c, graded, colgrade_toggle);

    c *= textureLod(vignett, uv, 0.0).rgb;

    // Grain scrolls with the offset; a soft bright beam rolls down the screen.
    vec2 n = fract(uv * vec2(4.0, 2.25) + vec2(noise_offset, noise_offset * 0.37));
    float beam = abs(fract(uv.y + time * 0.1) - 0.5);
    c += (textureLod(noise, n, 0.0).r - 0.5 + beam * beam * 0.5) * noise_strength;

    c = mix(c, fade_color, fade_amount);
    color = vec4(c, 1.0);
}
