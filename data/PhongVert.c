#version 110
// Per-pixel lighting: hand the eye-space position and normal to the fragment stage.
varying vec3 eyePosition;
varying vec3 eyeNormal;

void main()
{
    eyePosition = vec3(gl_ModelViewMatrix * gl_Vertex);
    eyeNormal = normalize(gl_NormalMatrix * gl_Normal);
    gl_TexCoord[0] = gl_MultiTexCoord0;
    // The overlay's text is placed under an orthographic projection with this program still
    // bound. Its raster colour carries alpha 1 so the fragment stage leaves it unlit; a glyph
    // may be drawn after the projection has changed back, so the mark must travel with it.
    float overlay = gl_ProjectionMatrix[3][3] == 1.0 ? 1.0 : 0.0;
    gl_FrontColor = vec4(gl_Color.rgb, overlay);
    gl_Position = ftransform();
}
