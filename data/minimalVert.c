#version 110
// The smallest vertex stage: transform and pass the colour on.
void main()
{
    gl_FrontColor = gl_Color;
    gl_Position = ftransform();
}
