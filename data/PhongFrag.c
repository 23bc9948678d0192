#version 110
// Phong shading from light 0 and the front material.
varying vec3 eyePosition;
varying vec3 eyeNormal;

void main()
{
    // Overlay text is white. Its fragments are the only ones at clip w 1 and half depth (the
    // overlay's orthographic projection); terrain at w 1 lies on the near plane, at depth 0.
    // Reading the colour here would cost every terrain fragment its interpolation, and marking
    // the text through it crashed llvmpipe on Debian 13 (Mesa 25.0) when it built this
    // program's variant for bitmaps.
    if (gl_FragCoord.w > 0.999 && abs(gl_FragCoord.z - 0.5) < 0.001) {
        gl_FragColor = vec4(1.0);
        return;
    }

    vec3 n = normalize(eyeNormal);
    vec4 lightPosition = gl_LightSource[0].position;
    vec3 l = normalize(lightPosition.xyz - eyePosition * lightPosition.w);
    vec3 v = normalize(-eyePosition);
    vec3 r = reflect(-l, n);

    float diffuse = max(dot(n, l), 0.0);
    float specular = 0.0;
    if (diffuse > 0.0) {
        specular = pow(max(dot(r, v), 0.0), gl_FrontMaterial.shininess);
    }

    vec4 colour = gl_FrontLightModelProduct.sceneColor
                + gl_FrontLightProduct[0].ambient
                + gl_FrontLightProduct[0].diffuse * diffuse
                + gl_FrontLightProduct[0].specular * specular;
    gl_FragColor = vec4(colour.rgb, gl_FrontMaterial.diffuse.a);
}
