#pragma once

#include "elements/CGround.h"

// The robot builder's floor: a see-through ground with a square grid of
// black lines, the spacing apart, from the negative edges on.
class Nets : public CGround {
public:
    // A spacing that is not a positive number, or that would draw more than
    // kMaxLines lines a way, draws no lines.
    Nets(float halfWidth, float halfLength, float spacing);

    static constexpr int kMaxLines = 10000;

    osg::Geometry* GetLinesAlongY() const { return m_pLinesX.get(); }
    osg::Geometry* GetLinesAlongX() const { return m_pLinesY.get(); }

protected:
    ~Nets() override = default;

private:
    // Lines of constant x, then lines of constant y.
    osg::ref_ptr<osg::Geometry> m_pLinesX;
    osg::ref_ptr<osg::Geometry> m_pLinesY;
};
