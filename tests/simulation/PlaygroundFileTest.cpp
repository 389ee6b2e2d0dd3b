#include "simulation/PlaygroundFile.h"

#include "elements/CModel.h"
#include "simulation/GroundPicture.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>

namespace {

using Item = PlaygroundFile::Item;

Item MakeItem(int type, const std::string& address, int id) {
    Item item;
    item.info.m_desc.m_nType = type;
    item.info.m_desc.m_strAddress = address;
    item.id = id;
    item.hasId = true;
    return item;
}

std::string Member(const std::string& name, const std::string& value) {
    return "<member><name>" + name + "</name>" + value + "</member>";
}
std::string Int(int v) {
    return "<value><i4>" + std::to_string(v) + "</i4></value>";
}
std::string Double(const std::string& text) {
    return "<value><double>" + text + "</double></value>";
}
std::string String(const std::string& text) {
    return "<value>" + text + "</value>";
}
std::string Struct(const std::string& members) {
    return "<value><struct>" + members + "</struct></value>";
}
std::string Array(const std::string& values) {
    return "<value><array><data>" + values + "</data></array></value>";
}

// The members of a plain item at the origin, unturned, in name order.
std::string PlainItem(const std::string& extra = "", const std::string& name = "models/playground/cube.ive") {
    return Member("ID", Int(1)) + Member("Name", String(name)) + Member("Position_x", Double("0"))
        + Member("Position_y", Double("0")) + Member("Position_z", Double("0"))
        + Member("Quat_w", Double("1")) + Member("Quat_x", Double("0")) + Member("Quat_y", Double("0"))
        + Member("Quat_z", Double("0")) + extra;
}

std::string Refusal(const std::string& text) {
    PlaygroundFile file;
    file.rules = { 42 };
    std::string error;
    EXPECT_FALSE(file.FromXml(text, error));
    EXPECT_EQ(file.rules, std::vector<int> { 42 }) << "a refused file changes nothing";
    EXPECT_FALSE(error.empty());
    return error;
}

} // namespace

// The layout, byte for byte: one struct, members in name order, no blanks;
// ints as i4, doubles with six decimals, strings untagged and entity-encoded,
// the picture's bytes as they are (a NUL among them); an array only for a
// kind that has objects; the ID only where the object has one.
TEST(PlaygroundFile, WritesTheDocumentByteForByte) {
    PlaygroundFile file;
    file.image = std::string("\x89PNG\0<&>", 8);
    file.rules = { 3, -1 };
    Item candle = MakeItem(ModelTypeCandle, "models/playground/candle.ive", 7);
    candle.info.m_state.m_vPos.set(1.5f, -2.0f, 0.25f);
    candle.info.m_state.m_vScale.set(9, 9, 9);
    file.arrays[PlaygroundFile::ArrayCandle].push_back(candle);
    Item zone = MakeItem(ModelTypeTrigger, "models/trigger/delivery.ive", 0);
    zone.hasId = false;
    zone.info.m_desc.m_nSubType = 5;
    zone.info.m_state.m_qRot.set(0, 0, 0.5, 0.75);
    zone.info.m_state.m_vScale.set(40, 30, 1);
    zone.info.m_state.m_nScore = -5;
    zone.info.m_state.m_nTriggerMode = 1;
    zone.info.m_state.m_cFlag[2] = 1;
    zone.info.m_state.m_vecObjList = { 4, 4 };
    zone.info.m_state.m_cOnly = 1;
    file.arrays[PlaygroundFile::ArrayTrigger].push_back(zone);

    const std::string expected = Struct(
        Member("Candle",
            Array(Struct(Member("ID", Int(7)) + Member("Name", String("models/playground/candle.ive"))
                + Member("Position_x", Double("1.500000")) + Member("Position_y", Double("-2.000000"))
                + Member("Position_z", Double("0.250000")) + Member("Quat_w", Double("1.000000"))
                + Member("Quat_x", Double("0.000000")) + Member("Quat_y", Double("0.000000"))
                + Member("Quat_z", Double("0.000000")))))
        + Member("Image", String(std::string("\x89PNG\0&lt;&amp;&gt;", 18))) + Member("Rule0", Int(3))
        + Member("Rule1", Int(-1))
        + Member("Trigger",
            Array(Struct(Member("Assign0", Int(4)) + Member("Assign1", Int(4)) + Member("AssignL", Int(2))
                + Member("Astronaut", Int(0)) + Member("BlueAstronaut", Int(0))
                + Member("Name", String("models/trigger/delivery.ive")) + Member("Only", Int(1))
                + Member("Position_x", Double("0.000000")) + Member("Position_y", Double("0.000000"))
                + Member("Position_z", Double("0.000000")) + Member("Quat_w", Double("0.750000"))
                + Member("Quat_x", Double("0.000000")) + Member("Quat_y", Double("0.000000"))
                + Member("Quat_z", Double("0.500000")) + Member("RedAstronaut", Int(0))
                + Member("Scale_x", Double("40.000000")) + Member("Scale_y", Double("30.000000"))
                + Member("Scale_z", Double("1.000000")) + Member("Score", Int(-5))
                + Member("TriggerMode", Int(1)) + Member("TriggerType", Int(5))
                + Member("YellowAstronaut", Int(1))))));
    EXPECT_EQ(file.ToXml(), expected);
}

