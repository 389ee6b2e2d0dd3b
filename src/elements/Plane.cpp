#include "elements/Plane.h"

#include "scene/ModelCache.h"

Plane::Plane(float halfWidth, float halfLength, float cell, const std::string& imageFile)
    : CGround(halfWidth, halfLength, cell)
    , m_pTexture(new osg::Texture2D)
    , m_sImageFile(imageFile) {
    osg::ref_ptr<osg::Image> image = scene::ModelCache::ReadImageFresh(imageFile);
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
    osg::ref_ptr<osg::Image> image = scene::ModelCache::ReadImageFresh(imageFile);
    if (!image)
        return;
    m_pTexture->setImage(image.get());
    m_sImageFile = imageFile;
}
