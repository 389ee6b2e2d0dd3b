#include "simulation/PlaygroundFile.h"

#include "elements/CModel.h"
#include "platform/ProgramDir.h"
#include "platform/WholeFile.h"
#include "simulation/CTrigger.h"
#include "simulation/ModelAddress.h"
#include "valuedoc/XmlRpcException.h"
#include "valuedoc/XmlRpcItem.h"

#include <QByteArray>
#include <QTextCodec>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

using XmlRpc::XmlRpcItem;

namespace {

constexpr const char* kArrayNames[PlaygroundFile::ArrayCount]
    = { "Candle", "Wounded", "CTakenObj", "Slope", "Geometry", "Trigger", "CAlarm" };
constexpr int kArrayTypes[PlaygroundFile::ArrayCount] = { ModelTypeCandle, ModelTypeWounded,
    ModelTypeTakenObj, ModelTypeSlope, ModelTypeGeo, ModelTypeTrigger, ModelTypeAlarm };
constexpr const char* kFlagNames[4] = { "Astronaut", "RedAstronaut", "YellowAstronaut", "BlueAstronaut" };

bool HasScale(int array) {
    return array == PlaygroundFile::ArraySlope || array == PlaygroundFile::ArrayGeometry
        || array == PlaygroundFile::ArrayTrigger;
}

// Display names are stored in the classroom PCs' local code page.
QTextCodec* Gbk() {
    static QTextCodec* const codec = QTextCodec::codecForName("GBK");
    return codec;
}

const char* TypeName(int type) {
    switch (type) {
    case XmlRpcItem::TypeBoolean:
        return "a boolean";
    case XmlRpcItem::TypeInt:
        return "an int";
    case XmlRpcItem::TypeDouble:
        return "a double";
    case XmlRpcItem::TypeString:
        return "a string";
    case XmlRpcItem::TypeDateTime:
        return "a date";
    case XmlRpcItem::TypeBase64:
        return "base64 data";
    case XmlRpcItem::TypeArray:
        return "an array";
    case XmlRpcItem::TypeStruct:
        return "a struct";
    default:
        return "nothing";
    }
}

using Fault = PlaygroundFile::Fault;

// A member's place in the file's own words: `Trigger 3 "Score"`, or
// `"Rule2"` for one of the document's own.
std::string PlaceOf(const std::string& owner, const std::string& member) {
    const std::string quoted = "\"" + member + "\"";
    return owner.empty() ? quoted : owner + " " + quoted;
}

// Reads one struct's members by the layout, refusing a member of the wrong
// type. Messages name the place: "Trigger 3: \"Score\" is a string, not an int".
class MemberReader {
public:
    // owner: the struct's place ("Trigger 3"; empty for the document).
    MemberReader(const XmlRpcItem& item, std::string owner)
        : m_item(item)
        , m_owner(std::move(owner)) { }

    const std::string& Error() const { return m_error; }
    const PlaygroundFile::Refusal& Refused() const { return m_refusal; }
    bool Failed() const { return !m_error.empty(); }
    bool Has(const std::string& name) const { return m_item.FindMember(name) != nullptr; }

