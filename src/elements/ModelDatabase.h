#pragma once

#include "elements/CModelDesc.h"
#include "elements/CPoint.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CConfig;
class TiXmlElement;

// What the set-up file says of one model: its collision boxes and its
// connection points as read (before grid points are laid out).
struct ModelEntry {
    std::vector<SBoxDesc> boxes;
    std::vector<CPoint> points;
};

// The model database: the "obj" entries of the set-up file's "set_up"
// section, each read once, by model address. It is filled when it is made
// and never changes after, so any thread may read it.
//
// Entries are read leniently, as the set-up file is installation data that a
// teacher may edit: attributes that are missing or out of range take their
// defaults and corrections. What cannot be read soundly is reported, one line
// each: a "box" without a "center" or three "p" elements, or with a number
// that is not finite, is left out; so is a "point" with a number that is not
// finite; a grid larger than kMaxGrid cells a side is cut to kMaxGrid.
// Reports go to the given function, or else to the "elements" warning.
class ModelDatabase {
public:
    // Grids above this many cells a side are cut to it, keeping a typing
    // slip in the set-up file from laying out millions of points.
    static constexpr int kMaxGrid = 64;

    using Report = std::function<void(const std::string&)>;

    ModelDatabase() = default;
    // setUp is the "set_up" element (null gives an empty database). For each
    // address the first entry counts, as for CConfig::FindSetUpObj.
    // pointKindCount is the number of point kinds the reader accepts.
    ModelDatabase(const TiXmlElement* setUp, int pointKindCount, const Report& report = {});

    // Over the configuration's set-up file.
    static ModelDatabase FromConfig(const CConfig& config, const Report& report = {});

    // The entry of a model address; null when the set-up file has none.
    const ModelEntry* Find(const std::string& address) const;
    std::size_t Size() const { return m_entries.size(); }

    // One "point" element as the table of defaults and corrections reads it;
    // false (with the reason) when a number in it is not finite.
    static bool ReadPoint(
        const TiXmlElement& node, int pointKindCount, CPoint& point, std::string* problem = nullptr);
    // One "box" element; false (with the reason) when it lacks its "center"
    // or three "p" elements or holds a number that is not finite.
    static bool ReadBox(const TiXmlElement& node, SBoxDesc& box, std::string* problem = nullptr);

private:
    std::map<std::string, ModelEntry> m_entries;
};
