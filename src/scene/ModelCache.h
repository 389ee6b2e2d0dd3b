#pragma once

#include <osg/Image>
#include <osg/Node>
#include <osg/ref_ptr>

#include <cstddef>
#include <map>
#include <mutex>
#include <string>

namespace scene {

// Model files (".osg", ".ive", anything osgDB reads) read once and handed out
// as copies. Each copy has nodes, drawables, state sets, materials and
// textures of its own: colouring one part never colours another of the same
// model, and a copy can be built, shown and dropped in any thread without
// racing the others (OSG keeps parent lists in those objects, which are not
// safe to change from two threads). What nothing changes after reading - the
// vertex and index arrays and the pictures - all copies share, so forty
// bricks hold one brick's geometry and textures. (OSG counts the textures
// using a picture, a count nothing here reads.)
//
// The loader threads read models while the GUI thread does, so every call is
// safe from any thread. The cached originals are never handed out. A file
// that cannot be read is reported as a "scene" warning.
class ModelCache {
public:
    ModelCache() = default;
    ModelCache(const ModelCache&) = delete;
    ModelCache& operator=(const ModelCache&) = delete;

    // The one cache that scene objects load through.
    static ModelCache& Shared();

    // A copy of the model in file (relative paths are taken from the program
    // folder). With useCache false the file is read afresh and nothing is
    // remembered. Null when the file can't be read; failures are not
    // remembered, so a file that appears later is read then.
    osg::ref_ptr<osg::Node> Load(const std::string& file, bool useCache = true);

    // Forgets every cached original (copies already handed out live on).
    void Clear();
    std::size_t Size() const;

    // The full path a model file name stands for.
    static std::string ResolvePath(const std::string& file);
    // Reads a file with no caching at any level.
    static osg::ref_ptr<osg::Node> ReadFresh(const std::string& path);
    // Reads a picture afresh, with no caching at any level (relative paths
    // are taken from the program folder): for pictures that are rewritten
    // under the same name, such as the temporary ground pictures. Null, with
    // a "scene" warning, when the file cannot be read.
    static osg::ref_ptr<osg::Image> ReadImageFresh(const std::string& file);
    // The per-instance copy described above.
    static osg::ref_ptr<osg::Node> MakeInstanceCopy(const osg::Node& original);

private:
    mutable std::mutex m_mutex;
    std::map<std::string, osg::ref_ptr<osg::Node>> m_originals;
};

} // namespace scene
