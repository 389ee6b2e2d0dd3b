#pragma once

#include "Mesh.h"

#include <QImage>

#include <osg/Vec4d>

#include <vector>

// Draws a model's pieces into a small picture for the builders' part bars:
// a fixed view from above, right and in front (+x, +y, +z, where sensors
// look), with a fixed light. It is our own small z-buffer rasteriser with
// supersampling, so the same meshes give the same pixels on every build and
// no window system or graphics driver is involved.
class IconRenderer {
public:
    struct Item {
        Mesh mesh;
        osg::Vec4d colour;
    };

    explicit IconRenderer(int size = 60, int supersample = 4);

    QImage Render(const std::vector<Item>& items) const;

private:
    int m_nSize;
    int m_nSupersample;
};