    int Int(const std::string& name, int absent = 0) {
        const XmlRpcItem* member = Typed(name, XmlRpcItem::TypeInt);
        return member ? static_cast<int&>(const_cast<XmlRpcItem&>(*member)) : absent;
    }
    double Double(const std::string& name, double absent) {
        const XmlRpcItem* member = Typed(name, XmlRpcItem::TypeDouble);
        return member ? static_cast<double&>(const_cast<XmlRpcItem&>(*member)) : absent;
    }
    // A double that the objects keep as a float, within limit either way.
    float Float(const std::string& name, float absent, double limit) {
        const double value = Double(name, absent);
        if (!Failed() && !(std::abs(value) <= limit))
            Fail(name, Fault::OutOfRange, "\"" + name + "\" is out of range");
        return Failed() ? absent : static_cast<float>(value);
    }
    std::string String(const std::string& name) {
        const XmlRpcItem* member = Typed(name, XmlRpcItem::TypeString);
        return member ? static_cast<std::string&>(const_cast<XmlRpcItem&>(*member)) : std::string();
    }
    void Fail(const std::string& member, Fault fault, const std::string& what) {
        if (!m_error.empty())
            return;
        m_error = (m_owner.empty() ? std::string() : m_owner + ": ") + what;
        m_refusal = { fault, PlaceOf(m_owner, member) };
    }

private:
    // The member when it is there with the type; null when it is absent, or
    // (with an error) of another type.
    const XmlRpcItem* Typed(const std::string& name, int type) {
        const XmlRpcItem* member = m_item.FindMember(name);
        if (!member || Failed())
            return nullptr;
        if (member->GetType() != type) {
            Fail(name, Fault::WrongType,
                "\"" + name + "\" is " + TypeName(member->GetType()) + ", not " + TypeName(type));
            return nullptr;
        }
        return member;
    }

