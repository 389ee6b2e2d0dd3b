#include "scene/ModelCache.h"

#include "platform/ProgramDir.h"
#include "platform/Warnings.h"

#include <osg/CopyOp>
#include <osgDB/Options>
#include <osgDB/ReadFile>

namespace scene {

ModelCache& ModelCache::Shared() {
    static ModelCache cache;
    return cache;
}

std::string ModelCache::ResolvePath(const std::string& file) {
    return platform::InProgramDir(file).lexically_normal().string();
}

namespace {

osg::ref_ptr<osgDB::Options> UncachedOptions() {
    osg::ref_ptr<osgDB::Options> options = new osgDB::Options;
    options->setObjectCacheHint(osgDB::Options::CACHE_NONE);
    return options;
}

} // namespace

osg::ref_ptr<osg::Node> ModelCache::ReadFresh(const std::string& path) {
    osg::ref_ptr<osg::Node> node = osgDB::readRefNodeFile(path, UncachedOptions().get());
    if (!node)
        platform::Warn("scene", "cannot read the model file " + path);
    return node;
}

osg::ref_ptr<osg::Image> ModelCache::ReadImageFresh(const std::string& file) {
    if (file.empty())
        return nullptr;
    const std::string path = ResolvePath(file);
    osg::ref_ptr<osg::Image> image = osgDB::readRefImageFile(path, UncachedOptions().get());
    if (!image)
        platform::Warn("scene", "cannot read the picture " + path);
    return image;
}

osg::ref_ptr<osg::Node> ModelCache::MakeInstanceCopy(const osg::Node& original) {
    constexpr unsigned kShared
        = osg::CopyOp::DEEP_COPY_ARRAYS | osg::CopyOp::DEEP_COPY_PRIMITIVES | osg::CopyOp::DEEP_COPY_IMAGES;
    return static_cast<osg::Node*>(original.clone(osg::CopyOp(osg::CopyOp::DEEP_COPY_ALL & ~kShared)));
}

osg::ref_ptr<osg::Node> ModelCache::Load(const std::string& file, bool useCache) {
    if (file.empty())
        return nullptr;
    const std::string path = ResolvePath(file);
    if (!useCache)
        return ReadFresh(path);

    osg::ref_ptr<osg::Node> original;
    {
        // Reading under the lock keeps two threads from reading the same file
        // twice; models are small, so the wait is short.
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_originals.find(path);
        if (it != m_originals.end()) {
            original = it->second;
        } else {
            original = ReadFresh(path);
            if (!original)
                return nullptr;
            m_originals.emplace(path, original);
        }
    }
    // The original is never changed after it is cached, so copying it needs no lock.
    return MakeInstanceCopy(*original);
}

void ModelCache::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_originals.clear();
}

std::size_t ModelCache::Size() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_originals.size();
}

} // namespace scene
