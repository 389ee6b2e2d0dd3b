#pragma once

#include "scene/Transformable.h"

#include <osg/BoundingBox>
#include <osg/Group>
#include <osg/MatrixTransform>
#include <osg/ref_ptr>

#include <string>
#include <vector>

namespace scene {

class Scene;

// A named object of a scene: a pose, an optional model read from a file,
// geometry of its own and child objects that move with it.
//
// Its nodes, from the top:
//   top node     (osg::Group)           what parents and the scene hold; its
//                                       node mask switches the object off
//   pose node    (osg::MatrixTransform)  GetOSGNode(): the rigid pose,
//                                       relative to the parent object
//     scale node (osg::MatrixTransform)  always child 0; scales the model only
//       model                           the loaded file's copy
//     ...                               geometry added by subclasses or callers
//     child objects' top nodes          not scaled with the model
// Measuring the pose node (bounding boxes, triangles) works whether or not the
// object is switched off, because the switch sits above it.
//
// An object in a scene (itself or through its parents) is changed only as
// its scene allows (see Scene); one in no scene, in any one thread.
class SceneObject : public Transformable {
public:
    explicit SceneObject(const std::string& name = "Object");

    const std::string& GetName() const { return m_name; }
    void SetName(const std::string& name);

    // The pose node: the object's scene node for traversals, picking paths and
    // hanging geometry under.
    osg::MatrixTransform* GetOSGNode() { return m_pose.get(); }
    const osg::MatrixTransform* GetOSGNode() const { return m_pose.get(); }
    // The node that parents and the scene hold.
    osg::Group* GetTopNode() { return m_top.get(); }
    const osg::Group* GetTopNode() const { return m_top.get(); }

    // A switched-off object is neither drawn nor picked, nor counted in its
    // parent's bounding box; it still measures through its own node.
    void SetActive(bool active);
    bool GetActive() const { return m_active; }

    // Helper objects (selection boxes, overlays) are drawn and picked but
    // left out of bounding boxes of what they hang under (see NodeMasks.h).
    void SetHelper(bool helper);
    bool IsHelper() const { return m_helper; }

    using Transformable::GetTransform;
    void GetTransform(Transform& transform, CoordSys cs = CoordSys::Absolute) const override;
    void SetTransform(const Transform& transform, CoordSys cs = CoordSys::Absolute) override;
    // World matrix of the pose node, through the chain of parent objects.
    osg::Matrixd GetAbsoluteMatrix() const;

    // A child keeps its relative transform: it moves to where that transform
    // puts it in the new parent's frame. A child that had another parent is
    // taken from it first. False for null, self, an existing child, or an
    // ancestor (which would make a loop).
    bool AddChild(SceneObject* child);
    // The removed child keeps its absolute transform: it stays where it was
    // in the world. False when it is not a child of this object.
    bool RemoveChild(SceneObject* child);
    SceneObject* GetParent() const { return m_parent; }
    unsigned GetNumChildren() const { return unsigned(m_children.size()); }
    SceneObject* GetChild(unsigned index) const;

    // Reads a model (copied from the shared model cache, or afresh with
    // useCache false; relative paths are from the program folder) and makes
    // it the object's model, replacing any earlier one. Null when the file
    // can't be read; the earlier model is then removed all the same.
    virtual osg::Node* LoadFile(const std::string& file, bool useCache = true);
    // Makes node the model (null removes it).
    void SetModel(osg::Node* node);
    osg::Node* GetModel() const { return m_model.get(); }
    const std::string& GetFilename() const { return m_filename; }

    // Scales the model only: the pose stays rigid and children don't scale.
    void SetScale(const osg::Vec3& scale);
    osg::Vec3 GetScale() const { return m_scale; }

    // Bounding box in world coordinates of the object and its active,
    // non-helper children; measured even while the object is switched off.
    osg::BoundingBox GetBoundingBox() const;

    // The scene the object is shown in, itself or through its parents; null
    // while it is in none.
    Scene* GetScene() const;

protected:
    ~SceneObject() override;

    // Called by the scene when the object is added to it or removed from it.
    virtual void OnAddedToScene(Scene& scene);
    virtual void OnRemovedFromScene(Scene& scene);

private:
    friend class Scene;

    void UpdateTopMask();
    bool IsAncestorOf(const SceneObject* object) const;
    void CheckChange(const char* what) const;

    std::string m_name;
    std::string m_filename;
    osg::ref_ptr<osg::Group> m_top;
    osg::ref_ptr<osg::MatrixTransform> m_pose;
    osg::ref_ptr<osg::MatrixTransform> m_scaleNode;
    osg::ref_ptr<osg::Node> m_model;
    osg::Vec3 m_scale { 1.0f, 1.0f, 1.0f };
    bool m_active = true;
    bool m_helper = false;
    SceneObject* m_parent = nullptr; // not owned: the parent owns its children
    Scene* m_scene = nullptr; // not owned; set while the scene shows this object
    std::vector<osg::ref_ptr<SceneObject>> m_children;
};

} // namespace scene
