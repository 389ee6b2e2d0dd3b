// The set-up file's object groups, whatever a teacher wrote there: reading a
// group never fails badly, and every object it takes has a model address and
// numbers the builder can place (finite, within a playground file's range).

#include "FuzzCheck.h"
#include "apps/PlaygroundGroups.h"
#include "simulation/PlaygroundFile.h"

#include <tinyxml.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

using fuzzsupport::Check;

namespace {

bool Within(const osg::Vec3f& v, double limit) {
    for (int i = 0; i < 3; ++i) {
        if (!std::isfinite(v[i]) || std::fabs(v[i]) > limit)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TiXmlDocument document;
    document.Parse(text.c_str());
    const TiXmlElement* library = document.Error() ? nullptr : document.RootElement();
    for (int n = -1; n <= 3; ++n) {
        std::vector<CModelInfo> records;
        if (!ReadObjectGroup(library, n, records)) {
            Check(records.empty(), "a group that is not there gave objects");
            continue;
        }
        for (const CModelInfo& record : records) {
            Check(!record.m_desc.m_strAddress.empty(), "an object without a model address");
            Check(Within(record.m_state.m_vPos, PlaygroundFile::kMaxCoordinate), "a position out of range");
            Check(Within(record.m_state.m_vScale, PlaygroundFile::kMaxScale), "a size out of range");
            const osg::Quat& q = record.m_state.m_qRot;
            Check(std::isfinite(q.length()) && q.length() > 0.0, "a rotation that turns nowhere");
        }
    }
    return 0;
}
