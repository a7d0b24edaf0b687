// Full brightness only when the declaration defines FULL.
vec4 shade(vec4 c)
{
#ifdef FULL
    return vec4(c.rgb, 1.0);
#else
    return vec4(c.rgb * 0.5, 1.0);
#endif
}
