#include "scene/Compass.h"

#include "scene/Camera.h"
#include "scene/Fonts.h"
#include "scene/NodeMasks.h"

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/LineWidth>
#include <osg/observer_ptr>
#include <osgText/Text>

namespace scene {

namespace {

constexpr float kExtent = 1.6f;

// Before the overlay is drawn, it takes the main camera's turn without its
// position, so the tripod turns in place.
class FollowCameraTurn : public osg::NodeCallback {
public:
    explicit FollowCameraTurn(osg::Camera* camera)
        : m_camera(camera) { }

    void operator()(osg::Node* node, osg::NodeVisitor* nv) override {
        osg::ref_ptr<osg::Camera> camera;
        if (m_camera.lock(camera)) {
            osg::Matrixd view = camera->getViewMatrix();
            view.setTrans(osg::Vec3d(0, 0, -4.0));
            static_cast<osg::Camera*>(node)->setViewMatrix(view);
        }
        traverse(node, nv);
    }

private:
    osg::observer_ptr<osg::Camera> m_camera;
};

osg::ref_ptr<osg::Geode> MakeTripod() {
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    osg::ref_ptr<osg::Geometry> lines = new osg::Geometry;
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    const osg::Vec3 axes[3] = { { 1, 0, 0 }, { 0, 1, 0 }, { 0, 0, 1 } };
    const osg::Vec4 axisColours[3] = { { 1, 0, 0, 1 }, { 0, 0.8f, 0, 1 }, { 0, 0, 1, 1 } };
    const char* const names[3] = { "X", "Y", "Z" };
    const std::string fontFile = DefaultFontFile();
    for (int i = 0; i < 3; ++i) {
        vertices->push_back(osg::Vec3());
        vertices->push_back(axes[i]);
        colours->push_back(axisColours[i]);
        colours->push_back(axisColours[i]);

        osg::ref_ptr<osgText::Text> letter = new osgText::Text;
        if (!fontFile.empty())
            letter->setFont(fontFile);
        letter->setText(names[i]);
        letter->setCharacterSize(0.35f);
        letter->setAxisAlignment(osgText::TextBase::SCREEN);
        letter->setAlignment(osgText::TextBase::CENTER_CENTER);
        letter->setPosition(axes[i] * 1.25f);
        letter->setColor(axisColours[i]);
        geode->addDrawable(letter.get());
    }
    lines->setVertexArray(vertices.get());
    lines->setColorArray(colours.get(), osg::Array::BIND_PER_VERTEX);
    lines->addPrimitiveSet(new osg::DrawArrays(GL_LINES, 0, GLsizei(vertices->size())));
    geode->addDrawable(lines.get());

    osg::StateSet* state = geode->getOrCreateStateSet();
    state->setMode(GL_LIGHTING, osg::StateAttribute::OFF | osg::StateAttribute::PROTECTED);
    state->setAttributeAndModes(new osg::LineWidth(2.0f), osg::StateAttribute::ON);
    return geode;
}

} // namespace

Compass::Compass(Camera* camera)
    : SceneObject("Compass")
    , m_overlay(new osg::Camera) {
    m_overlay->setReferenceFrame(osg::Transform::ABSOLUTE_RF);
    m_overlay->setRenderOrder(osg::Camera::POST_RENDER);
    m_overlay->setClearMask(GL_DEPTH_BUFFER_BIT);
    m_overlay->setAllowEventFocus(false);
    m_overlay->setComputeNearFarMode(osg::CullSettings::DO_NOT_COMPUTE_NEAR_FAR);
    m_overlay->setProjectionMatrixAsOrtho(-kExtent, kExtent, -kExtent, kExtent, 0.1, 10.0);
    m_overlay->setViewport(0, 0, m_size, m_size);
    if (camera)
        m_overlay->setCullCallback(new FollowCameraTurn(camera->GetOSGCamera()));
    m_overlay->addChild(MakeTripod().get());
    GetOSGNode()->addChild(m_overlay.get());
    SetHelper(true);
}

void Compass::SetScreenSize(int pixels) {
    m_size = pixels;
    m_overlay->setViewport(0, 0, m_size, m_size);
}

} // namespace scene
