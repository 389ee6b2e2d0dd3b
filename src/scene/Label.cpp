#include "scene/Label.h"

#include "scene/Fonts.h"

#include <osgText/Font>

namespace scene {

Label::Label(const std::string& name)
    : SceneObject(name)
    , m_geode(new osg::Geode)
    , m_textDrawable(new osgText::Text) {
    const std::string fontFile = DefaultFontFile();
    if (!fontFile.empty()) {
        if (osg::ref_ptr<osgText::Font> font = osgText::readRefFontFile(fontFile))
            m_textDrawable->setFont(font.get());
    }
    m_textDrawable->setAxisAlignment(osgText::TextBase::XY_PLANE);
    m_textDrawable->setAlignment(osgText::TextBase::CENTER_CENTER);
    m_textDrawable->setCharacterSize(1.0f);
    m_textDrawable->setColor(osg::Vec4(1.0f, 1.0f, 1.0f, 1.0f));
    m_textDrawable->setDataVariance(osg::Object::DYNAMIC);
    m_geode->addDrawable(m_textDrawable.get());
    GetOSGNode()->addChild(m_geode.get());
}

void Label::SetText(const std::string& utf8Text) {
    m_text = utf8Text;
    m_textDrawable->setText(utf8Text, osgText::String::ENCODING_UTF8);
}

void Label::SetFontSize(float size) {
    m_textDrawable->setCharacterSize(size);
}

float Label::GetFontSize() const {
    return m_textDrawable->getCharacterHeight();
}

void Label::SetTextColor(const osg::Vec4& colour) {
    m_textDrawable->setColor(colour);
}

osg::Vec4 Label::GetTextColor() const {
    return m_textDrawable->getColor();
}

void Label::SetAlignment(osgText::TextBase::AlignmentType alignment) {
    m_textDrawable->setAlignment(alignment);
}

void Label::SetBackSize(const osg::Vec2& size) {
    m_backSize = size;
    UpdateBack();
}

void Label::SetBackColor(const osg::Vec4& colour) {
    m_backColor = colour;
    UpdateBack();
}

void Label::UpdateBack() {
    if (m_back) {
        m_geode->removeDrawable(m_back.get());
        m_back = nullptr;
    }
    if (m_backSize.x() <= 0.0f || m_backSize.y() <= 0.0f)
        return;
    const float w = m_backSize.x() * 0.5f;
    const float h = m_backSize.y() * 0.5f;
    // Slightly behind the text so that the text wins the depth test.
    const float z = -0.01f * m_textDrawable->getCharacterHeight();
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    vertices->push_back(osg::Vec3(-w, -h, z));
    vertices->push_back(osg::Vec3(w, -h, z));
    vertices->push_back(osg::Vec3(w, h, z));
    vertices->push_back(osg::Vec3(-w, h, z));
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    colours->push_back(m_backColor);
    m_back = new osg::Geometry;
    m_back->setVertexArray(vertices.get());
    m_back->setColorArray(colours.get(), osg::Array::BIND_OVERALL);
    m_back->addPrimitiveSet(new osg::DrawArrays(GL_QUADS, 0, 4));
    if (m_backColor.a() < 1.0f) {
        m_back->getOrCreateStateSet()->setMode(GL_BLEND, osg::StateAttribute::ON);
        m_back->getOrCreateStateSet()->setRenderingHint(osg::StateSet::TRANSPARENT_BIN);
    }
    m_geode->insertChild(0, m_back.get());
}

void Label::SetEnableDepthTesting(bool enable) {
    m_geode->getOrCreateStateSet()->setMode(
        GL_DEPTH_TEST, enable ? osg::StateAttribute::ON : osg::StateAttribute::OFF);
}

void Label::SetEnableLighting(bool enable) {
    m_geode->getOrCreateStateSet()->setMode(
        GL_LIGHTING, enable ? osg::StateAttribute::ON : osg::StateAttribute::OFF);
}

} // namespace scene
