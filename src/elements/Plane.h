#pragma once

#include "elements/CGround.h"

#include <osg/Texture2D>
#include <osg/ref_ptr>

#include <string>

// A ground that shows a picture (the playground builder's ground).
class Plane : public CGround {
public:
    // A picture that cannot be read leaves the quad untextured; its name is
    // kept all the same.
    Plane(float halfWidth, float halfLength, float cell, const std::string& imageFile);

    // Shows the picture in imageFile (relative paths from the program
    // folder), read afresh: the builders rewrite their temporary pictures
    // under the same names. A file that cannot be read changes nothing: the
    // previous picture and its name stay.
    virtual void SetImage(const std::string& imageFile);
    std::string GetImageFile() const { return m_sImageFile; }

    osg::Texture2D* GetTexture() const { return m_pTexture.get(); }

protected:
    ~Plane() override = default;

    osg::ref_ptr<osg::Texture2D> m_pTexture;
    std::string m_sImageFile;
};