// Every kind, every trigger kind and every member reads back as written, and
// what was read writes the same bytes again. The display name is stored in
// the classroom's GBK code page.
TEST(PlaygroundFile, EveryKindReadsBackAsWrittenAndWritesTheSameBytes) {
    PlaygroundFile file;
    file.image = std::string("  picture\0bytes\xff", 16);
    file.rules = { 5, 10, 0, 2 };
    int id = 0;
    for (int array = 0; array < PlaygroundFile::ArrayCount; ++array) {
        const int kinds = array == PlaygroundFile::ArrayTrigger ? 7 : 1;
        for (int kind = 0; kind < kinds; ++kind) {
            Item item
                = MakeItem(PlaygroundFile::ArrayType(array), "models/x/" + std::to_string(id) + ".ive", id);
            CModelState& s = item.info.m_state;
            s.m_vPos.set(10.5f * id, -3.25f, 0.125f);
            s.m_qRot.set(0, 0, 0.6, 0.8);
            s.m_vScale.set(2, 3, 4);
            s.m_strObjName = QString::fromUtf8("机器人");
            s.m_cTake = 1;
            item.info.m_desc.m_nSubType = kind;
            s.m_nScore = 7 - kind;
            s.m_nTriggerMode = kind % 3;
            s.m_cFlag[kind % 4] = 1;
            s.m_vecObjList = { 1, 2, 3 };
            s.m_cOnly = 1;
            file.arrays[std::size_t(array)].push_back(item);
            ++id;
        }
    }
    const std::string text = file.ToXml();
    EXPECT_NE(text.find(Member("N", String("\xBB\xFA\xC6\xF7\xC8\xCB"))), std::string::npos);

    PlaygroundFile read;
    std::string error;
    ASSERT_TRUE(read.FromXml(text, error)) << error;
    EXPECT_EQ(read.image, file.image);
    EXPECT_EQ(read.rules, file.rules);
    for (int array = 0; array < PlaygroundFile::ArrayCount; ++array) {
        const std::vector<Item>& written = file.arrays[std::size_t(array)];
        const std::vector<Item>& got = read.arrays[std::size_t(array)];
        ASSERT_EQ(got.size(), written.size()) << PlaygroundFile::ArrayName(array);
        for (std::size_t i = 0; i < got.size(); ++i) {
            SCOPED_TRACE(got[i].info.m_desc.m_strAddress);
            const CModelState& a = got[i].info.m_state;
            const CModelState& b = written[i].info.m_state;
            const bool trigger = array == PlaygroundFile::ArrayTrigger;
            const bool scaled
                = trigger || array == PlaygroundFile::ArraySlope || array == PlaygroundFile::ArrayGeometry;
            EXPECT_EQ(got[i].info.m_desc.m_strAddress, written[i].info.m_desc.m_strAddress);
            EXPECT_EQ(got[i].info.m_desc.m_nType, PlaygroundFile::ArrayType(array));
            EXPECT_EQ(got[i].id, written[i].id);
            EXPECT_TRUE(got[i].hasId);
            EXPECT_EQ(a.m_vPos, b.m_vPos);
            EXPECT_EQ(a.m_qRot, b.m_qRot);
            EXPECT_EQ(a.m_vScale, scaled ? b.m_vScale : osg::Vec3f(1, 1, 1));
            EXPECT_EQ(a.m_strObjName, array == PlaygroundFile::ArrayGeometry ? b.m_strObjName : QString());
            EXPECT_EQ(a.m_cTake, array == PlaygroundFile::ArrayGeometry ? 1 : 0);
            EXPECT_EQ(got[i].info.m_desc.m_nSubType, trigger ? written[i].info.m_desc.m_nSubType : 0);
            if (trigger) {
                EXPECT_EQ(a.m_nScore, b.m_nScore);
                EXPECT_EQ(a.m_nTriggerMode, b.m_nTriggerMode);
                for (int k = 0; k < 4; ++k)
                    EXPECT_EQ(a.m_cFlag[k], b.m_cFlag[k]);
                const bool delivery = written[i].info.m_desc.m_nSubType == 5;
                EXPECT_EQ(a.m_vecObjList, delivery ? b.m_vecObjList : std::vector<int>());
                EXPECT_EQ(a.m_cOnly, delivery ? 1 : 0);
            }
        }
    }
    EXPECT_EQ(read.ToXml(), text);
}

