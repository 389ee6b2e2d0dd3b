#pragma once

#include "ModelSpec.h"

#include <osg/Node>
#include <osg/ref_ptr>

#include <filesystem>

// The scene graph of a model as the system loads it (see Layout for what
// each kind of model promises about its nodes).
osg::ref_ptr<osg::Node> BuildModelNode(const ModelSpec& spec);

// Writes the model to programDir / its address; false (with a line on
// standard error) when it cannot be written.
bool WriteModelFile(const ModelSpec& spec, const std::filesystem::path& programDir);
