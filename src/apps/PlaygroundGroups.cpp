#include "apps/PlaygroundGroups.h"

#include "apps/AppsLog.h"
#include "simulation/PlaygroundFile.h"

#include <tinyxml.h>

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

namespace {

std::string_view Trimmed(const char* text) {
    std::string_view s(text);
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// Numbers are read the same in every locale.
template <typename T> bool Parse(const char* text, T& value) {
    const std::string_view s = Trimmed(text);
    T parsed {};
    const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), parsed);
    if (error != std::errc() || end != s.data() + s.size() || s.empty())
        return false;
    value = parsed;
    return true;
}

class ObjectReader {
public:
    ObjectReader(const TiXmlElement& e, int group, int index)
        : m_element(e)
        , m_group(group)
        , m_index(index) { }

    bool Ok() const { return m_ok; }

    int Int(const char* name, int absent) {
        int value = absent;
        const char* text = m_element.Attribute(name);
        if (text && !Parse(text, value))
            Refuse(name, text);
        return value;
    }
    // A double stored as a float, finite and within limit either way.
    float Float(const char* name, double absent, double limit) {
        double value = absent;
        const char* text = m_element.Attribute(name);
        if (text && (!Parse(text, value) || !std::isfinite(value) || std::fabs(value) > limit)) {
            Refuse(name, text);
            return float(absent);
        }
        return float(value);
    }

private:
    void Refuse(const char* name, const char* text) {
        if (m_ok)
            qCWarning(lcApps).noquote()
                << QString("object group %1, object %2: \"%3\" is \"%4\"; the object is left out")
                       .arg(m_group)
                       .arg(m_index)
                       .arg(name, QString::fromUtf8(text));
        m_ok = false;
    }

    const TiXmlElement& m_element;
    int m_group;
    int m_index;
    bool m_ok = true;
};

} // namespace

bool ReadObjectGroup(const TiXmlElement* library, int n, std::vector<CModelInfo>& records) {
    records.clear();
    if (!library)
        return false;
    const std::string name = "group" + std::to_string(n);
    const TiXmlElement* group = library->FirstChildElement(name.c_str());
    const TiXmlElement* first = group ? group->FirstChildElement("obj") : nullptr;
    if (!first)
        return false;
    const double far = PlaygroundFile::kMaxCoordinate;
    const double big = PlaygroundFile::kMaxScale;
    int type = 0;
    int index = 0;
    for (const TiXmlElement* e = first; e; e = e->NextSiblingElement(), ++index) {
        ObjectReader in(*e, n, index);
        type = in.Int("type", type);
        const char* address = e->Attribute("address");
        if (!address || !*address)
            continue;
        CModelInfo record;
        record.m_desc.m_strAddress = address;
        record.m_desc.m_nType = type;
        record.m_desc.m_nSubType = in.Int("trigger", 0);
        CModelState& state = record.m_state;
        state.m_vScale.set(in.Float("s_x", 1.0, big), in.Float("s_y", 1.0, big), in.Float("s_z", 1.0, big));
        state.m_vPos.set(in.Float("x", 0.0, far), in.Float("y", 0.0, far), in.Float("z", 0.0, far));
        state.m_qRot.set(in.Float("q_x", 0.0, far), in.Float("q_y", 0.0, far), in.Float("q_z", 0.0, far),
            in.Float("q_w", 0.0, far));
        if (state.m_qRot.length2() == 0.0)
            state.m_qRot = osg::Quat();
        state.m_mRot.makeRotate(state.m_qRot);
        state.m_nTriggerMode = in.Int("triggermode", 0);
        state.m_nScore = in.Int("score", 0);
        if (in.Ok())
            records.push_back(std::move(record));
    }
    return true;
}
