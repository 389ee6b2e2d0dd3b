#include "apps/CCam.h"

#include "apps/CApp.h"

#include "scene/Camera.h"
#include "scene/SceneView.h"

#include <osg/BlendFunc>
#include <osg/LineWidth>

namespace {

// Until the first shown rectangle takes the window's real size.
constexpr double kInitialWidth = 1440.0;
constexpr double kInitialHeight = 850.0;

} // namespace

CCam::CCam(CApp& app)
    : SceneObject("Object")
    , m_camera(app.GetCamera())
    , m_app(&app)
    , m_overlay(new osg::Camera)
    , m_geode(new osg::Geode)
    , m_rectangle(new osg::Geometry) {
    m_overlay->setProjectionMatrixAsOrtho2D(0.0, kInitialWidth, 0.0, kInitialHeight);
    m_overlay->setReferenceFrame(osg::Transform::ABSOLUTE_RF);
    m_overlay->setViewMatrix(osg::Matrixd::identity());
    m_overlay->setClearMask(GL_DEPTH_BUFFER_BIT);
    m_overlay->setRenderOrder(osg::Camera::POST_RENDER, 0);
    m_overlay->setAllowEventFocus(false);

    osg::StateSet* geodeState = m_geode->getOrCreateStateSet();
    geodeState->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    geodeState->setMode(GL_DEPTH_TEST, osg::StateAttribute::OFF);

    osg::ref_ptr<osg::Vec4Array> colours = new osg::Vec4Array;
    colours->push_back(osg::Vec4(0.0f, 0.9f, 0.0f, 0.0f));
    m_rectangle->setColorArray(colours.get(), osg::Array::BIND_OVERALL);
    m_rectangle->setVertexArray(new osg::Vec3Array);
    osg::StateSet* lineState = m_rectangle->getOrCreateStateSet();
    lineState->setAttributeAndModes(new osg::LineWidth(2.0f));
    lineState->setMode(GL_LIGHTING, osg::StateAttribute::OFF);
    m_rectangle->setUseDisplayList(false);
    m_rectangle->setDataVariance(osg::Object::DYNAMIC);

    m_geode->addDrawable(m_rectangle.get());
    m_overlay->addChild(m_geode.get());
    app.GetScene()->GetSceneNode()->addChild(m_overlay.get());
}

CCam::~CCam() = default;

scene::Transform CCam::GetTransform() const {
    osg::ref_ptr<scene::Camera> camera;
    if (!m_camera.lock(camera))
        return scene::Transform();
    return camera->GetTransform();
}

osg::Vec3 CCam::GetPosition() const {
    return GetTransform().GetTranslation();
}

osg::Vec3 CCam::GetForward() const {
    return osg::Vec3(osg::Vec3d(0.0, 1.0, 0.0) * GetTransform().GetRotationMatrix());
}

osg::Vec3 CCam::GetUp() const {
    return osg::Vec3(osg::Vec3d(0.0, 0.0, 1.0) * GetTransform().GetRotationMatrix());
}

osg::Matrixd CCam::GetWindowMatrix() const {
    osg::ref_ptr<scene::Camera> camera;
    if (!m_camera.lock(camera))
        return osg::Matrixd::identity();
    return camera->GetWindowMatrix();
}

void CCam::SyncToCamera() {
    SetTransform(GetTransform());
}

osg::Vec2 CCam::CalcPixelCoords(float x, float y) const {
    osg::ref_ptr<scene::Camera> camera;
    if (!m_camera.lock(camera))
        return osg::Vec2();
    return camera->CalcPixelCoords(x, y);
}

void CCam::GetWindowSize(int& width, int& height) const {
    osg::ref_ptr<CApp> app;
    scene::SceneView* view = m_app.lock(app) ? app->GetSceneView() : nullptr;
    if (view) {
        int x = 0, y = 0;
        view->GetPosition(x, y, width, height);
        return;
    }
    osg::ref_ptr<scene::Camera> camera;
    width = m_camera.lock(camera) ? camera->GetViewportWidth() : 0;
    height = camera ? camera->GetViewportHeight() : 0;
}

bool CCam::Update(bool show, const osg::Vec2& corner1, const osg::Vec2& corner2) {
    if (!m_geode)
        return false;
    osg::StateSet* state = m_geode->getOrCreateStateSet();
    if (!show) {
        // The colour's alpha is 0: with blending on, the loop is drawn
        // invisibly and keeps its vertices for the next show.
        state->setAttributeAndModes(new osg::BlendFunc, osg::StateAttribute::ON);
        state->setMode(GL_DEPTH_TEST, osg::StateAttribute::OFF);
        return false;
    }
    state->setMode(GL_BLEND, osg::StateAttribute::OFF);
    state->setMode(GL_DEPTH_TEST, osg::StateAttribute::ON);
    int width = 0, height = 0;
    GetWindowSize(width, height);
    if (width > 0 && height > 0)
        m_overlay->setProjectionMatrixAsOrtho2D(0.0, width, 0.0, height);

    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    vertices->push_back(osg::Vec3(corner1.x(), corner1.y(), 0.0f));
    vertices->push_back(osg::Vec3(corner1.x(), corner2.y(), 0.0f));
    vertices->push_back(osg::Vec3(corner2.x(), corner2.y(), 0.0f));
    vertices->push_back(osg::Vec3(corner2.x(), corner1.y(), 0.0f));
    m_rectangle->setVertexArray(vertices.get());
    m_rectangle->removePrimitiveSet(0, m_rectangle->getNumPrimitiveSets());
    m_rectangle->addPrimitiveSet(new osg::DrawArrays(osg::PrimitiveSet::LINE_LOOP, 0, 4));
    m_rectangle->dirtyBound();
    return true;
}
