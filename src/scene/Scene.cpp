#include "scene/Scene.h"

#include "scene/PositionalLight.h"

#include <osg/Light>

#include <algorithm>

namespace scene {

Scene::Scene()
    : m_root(new osg::Group)
    , m_sceneLight(new osg::LightSource) {
    m_root->setName("SceneRoot");
    osg::ref_ptr<osg::Light> light = new osg::Light(0);
    light->setPosition(osg::Vec4(0.3f, -0.5f, 1.0f, 0.0f));
    light->setAmbient(osg::Vec4(0.2f, 0.2f, 0.2f, 1.0f));
    light->setDiffuse(osg::Vec4(0.8f, 0.8f, 0.8f, 1.0f));
    light->setSpecular(osg::Vec4(0.5f, 0.5f, 0.5f, 1.0f));
    m_sceneLight->setLight(light.get());
    m_sceneLight->setName("SceneLight");
    m_root->addChild(m_sceneLight.get());
    osg::StateSet* state = m_root->getOrCreateStateSet();
    state->setMode(GL_LIGHTING, osg::StateAttribute::ON);
    state->setMode(GL_LIGHT0, osg::StateAttribute::ON);
}

Scene::~Scene() {
    RemoveAllDrawables();
}

Scene::Hold& Scene::Hold::operator=(Hold&& other) noexcept {
    if (this != &other) {
        Release();
        m_scene = std::move(other.m_scene);
    }
    return *this;
}

void Scene::Hold::Release() {
    if (!m_scene)
        return;
    m_scene->m_holder.store(std::thread::id());
    m_scene->m_drawMutex.unlock();
    m_scene = nullptr;
}

Scene::Hold Scene::HoldForChanges() {
    m_drawMutex.lock();
    m_holder.store(std::this_thread::get_id());
    return Hold(this);
}

bool Scene::IsHeldElsewhere() const {
    const std::thread::id holder = m_holder.load();
    return holder != std::thread::id() && holder != std::this_thread::get_id();
}

std::unique_lock<std::mutex> Scene::LockForDrawing() {
    // A thread that holds the scene does not draw it either (and must not
    // lock its own mutex again).
    if (m_holder.load() == std::this_thread::get_id())
        return {};
    return std::unique_lock<std::mutex>(m_drawMutex, std::try_to_lock);
}

bool Scene::CheckChangeThread(std::string_view what) const {
    const std::thread::id holder = m_holder.load();
    const bool allowed
        = holder == std::thread::id() ? m_owner.IsCurrent() : holder == std::this_thread::get_id();
    if (!allowed)
        platform::ReportWrongThread("scene", what);
    return allowed;
}

void Scene::AddDrawable(SceneObject* object) {
    CheckChangeThread("Scene::AddDrawable");
    if (!object || HasDrawable(object))
        return;
    m_objects.emplace_back(object);
    m_root->addChild(object->GetTopNode());
    object->m_scene = this;
    object->OnAddedToScene(*this);
}

void Scene::RemoveDrawable(SceneObject* object) {
    CheckChangeThread("Scene::RemoveDrawable");
    auto it = std::find(m_objects.begin(), m_objects.end(), object);
    if (it == m_objects.end())
        return;
    osg::ref_ptr<SceneObject> keep = object;
    m_objects.erase(it);
    m_root->removeChild(object->GetTopNode());
    if (object->m_scene == this)
        object->m_scene = nullptr;
    object->OnRemovedFromScene(*this);
}

void Scene::RemoveAllDrawables() {
    while (!m_objects.empty())
        RemoveDrawable(m_objects.back().get());
}

bool Scene::HasDrawable(const SceneObject* object) const {
    return std::any_of(m_objects.begin(), m_objects.end(),
        [object](const osg::ref_ptr<SceneObject>& o) { return o.get() == object; });
}

SceneObject* Scene::GetDrawable(unsigned index) const {
    return index < m_objects.size() ? m_objects[index].get() : nullptr;
}

void Scene::UseSceneLight(bool on, int lightNumber) {
    CheckChangeThread("Scene::UseSceneLight");
    if (lightNumber < 0 || lightNumber > 7)
        return;
    m_root->getOrCreateStateSet()->setMode(
        GLenum(GL_LIGHT0 + lightNumber), on ? osg::StateAttribute::ON : osg::StateAttribute::OFF);
}

PositionalLight* Scene::GetLight(int lightNumber) const {
    for (const auto& object : m_objects) {
        auto* light = dynamic_cast<PositionalLight*>(object.get());
        if (light && light->GetNumber() == lightNumber)
            return light;
    }
    return nullptr;
}

} // namespace scene
