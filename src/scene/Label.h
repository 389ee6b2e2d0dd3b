#pragma once

#include "scene/SceneObject.h"

#include <osg/Geode>
#include <osg/Geometry>
#include <osgText/Text>

#include <string>

namespace scene {

// A text in the scene. The text lies in the object's x-y plane, reading along
// +X, so with heading, pitch and roll (0, 90, 0) it stands upright facing -Y,
// towards a camera with no turn. Texts are UTF-8 (Chinese works) and drawn
// with DefaultFontFile().
class Label : public SceneObject {
public:
    explicit Label(const std::string& name = "LabelActor");

    void SetText(const std::string& utf8Text);
    const std::string& GetText() const { return m_text; }

    // Character height in scene units.
    void SetFontSize(float size);
    float GetFontSize() const;
    void SetTextColor(const osg::Vec4& colour);
    osg::Vec4 GetTextColor() const;
    void SetAlignment(osgText::TextBase::AlignmentType alignment);

    // A plate of this width and height behind the text, centred on the
    // object's origin; (0, 0) (the default) draws none.
    void SetBackSize(const osg::Vec2& size);
    osg::Vec2 GetBackSize() const { return m_backSize; }
    void SetBackColor(const osg::Vec4& colour);

    void SetEnableDepthTesting(bool enable);
    void SetEnableLighting(bool enable);

    osgText::Text* GetTextDrawable() { return m_textDrawable.get(); }

private:
    void UpdateBack();

    std::string m_text;
    osg::Vec2 m_backSize;
    osg::Vec4 m_backColor { 0.2f, 0.2f, 0.2f, 0.5f };
    osg::ref_ptr<osg::Geode> m_geode;
    osg::ref_ptr<osgText::Text> m_textDrawable;
    osg::ref_ptr<osg::Geometry> m_back;
};

} // namespace scene