// What readers make of members a file leaves out or sets oddly: rules stop
// at the first missing number; a flag is set only by 1; an item without an
// ID has none; missing ints read 0, missing scales 1; a candle's scale
// members are not read.
TEST(PlaygroundFile, ReadsWhatTheLayoutSaysOfMissingAndOddMembers) {
    const std::string text = Struct(Member("Candle",
                                        Array(Struct(PlainItem(Member("Scale_x", Double("5"))))
                                            + Struct(Member("Name", String("models/playground/candle.ive")))))
        + Member("Geometry", Array(Struct(PlainItem(Member("Take", Int(2)))))) + Member("Rule0", Int(1))
        + Member("Rule1", Int(2)) + Member("Rule2", Int(3)) + Member("Rule4", Int(5))
        + Member("Trigger",
            Array(Struct(PlainItem(Member("Astronaut", Int(2)) + Member("TriggerType", Int(2)))))));
    PlaygroundFile file;
    std::string error;
    ASSERT_TRUE(file.FromXml(text, error)) << error;
    EXPECT_EQ(file.rules, (std::vector<int> { 1, 2, 3 }));
    ASSERT_EQ(file.arrays[PlaygroundFile::ArrayCandle].size(), 2u);
    EXPECT_EQ(file.arrays[PlaygroundFile::ArrayCandle][0].info.m_state.m_vScale, osg::Vec3f(1, 1, 1));
    const Item& bare = file.arrays[PlaygroundFile::ArrayCandle][1];
    EXPECT_FALSE(bare.hasId);
    EXPECT_EQ(bare.info.m_state.m_qRot, osg::Quat(0, 0, 0, 0));
    EXPECT_EQ(file.arrays[PlaygroundFile::ArrayGeometry][0].info.m_state.m_cTake, 0);
    const CModelState& zone = file.arrays[PlaygroundFile::ArrayTrigger][0].info.m_state;
    EXPECT_EQ(zone.m_cFlag[0], 0);
    EXPECT_EQ(zone.m_nScore, 0);
    EXPECT_EQ(zone.m_vScale, osg::Vec3f(1, 1, 1));
}