    const XmlRpcItem& m_item;
    std::string m_owner;
    std::string m_error;
    PlaygroundFile::Refusal m_refusal;
};

bool ReadItem(const XmlRpcItem& value, int array, int index, PlaygroundFile::Item& item, std::string& error,
    PlaygroundFile::Refusal& refusal) {
    const std::string place = std::string(kArrayNames[array]) + " " + std::to_string(index);
    if (value.GetType() != XmlRpcItem::TypeStruct) {
        error = place + ": is " + TypeName(value.GetType()) + ", not a struct";
        refusal = { Fault::WrongType, place };
        return false;
    }
    MemberReader in(value, place);
    CModelDesc& desc = item.info.m_desc;
    CModelState& state = item.info.m_state;
    desc.m_nType = kArrayTypes[array];
    desc.m_strAddress = in.String("Name");
    if (!in.Failed() && !simulation::IsSafeModelAddress(desc.m_strAddress))
        in.Fail("Name", Fault::UnsafeAddress, simulation::UnsafeModelAddressReason(desc.m_strAddress));
    const double far = PlaygroundFile::kMaxCoordinate;
    state.m_vPos.set(in.Float("Position_x", 0.0f, far), in.Float("Position_y", 0.0f, far),
        in.Float("Position_z", 0.0f, far));
    state.m_qRot.set(in.Double("Quat_x", 0.0), in.Double("Quat_y", 0.0), in.Double("Quat_z", 0.0),
        in.Double("Quat_w", 0.0));
    state.m_mRot.makeRotate(state.m_qRot);
    if (HasScale(array)) {
        const double big = PlaygroundFile::kMaxScale;
        state.m_vScale.set(
            in.Float("Scale_x", 1.0f, big), in.Float("Scale_y", 1.0f, big), in.Float("Scale_z", 1.0f, big));
    }
    if (array == PlaygroundFile::ArrayGeometry) {
        const std::string name = in.String("N");
        state.m_strObjName = Gbk()->toUnicode(name.data(), int(name.size()));
        state.m_cTake = in.Int("Take") == 1 ? 1 : 0;
    }
    if (array == PlaygroundFile::ArrayTrigger) {
        desc.m_nSubType = in.Int("TriggerType");
        // Neither the builder nor the run could tell what such a zone does:
        // shown as some other kind it would be saved as that kind.
        if (!in.Failed() && (desc.m_nSubType < TriggerEnd || desc.m_nSubType > TriggerRescue))
            in.Fail("TriggerType", Fault::UnknownKind,
                "\"TriggerType\" is " + std::to_string(desc.m_nSubType) + ", no zone kind");
        state.m_nScore = in.Int("Score");
        state.m_nTriggerMode = in.Int("TriggerMode");
        for (int k = 0; k < 4; ++k)
            state.m_cFlag[k] = in.Int(kFlagNames[k]) == 1 ? 1 : 0;
        state.m_vecObjList.clear();
        if (desc.m_nSubType == TriggerDelivery) {
            // The count must be borne out by its entries: a wild count from a
            // damaged file must not drive the reading.
            const int count = in.Int("AssignL");
            int present = 0;
            while (present < value.Size() && in.Has("Assign" + std::to_string(present)))
                ++present;
            if (!in.Failed() && (count < 0 || count > present))
                in.Fail("AssignL", Fault::Assignments,
                    "\"AssignL\" is " + std::to_string(count) + " but there are " + std::to_string(present)
                        + " assignments");
            for (int n = 0; n < count && !in.Failed(); ++n)
                state.m_vecObjList.push_back(in.Int("Assign" + std::to_string(n)));
            state.m_cOnly = in.Int("Only") == 1 ? 1 : 0;
        }
    }
    item.hasId = in.Has("ID");
    item.id = in.Int("ID");
    error = in.Error();
    refusal = in.Refused();
    return !in.Failed();
}

void WriteItem(XmlRpcItem& out, int array, const PlaygroundFile::Item& item) {
    const CModelDesc& desc = item.info.m_desc;
    const CModelState& state = item.info.m_state;
    out.AssertStruct();
    static_cast<std::string&>(out["Name"]) = desc.m_strAddress;
    if (item.hasId)
        static_cast<int&>(out["ID"]) = item.id;
    static_cast<double&>(out["Position_x"]) = state.m_vPos.x();
    static_cast<double&>(out["Position_y"]) = state.m_vPos.y();
    static_cast<double&>(out["Position_z"]) = state.m_vPos.z();
    static_cast<double&>(out["Quat_x"]) = state.m_qRot.x();
    static_cast<double&>(out["Quat_y"]) = state.m_qRot.y();
    static_cast<double&>(out["Quat_z"]) = state.m_qRot.z();
    static_cast<double&>(out["Quat_w"]) = state.m_qRot.w();
    if (HasScale(array)) {
        static_cast<double&>(out["Scale_x"]) = state.m_vScale.x();
        static_cast<double&>(out["Scale_y"]) = state.m_vScale.y();
        static_cast<double&>(out["Scale_z"]) = state.m_vScale.z();
    }
    if (array == PlaygroundFile::ArrayGeometry) {
        const QByteArray name = Gbk()->fromUnicode(state.m_strObjName);
        static_cast<std::string&>(out["N"]) = name.toStdString();
        static_cast<int&>(out["Take"]) = state.m_cTake == 1 ? 1 : 0;
    }
    if (array == PlaygroundFile::ArrayTrigger) {
        static_cast<int&>(out["TriggerType"]) = desc.m_nSubType;
        static_cast<int&>(out["Score"]) = state.m_nScore;
        static_cast<int&>(out["TriggerMode"]) = state.m_nTriggerMode;
        for (int k = 0; k < 4; ++k)
            static_cast<int&>(out[kFlagNames[k]]) = state.m_cFlag[k] == 1 ? 1 : 0;
        if (desc.m_nSubType == TriggerDelivery) {
            static_cast<int&>(out["AssignL"]) = int(state.m_vecObjList.size());
            for (std::size_t n = 0; n < state.m_vecObjList.size(); ++n)
                static_cast<int&>(out["Assign" + std::to_string(n)]) = state.m_vecObjList[n];
            static_cast<int&>(out["Only"]) = state.m_cOnly == 1 ? 1 : 0;
        }
    }
}

} // namespace

const char* PlaygroundFile::ArrayName(int array) {
    return array >= 0 && array < ArrayCount ? kArrayNames[array] : "";
}

int PlaygroundFile::ArrayType(int array) {
    return array >= 0 && array < ArrayCount ? kArrayTypes[array] : -1;
}

int PlaygroundFile::ArrayOfType(int type) {
    for (int array = 0; array < ArrayCount; ++array) {
        if (kArrayTypes[array] == type)
            return array;
    }
    return -1;
}

