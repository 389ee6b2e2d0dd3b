#include "scene/SceneObject.h"

#include "scene/BoundsVisitor.h"
#include "scene/ModelCache.h"
#include "scene/NodeMasks.h"
#include "scene/Scene.h"

#include <algorithm>

namespace scene {

SceneObject::SceneObject(const std::string& name)
    : m_top(new osg::Group)
    , m_pose(new osg::MatrixTransform)
    , m_scaleNode(new osg::MatrixTransform) {
    m_top->addChild(m_pose.get());
    m_pose->addChild(m_scaleNode.get());
    SetName(name);
}

SceneObject::~SceneObject() {
    for (auto& child : m_children)
        child->m_parent = nullptr;
}

Scene* SceneObject::GetScene() const {
    const SceneObject* top = this;
    while (top->m_parent)
        top = top->m_parent;
    return top->m_scene;
}

void SceneObject::CheckChange(const char* what) const {
    if (const Scene* scene = GetScene())
        scene->CheckChangeThread(what);
}

void SceneObject::SetName(const std::string& name) {
    CheckChange("SceneObject::SetName");
    m_name = name;
    m_top->setName(name);
    m_pose->setName(name);
}

void SceneObject::SetActive(bool active) {
    CheckChange("SceneObject::SetActive");
    m_active = active;
    UpdateTopMask();
}

void SceneObject::SetHelper(bool helper) {
    CheckChange("SceneObject::SetHelper");
    m_helper = helper;
    UpdateTopMask();
}

void SceneObject::UpdateTopMask() {
    if (!m_active)
        m_top->setNodeMask(kSwitchedOffMask);
    else
        m_top->setNodeMask(m_helper ? kHelperMask : kAllBits);
}

osg::Matrixd SceneObject::GetAbsoluteMatrix() const {
    osg::Matrixd m = m_pose->getMatrix();
    for (const SceneObject* p = m_parent; p; p = p->m_parent)
        m.postMult(p->m_pose->getMatrix());
    return m;
}

void SceneObject::GetTransform(Transform& transform, CoordSys cs) const {
    transform.Set(cs == CoordSys::Absolute ? GetAbsoluteMatrix() : m_pose->getMatrix());
}

void SceneObject::SetTransform(const Transform& transform, CoordSys cs) {
    CheckChange("SceneObject::SetTransform");
    osg::Matrixd local = transform.GetMatrix();
    if (cs == CoordSys::Absolute && m_parent)
        local.postMult(osg::Matrixd::inverse(m_parent->GetAbsoluteMatrix()));
    m_pose->setMatrix(local);
}

bool SceneObject::IsAncestorOf(const SceneObject* object) const {
    for (const SceneObject* p = object; p; p = p->m_parent) {
        if (p == this)
            return true;
    }
    return false;
}

bool SceneObject::AddChild(SceneObject* child) {
    CheckChange("SceneObject::AddChild");
    if (!child || child == this || child->m_parent == this || child->IsAncestorOf(this))
        return false;
    osg::ref_ptr<SceneObject> keep = child;
    if (child->m_parent) {
        SceneObject* old = child->m_parent;
        old->m_pose->removeChild(child->m_top.get());
        old->m_children.erase(std::find(old->m_children.begin(), old->m_children.end(), keep));
    }
    child->m_parent = this;
    m_children.push_back(keep);
    m_pose->addChild(child->m_top.get());
    return true;
}

bool SceneObject::RemoveChild(SceneObject* child) {
    CheckChange("SceneObject::RemoveChild");
    auto it = std::find(m_children.begin(), m_children.end(), child);
    if (!child || it == m_children.end())
        return false;
    osg::ref_ptr<SceneObject> keep = child;
    const osg::Matrixd absolute = child->GetAbsoluteMatrix();
    m_pose->removeChild(child->m_top.get());
    m_children.erase(it);
    child->m_parent = nullptr;
    child->m_pose->setMatrix(absolute);
    return true;
}

SceneObject* SceneObject::GetChild(unsigned index) const {
    return index < m_children.size() ? m_children[index].get() : nullptr;
}

osg::Node* SceneObject::LoadFile(const std::string& file, bool useCache) {
    osg::ref_ptr<osg::Node> model = ModelCache::Shared().Load(file, useCache);
    m_filename = model ? file : std::string();
    SetModel(model.get());
    return m_model.get();
}

void SceneObject::SetModel(osg::Node* node) {
    CheckChange("SceneObject::SetModel");
    m_scaleNode->removeChildren(0, m_scaleNode->getNumChildren());
    m_model = node;
    if (node)
        m_scaleNode->addChild(node);
}

void SceneObject::SetScale(const osg::Vec3& scale) {
    CheckChange("SceneObject::SetScale");
    m_scale = scale;
    m_scaleNode->setMatrix(osg::Matrixd::scale(scale));
    // Scaled normals would darken or brighten the lit model.
    if (scale != osg::Vec3(1.0f, 1.0f, 1.0f))
        m_scaleNode->getOrCreateStateSet()->setMode(GL_NORMALIZE, osg::StateAttribute::ON);
}

osg::BoundingBox SceneObject::GetBoundingBox() const {
    const osg::Matrixd parentToWorld = m_parent ? m_parent->GetAbsoluteMatrix() : osg::Matrixd::identity();
    return ComputeBounds(const_cast<osg::MatrixTransform*>(m_pose.get()), parentToWorld);
}

void SceneObject::OnAddedToScene(Scene&) { }

void SceneObject::OnRemovedFromScene(Scene&) { }

} // namespace scene