// A damaged file is refused whole, with a message that says where, and
// nothing of it is taken: members of the wrong type, numbers beyond a float,
// model addresses that leave the program folder, an assignment count the
// entries do not bear out (however large), a zone of unknown kind, too many
// objects.
TEST(PlaygroundFile, RefusesDamagedDocumentsWithAClearMessage) {
    EXPECT_EQ(Refusal("<value><i4>1</i4></value>"), "the document is an int, not a struct");
    EXPECT_EQ(Refusal("not a document"), "the text is no structured-value document, or a damaged one");
    EXPECT_EQ(Refusal(Struct(Member("Slope", Int(3)))), "\"Slope\" is an int, not an array");
    EXPECT_EQ(Refusal(Struct(Member("Image", Int(3)))), "\"Image\" is an int, not a string");
    EXPECT_EQ(Refusal(Struct(Member("Rule0", String("7")))), "\"Rule0\" is a string, not an int");
    EXPECT_EQ(Refusal(Struct(Member("CAlarm", Array(Int(1))))), "CAlarm 0: is an int, not a struct");
    EXPECT_EQ(
        Refusal(Struct(Member("Wounded", Array(Struct(PlainItem()) + Struct(Member("Position_y", Int(2))))))),
        "Wounded 1: \"Position_y\" is an int, not a double");
    EXPECT_EQ(Refusal(Struct(Member("Geometry", Array(Struct(Member("Position_z", Double("1e39"))))))),
        "Geometry 0: \"Position_z\" is out of range");
    EXPECT_EQ(Refusal(Struct(Member("Slope", Array(Struct(Member("Scale_x", Double("-10000.01"))))))),
        "Slope 0: \"Scale_x\" is out of range");
    EXPECT_EQ(Refusal(Struct(Member("CAlarm", Array(Struct(Member("Position_y", Double("1000000.1"))))))),
        "CAlarm 0: \"Position_y\" is out of range");
    EXPECT_EQ(Refusal(Struct(Member("Geometry", Array(Struct(Member("N", Double("1"))))))),
        "Geometry 0: \"N\" is a double, not a string");
    for (const char* address :
        { "../models/x.ive", "models/../../x.ive", "/etc/passwd", "C:/x.ive", "models\\..\\..\\x" })
        EXPECT_EQ(Refusal(Struct(Member("Slope", Array(Struct(PlainItem("", address)))))),
            std::string("Slope 0: the model address \"") + address + "\" leaves the program folder");
    // Zone kinds run from 0 (end) to 6 (rescue).
    EXPECT_EQ(Refusal(Struct(Member("Trigger", Array(Struct(Member("TriggerType", Int(7))))))),
        "Trigger 0: \"TriggerType\" is 7, no zone kind");
    EXPECT_EQ(Refusal(Struct(Member("Trigger", Array(Struct(Member("TriggerType", Int(-1))))))),
        "Trigger 0: \"TriggerType\" is -1, no zone kind");
    const std::string delivery = Member("TriggerType", Int(5)) + Member("Assign0", Int(3));
    EXPECT_EQ(
        Refusal(Struct(Member("Trigger", Array(Struct(delivery + Member("AssignL", Int(2147483647))))))),
        "Trigger 0: \"AssignL\" is 2147483647 but there are 1 assignments");
    EXPECT_EQ(Refusal(Struct(Member("Trigger", Array(Struct(delivery + Member("AssignL", Int(-1))))))),
        "Trigger 0: \"AssignL\" is -1 but there are 1 assignments");
    EXPECT_EQ(Refusal(Struct(Member("Trigger", Array(Struct(delivery + Member("AssignL", Int(2))))))),
        "Trigger 0: \"AssignL\" is 2 but there are 1 assignments");
    std::string many;
    for (int i = 0; i < 10000; ++i)
        many += "<value><struct></struct></value>";
    PlaygroundFile full;
    std::string fullError;
    EXPECT_TRUE(full.FromXml(Struct(Member("CTakenObj", Array(many))), fullError))
        << "10,000 objects were refused: " << fullError;
    EXPECT_EQ(full.ObjectCount(), 10000);
    many += "<value><struct></struct></value>";
    EXPECT_EQ(Refusal(Struct(Member("CTakenObj", Array(many)))), "more than 10000 objects");
}

