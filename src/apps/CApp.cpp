#include "apps/CApp.h"

#include "apps/MotionModel.h"

#include "elements/CElement.h"

#include "scene/Compass.h"
#include "scene/Picking.h"
#include "scene/PositionalLight.h"

namespace {

constexpr int kHeadlight = 1;

} // namespace

CApp::CApp(const std::string&, scene::SceneView* window)
    : SceneApp(window) {
    m_pMotionModel = new MotionModel(GetKeyboard(), GetMouse());
    m_pMotionModel->SetTarget(GetCamera());
    m_pMotionModel->SetFocalPoint(osg::Vec3(0.0f, 0.0f, 0.0f));

    GetCamera()->SetClearColor(osg::Vec4(0.8f, 0.8f, 0.8f, 1.0f));

    m_pCompass = new scene::Compass(GetCamera());
    AddDrawable(m_pCompass.get());

    osg::ref_ptr<scene::PositionalLight> light
        = new scene::PositionalLight(kHeadlight, "defaultPositonalLight");
    light->SetLightingMode(scene::PositionalLight::GLOBAL);
    AddDrawable(light.get());

    GetScene()->UseSceneLight(false, 0);
}

CApp::~CApp() = default;

void CApp::PreFrame(double deltaTime) {
    SceneApp::PreFrame(deltaTime);
    if (scene::PositionalLight* light = GetScene()->GetLight(kHeadlight))
        light->SetTransform(GetCamera()->GetTransform());
}

void CApp::Frame(double deltaTime) {
    if (!m_bRun)
        return;
    SceneApp::Frame(deltaTime);
    ++m_nDrawnFrames;
}

void CApp::SetViewPreset(int preset) {
    const int kind = GetAppKind();
    if (kind < 1 || kind > 3)
        return;
    const float d = kind == 1 ? 80.0f : 800.0f;
    const float overHeight = kind == 1 ? 50.0f : 500.0f;
    scene::Transform pose;
    switch (preset) {
    case 0:
        pose.Set(0.0, 0.0, d, 0.0, -89.0, 0.0);
        break;
    case 1:
        pose.Set(-d, 0.0, 0.0, -90.0, 0.0, 0.0);
        break;
    case 2:
        pose.Set(0.0, -d, 0.0, 0.0, 0.0, 0.0);
        break;
    case 3:
        pose.Set(0.0, -d, overHeight, 0.0, -30.0, 0.0);
        break;
    default:
        return;
    }
    GetCamera()->SetTransform(pose);
    if (m_pMotionModel) {
        m_pMotionModel->SetDistance(d);
        m_pMotionModel->SetFocalPoint(osg::Vec3(0.0f, 0.0f, 0.0f));
    }
}

CElement* CApp::PickElement(int elementKind, const osg::Vec2& point) {
    std::vector<scene::SceneObject*> candidates;
    for (const auto& object : GetScene()->GetDrawables()) {
        auto* element = dynamic_cast<CElement*>(object.get());
        if (element && element->GetKind() == elementKind)
            candidates.push_back(element);
    }
    if (candidates.empty())
        return nullptr;
    return static_cast<CElement*>(scene::FindPickedObject(Pick(point.x(), point.y()), candidates).object);
}
