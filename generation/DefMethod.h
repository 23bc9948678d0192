#pragma once

// A source of terrain that can picture itself as a texture image.
class DefMethod {
public:
    virtual void generateTexture() = 0;

protected:
    // Not virtual: terrain sources are never destroyed through this base.
    ~DefMethod() = default;
};
