#include "elements/Plane.h"

#include "platform/ProgramDir.h"

#include <osgDB/Options>
#include <osgDB/ReadFile>

namespace {

// Ground pictures are read afresh every time: the builders rewrite the same
// temporary picture file with other contents.
osg::ref_ptr<osg::Image> ReadPicture(const std::string& file) {
    if (file.empty())
        return nullptr;
    osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
    options->setObjectCacheHint(osgDB::Options::CACHE_NONE);
    return osgDB::readRefImageFile(platform::InProgramDir(file).string(), options.get());
}

} // namespace

Plane::Plane(float halfWidth, float halfLength, float cell, const std::string& imageFile)
    : CGround(halfWidth, halfLength, cell)
    , m_pTexture(new osg::Texture2D)
    , m_sImageFile(imageFile) {
    osg::ref_ptr<osg::Image> image = ReadPicture(imageFile);
    m_pTexture->setImage(image.get());
    m_pTexture->setWrap(osg::Texture::WRAP_S, osg::Texture::CLAMP);
    m_pTexture->setWrap(osg::Texture::WRAP_T, osg::Texture::CLAMP);
    m_pTexture->setFilter(osg::Texture::MIN_FILTER, osg::Texture::LINEAR);
    m_pTexture->setFilter(osg::Texture::MAG_FILTER, osg::Texture::LINEAR);
    osg::ref_ptr<osg::StateSet> state = new osg::StateSet;
    state->setTextureAttributeAndModes(0, m_pTexture.get(), osg::StateAttribute::ON);
    m_pGeode->setStateSet(state.get());
}

void Plane::SetImage(const std::string& imageFile) {
    if (!m_pTexture)
        return;
    osg::ref_ptr<osg::Image> image = ReadPicture(imageFile);
    if (!image)
        return;
    m_pTexture->setImage(image.get());
    m_sImageFile = imageFile;
}
