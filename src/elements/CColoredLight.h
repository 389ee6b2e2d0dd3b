#pragma once

#include "elements/CModel.h"

#include <osg/Material>
#include <osg/StateSet>
#include <osg/Vec4>
#include <osg/ref_ptr>

// A coloured light: a part whose lamp shows the colour that the robot
// program switches it to, and its own look again for colour 0.
class CColoredLight : public CModel {
public:
    CColoredLight(PartContextPtr context, const std::string& address);

    // 0 the lamp's own look, 1 red, 2 green, 3 blue, 4 yellow, 5 magenta,
    // 6 cyan, 7 white; any other index (0, 0, 0, 0).
    static osg::Vec4 ColorOf(int index);

    int GetColorIndex() const { return m_nColor; }
    void SetColorIndex(int index) { m_nColor = index; }
    // Shows the colour index on the lamp. A light on no port never changes.
    // A model without the lamp node shows nothing (and is looked at again
    // at the next call).
    void ApplyColor();

    // The lamp's state set; null until a colour was first applied.
    osg::StateSet* GetLampState() const { return m_pLampState.get(); }

protected:
    ~CColoredLight() override = default;

private:
    void Paint(const osg::Vec4& colour);

    int m_nColor = 0;
    osg::ref_ptr<osg::Material> m_pSavedMaterial;
    osg::ref_ptr<osg::Material> m_pMaterial;
    osg::ref_ptr<osg::StateSet> m_pLampState;
};