// Saving goes through a temporary file: a save that cannot be written whole
// (here: the file-size limit is reached) fails, leaves the old file as it
// was and leaves nothing else behind. Too large a file is refused unread.
TEST(PlaygroundFile, SaveIsWholeOrNothingAndLoadRefusesHugeFiles) {
    testsupport::TempDir dir;
    const std::string path = (dir.path() / "my.pla").string();
    PlaygroundFile small;
    small.rules = { 1 };
    std::string error;
    ASSERT_TRUE(small.Save(path, error)) << error;
    PlaygroundFile loaded;
    ASSERT_TRUE(loaded.Load(path, error)) << error;
    EXPECT_EQ(loaded.rules, small.rules);

    PlaygroundFile big;
    big.image = std::string(100000, 'x');
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old;
    limit.rlim_cur = 50000;
    setrlimit(RLIMIT_FSIZE, &limit);
    const bool saved = big.Save(path, error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_EQ(dir.read("my.pla").toStdString(), small.ToXml());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    // A file small enough for a write buffer, over which a disk with room
    // for 10 bytes more reports no room only when the last bytes go out.
    PlaygroundFile more = small;
    more.rules = { 1, 2, 3, 4, 5, 6, 7, 8 };
    {
        const testsupport::FileSizeLimit full(small.ToXml().size() + 10);
        int systemError = 0;
        EXPECT_FALSE(more.Save(path, error, &systemError));
        EXPECT_EQ(systemError, EFBIG);
    }
    EXPECT_EQ(dir.read("my.pla").toStdString(), small.ToXml());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    EXPECT_FALSE(small.Save((dir.path() / "missing" / "x.pla").string(), error));

    const std::filesystem::path huge = dir.path() / "huge.pla";
    dir.write("huge.pla", "");
    std::filesystem::resize_file(huge, PlaygroundFile::kMaxFileSize + 1);
    EXPECT_FALSE(loaded.Load(huge.string(), error));
    EXPECT_EQ(error, huge.string() + " is larger than 64 MiB");
    EXPECT_FALSE(loaded.Load((dir.path() / "none.pla").string(), error));
    EXPECT_EQ(loaded.rules, small.rules);

    // A picture that cannot be read is reported, not dropped from the file.
    dir.write("ground.png", QByteArray("\x89PNG\0bytes", 10));
    ASSERT_TRUE(small.TakeImage((dir.path() / "ground.png").string(), error)) << error;
    EXPECT_EQ(small.image, std::string("\x89PNG\0bytes", 10));
    EXPECT_FALSE(small.TakeImage((dir.path() / "gone.png").string(), error));
    EXPECT_NE(error.find("cannot read"), std::string::npos);
    EXPECT_EQ(small.image, std::string("\x89PNG\0bytes", 10));
}

// A save keeps in each delivery zone only the ids of loaded models that are
// in the playground.
TEST(PlaygroundFile, SavedAssignmentsNameOnlyLoadedModelsOfThePlayground) {
    PlaygroundFile file;
    file.Add(MakeItem(ModelTypeGeo, "models/playground/cube.ive", 3).info, 3);
    file.Add(MakeItem(ModelTypeAlarm, "models/playground/alarm.ive", 4).info, 4);
    Item zone = MakeItem(ModelTypeTrigger, "models/trigger/delivery.ive", 5);
    zone.info.m_desc.m_nSubType = 5;
    zone.info.m_state.m_vecObjList = { 3, 4, 9, 3 };
    file.Add(zone.info, 5);
    EXPECT_FALSE(file.Add(MakeItem(ModelTypeBrick, "models/brick/b.ive", 6).info, 6));
    EXPECT_EQ(file.ObjectCount(), 3);
    file.CleanAssignments();
    EXPECT_EQ(
        file.arrays[PlaygroundFile::ArrayTrigger][0].info.m_state.m_vecObjList, (std::vector<int> { 3, 3 }));
    EXPECT_NE(file.ToXml().find(Member("AssignL", Int(2))), std::string::npos);
}

// A ground picture, chosen or inside a file, is taken in any format Qt
// reads and kept as PNG, of 512 x 512 pixels exactly; a PNG stays byte for
// byte as it was. Anything else is refused, the bytes left alone.
TEST(GroundPicture, AnyFormatIsKeptAsPngOfTheGroundsSize) {
    const auto encoded = [](QSize size, const char* format, QColor colour) {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(colour);
        QByteArray bytes;
        QBuffer out(&bytes);
        out.open(QIODevice::WriteOnly);
        EXPECT_TRUE(picture.save(&out, format)) << format;
        return bytes.toStdString();
    };
    const std::string png = encoded({ 512, 512 }, "PNG", QColor(20, 140, 60));
    using Fault = GroundPicture::Fault;
    struct Case {
        const char* what;
        std::string bytes;
        Fault fault;
        int width;
        int height;
    };
    const Case cases[] = {
        { "PNG", png, Fault::None, 512, 512 },
        { "JPEG", encoded({ 512, 512 }, "JPG", QColor(200, 40, 40)), Fault::None, 512, 512 },
        { "BMP", encoded({ 512, 512 }, "BMP", QColor(40, 40, 200)), Fault::None, 512, 512 },
        { "PNG of 300 x 200", encoded({ 300, 200 }, "PNG", Qt::white), Fault::WrongSize, 300, 200 },
        { "JPEG of 513 x 512", encoded({ 513, 512 }, "JPG", Qt::white), Fault::WrongSize, 513, 512 },
        { "PNG cut short", png.substr(0, png.size() / 2), Fault::NoPicture, 0, 0 },
        { "no picture", "GIF? no", Fault::NoPicture, 0, 0 },
        { "nothing", "", Fault::NoPicture, 0, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = c.bytes;
        const GroundPicture::Check check = GroundPicture::ToPng(bytes);
        EXPECT_EQ(check.fault, c.fault);
        if (c.fault != Fault::None) {
            EXPECT_EQ(check.width, c.width);
            EXPECT_EQ(check.height, c.height);
            EXPECT_EQ(bytes, c.bytes);
            continue;
        }
        EXPECT_TRUE(bytes.starts_with("\x89PNG\r\n\x1a\n"));
        if (c.bytes.starts_with("\x89PNG")) {
            EXPECT_EQ(bytes, c.bytes) << "a PNG is kept as it is";
        }
        const QImage original = QImage::fromData(QByteArray::fromStdString(c.bytes));
        const QImage kept = QImage::fromData(QByteArray::fromStdString(bytes), "PNG");
        ASSERT_EQ(kept.size(), QSize(512, 512));
        EXPECT_EQ(kept.pixel(256, 256), original.pixel(256, 256));
        // Kept once, it stays as it is.
        std::string again = bytes;
        EXPECT_EQ(GroundPicture::ToPng(again).fault, Fault::None);
        EXPECT_EQ(again, bytes);
    }
}