bool PlaygroundFile::Add(const CModelInfo& info, int id) {
    const int array = ArrayOfType(info.m_desc.m_nType);
    if (array < 0)
        return false;
    Item item;
    item.info = info;
    item.id = id;
    item.hasId = true;
    arrays[std::size_t(array)].push_back(item);
    return true;
}

int PlaygroundFile::ObjectCount() const {
    std::size_t count = 0;
    for (const std::vector<Item>& items : arrays)
        count += items.size();
    return int(count);
}

void PlaygroundFile::CleanAssignments() {
    std::set<int> models;
    for (const Item& item : arrays[ArrayGeometry]) {
        if (item.hasId)
            models.insert(item.id);
    }
    for (Item& item : arrays[ArrayTrigger]) {
        if (item.info.m_desc.m_nSubType != TriggerDelivery)
            continue;
        std::vector<int>& ids = item.info.m_state.m_vecObjList;
        std::erase_if(ids, [&](int id) { return !models.contains(id); });
    }
}

bool PlaygroundFile::FromXml(const std::string& text, std::string& error, Refusal* refusal) {
    Refusal why;
    const bool read = Read(text, error, why);
    if (refusal)
        *refusal = read ? Refusal() : why;
    return read;
}

bool PlaygroundFile::Read(const std::string& text, std::string& error, Refusal& refusal) {
    XmlRpcItem document;
    int offset = 0;
    if (!document.FromXml(text, offset)) {
        error = "the text is no structured-value document, or a damaged one";
        refusal = { Fault::NotAPlayground, {} };
        return false;
    }
    if (document.GetType() != XmlRpcItem::TypeStruct) {
        error = std::string("the document is ") + TypeName(document.GetType()) + ", not a struct";
        refusal = { Fault::NotAPlayground, {} };
        return false;
    }
    PlaygroundFile read;
    try {
        MemberReader top(document, "");
        if (top.Has("Image"))
            read.image = top.String("Image");
        for (int n = 0; !top.Failed() && n < document.Size() && top.Has("Rule" + std::to_string(n)); ++n)
            read.rules.push_back(top.Int("Rule" + std::to_string(n)));
        if (top.Failed()) {
            error = top.Error();
            refusal = top.Refused();
            return false;
        }
        std::size_t objects = 0;
        for (int array = 0; array < ArrayCount; ++array) {
            const XmlRpcItem* items = document.FindMember(kArrayNames[array]);
            if (!items)
                continue;
            if (items->GetType() != XmlRpcItem::TypeArray) {
                error = std::string("\"") + kArrayNames[array] + "\" is " + TypeName(items->GetType())
                    + ", not an array";
                refusal = { Fault::WrongType, PlaceOf("", kArrayNames[array]) };
                return false;
            }
            const int size = items->Size();
            objects += std::size_t(size);
            if (objects > std::size_t(kMaxObjects)) {
                error = "more than " + std::to_string(kMaxObjects) + " objects";
                refusal = { Fault::TooManyObjects, {} };
                return false;
            }
            XmlRpcItem& list = const_cast<XmlRpcItem&>(*items);
            for (int i = 0; i < size; ++i) {
                Item item;
                if (!ReadItem(list[i], array, i, item, error, refusal))
                    return false;
                read.arrays[std::size_t(array)].push_back(std::move(item));
            }
        }
    } catch (const XmlRpc::XmlRpcException& e) {
        // The checks above look at every type first; this only guards them.
        error = "the document is damaged: " + e.GetMessage();
        refusal = { Fault::NotAPlayground, {} };
        return false;
    }
    *this = std::move(read);
    return true;
}

