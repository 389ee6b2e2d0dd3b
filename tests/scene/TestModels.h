#pragma once

// Small models the scene tests make for themselves and write with osgDB.

#include <osg/Geode>
#include <osg/Geometry>
#include <osg/Material>
#include <osgDB/WriteFile>

#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace scenetest {

// A lit axis-aligned box of triangles from min to max, with its own material.
inline osg::ref_ptr<osg::Geode> MakeBox(
    const osg::Vec3& min, const osg::Vec3& max, const osg::Vec4& colour = osg::Vec4(0.9f, 0.6f, 0.2f, 1.0f)) {
    const osg::Vec3 c[8] = {
        { min.x(), min.y(), min.z() },
        { max.x(), min.y(), min.z() },
        { max.x(), max.y(), min.z() },
        { min.x(), max.y(), min.z() },
        { min.x(), min.y(), max.z() },
        { max.x(), min.y(), max.z() },
        { max.x(), max.y(), max.z() },
        { min.x(), max.y(), max.z() },
    };
    // Faces as corner indices, counter-clockwise seen from outside, with normals.
    const int faces[6][4]
        = { { 0, 3, 2, 1 }, { 4, 5, 6, 7 }, { 0, 1, 5, 4 }, { 2, 3, 7, 6 }, { 1, 2, 6, 5 }, { 3, 0, 4, 7 } };
    const osg::Vec3 normals[6]
        = { { 0, 0, -1 }, { 0, 0, 1 }, { 0, -1, 0 }, { 0, 1, 0 }, { 1, 0, 0 }, { -1, 0, 0 } };
    osg::ref_ptr<osg::Vec3Array> vertices = new osg::Vec3Array;
    osg::ref_ptr<osg::Vec3Array> vertexNormals = new osg::Vec3Array;
    for (int f = 0; f < 6; ++f) {
        const int tri[6] = { 0, 1, 2, 0, 2, 3 };
        for (int i : tri) {
            vertices->push_back(c[faces[f][i]]);
            vertexNormals->push_back(normals[f]);
        }
    }
    osg::ref_ptr<osg::Geometry> geometry = new osg::Geometry;
    geometry->setVertexArray(vertices.get());
    geometry->setNormalArray(vertexNormals.get(), osg::Array::BIND_PER_VERTEX);
    geometry->addPrimitiveSet(new osg::DrawArrays(GL_TRIANGLES, 0, GLsizei(vertices->size())));
    osg::ref_ptr<osg::Geode> geode = new osg::Geode;
    geode->addDrawable(geometry.get());
    osg::ref_ptr<osg::Material> material = new osg::Material;
    material->setDiffuse(osg::Material::FRONT_AND_BACK, colour);
    material->setAmbient(osg::Material::FRONT_AND_BACK, colour);
    geode->getOrCreateStateSet()->setAttributeAndModes(material.get());
    return geode;
}

// A folder of its own under the test folder, removed with the object.
class TempDir {
public:
    explicit TempDir(const std::string& tag)
        : m_path(
            std::filesystem::path(MORVANE_TEST_DIR) / ("scene_" + tag + "_" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(m_path);
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return (m_path / name).string(); }

    // Writes node as name (".osg" or ".ive") and returns the path.
    std::string Write(const std::string& name, const osg::Node& node) const {
        const std::string path = File(name);
        osgDB::writeNodeFile(node, path);
        return path;
    }

private:
    std::filesystem::path m_path;
};

} // namespace scenetest