std::string PlaygroundFile::ToXml() const {
    XmlRpcItem document;
    document.AssertStruct();
    if (image)
        static_cast<std::string&>(document["Image"]) = *image;
    for (std::size_t n = 0; n < rules.size(); ++n)
        static_cast<int&>(document["Rule" + std::to_string(n)]) = rules[n];
    for (int array = 0; array < ArrayCount; ++array) {
        const std::vector<Item>& items = arrays[std::size_t(array)];
        if (items.empty())
            continue;
        XmlRpcItem& list = document[kArrayNames[array]];
        list.AssertArray(int(items.size()));
        for (std::size_t i = 0; i < items.size(); ++i)
            WriteItem(list[int(i)], array, items[i]);
    }
    return document.ToXml();
}

namespace {

// The whole file, when it can be read and is no larger than limit.
bool ReadWhole(const std::string& path, std::uintmax_t limit, std::string& text, std::string& error,
    PlaygroundFile::Fault& fault, int* systemError = nullptr) {
    const std::filesystem::path file = platform::InProgramDir(path);
    std::error_code failure;
    const std::uintmax_t size = std::filesystem::file_size(file, failure);
    fault = Fault::Unreadable;
    if (failure) {
        error = "cannot read " + path + ": " + failure.message();
        if (systemError)
            *systemError = failure.value();
        return false;
    }
    if (size > limit) {
        error = path + " is larger than " + std::to_string(limit >> 20) + " MiB";
        fault = Fault::TooLarge;
        if (systemError)
            *systemError = EFBIG;
        return false;
    }
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    text.assign(static_cast<std::size_t>(size), '\0');
    if (!in || !in.read(text.data(), std::streamsize(text.size()))
        || in.peek() != std::ifstream::traits_type::eof()) {
        error = "cannot read " + path + " whole";
        if (systemError)
            *systemError = errno != 0 ? errno : EIO;
        return false;
    }
    fault = Fault::None;
    return true;
}

} // namespace

PlaygroundFile::Refusal PlaygroundFile::PictureRefusal(
    const GroundPicture::Check& check, std::string& error) {
    const std::string size = std::to_string(check.width) + " x " + std::to_string(check.height);
    switch (check.fault) {
    case GroundPicture::Fault::None:
        break;
    case GroundPicture::Fault::NoPicture:
    case GroundPicture::Fault::Unreadable:
        error = "its ground picture is no picture a ground can show";
        return { Fault::NoPicture, {} };
    case GroundPicture::Fault::WrongSize:
        error = "its ground picture is " + size + " pixels, not " + std::to_string(GroundPicture::kSide)
            + " x " + std::to_string(GroundPicture::kSide);
        return { Fault::PictureSize, size };
    case GroundPicture::Fault::NotStored:
        error = "the working copy of its ground picture cannot be written: "
            + platform::SystemReason(check.systemError);
        return { Fault::PictureNotStored, platform::SystemReason(check.systemError) };
    }
    return {};
}

bool PlaygroundFile::TakeImage(const std::string& pictureFile, std::string& error, int* systemError) {
    std::string bytes;
    Fault ignored;
    if (!ReadWhole(pictureFile, kMaxFileSize, bytes, error, ignored, systemError))
        return false;
    image = std::move(bytes);
    return true;
}

bool PlaygroundFile::Load(const std::string& path, std::string& error, Refusal* refusal) {
    std::string text;
    Refusal why;
    if (!ReadWhole(path, kMaxFileSize, text, error, why.fault)) {
        if (refusal)
            *refusal = why;
        return false;
    }
    if (!FromXml(text, error, refusal)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool PlaygroundFile::Save(const std::string& path, std::string& error, int* systemError) const {
    if (systemError)
        *systemError = 0;
    std::string text;
    try {
        text = ToXml();
    } catch (const XmlRpc::XmlRpcException& e) {
        error = "cannot write " + path + ": " + e.GetMessage();
        if (systemError)
            *systemError = EINVAL;
        return false;
    }
    if (const int failure = platform::WriteWholeFile(platform::InProgramDir(path), text)) {
        error = "cannot write " + path + ": " + platform::SystemReason(failure);
        if (systemError)
            *systemError = failure;
        return false;
    }
    return true;
}
