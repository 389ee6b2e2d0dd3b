#include "SetUpFragment.h"

#include <charconv>
#include <cmath>

namespace {

using Bar = BarEntry::Bar;

std::string Attr(const char* name, double value) {
    return std::string(" ") + name + "=\"" + FormatNumber(value) + "\"";
}

std::string Attr(const char* name, const std::string& value) {
    return std::string(" ") + name + "=\"" + value + "\"";
}

std::string Vec(const char* prefix, const osg::Vec3d& v) {
    const std::string p = prefix;
    return Attr((p + "x").c_str(), v.x()) + Attr((p + "y").c_str(), v.y()) + Attr((p + "z").c_str(), v.z());
}

void WriteEntry(std::string& out, const ModelSpec& spec) {
    const std::vector<Port> ports = spec.OutputPorts();
    if (!spec.collisionBox && ports.empty()) {
        out += "    <obj" + Attr("address", spec.address) + "/>\n";
        return;
    }
    out += "    <obj" + Attr("address", spec.address) + ">\n";
    if (spec.collisionBox) {
        const osg::BoundingBoxd box = spec.CollisionBounds();
        const osg::Vec3d half = (box._max - box._min) * 0.5;
        out += "      <box>\n";
        out += "        <center" + Vec("", box.center()) + "/>\n";
        out += "        <p" + Vec("", { half.x(), 0, 0 }) + "/>\n";
        out += "        <p" + Vec("", { 0, half.y(), 0 }) + "/>\n";
        out += "        <p" + Vec("", { 0, 0, half.z() }) + "/>\n";
        out += "      </box>\n";
    }
    for (const Port& p : ports) {
        out += "      <point" + Attr("male", p.male ? 1 : 0) + Attr("type", p.kind) + Attr("range", p.range)
            + Vec("", p.position) + Vec("dir_", p.dir) + Vec("dir2_", p.dir2) + Attr("grid_x", p.gridX)
            + Attr("grid_y", p.gridY) + "/>\n";
    }
    out += "    </obj>\n";
}

void WriteBar(std::string& out, const std::vector<ModelSpec>& catalogue, Bar bar, const char* tag) {
    out += std::string("  <") + tag + ">\n";
    for (const ModelSpec& spec : catalogue) {
        for (const BarEntry& entry : spec.bars) {
            if (entry.bar != bar)
                continue;
            out += "    <obj" + Attr("address", spec.address) + Attr("image", spec.BarImage())
                + Attr("type", entry.type) + (entry.colour ? Attr("color", 1) : std::string()) + "/>\n";
        }
    }
    out += std::string("  </") + tag + ">\n";
}

void WriteNames(
    std::string& out, const std::vector<ModelSpec>& catalogue, const char* language, bool chinese) {
    out += std::string("  <names language=\"") + language + "\">\n";
    for (const ModelSpec& spec : catalogue)
        out += "    <obj" + Attr("address", spec.address)
            + Attr("language", chinese ? spec.nameZh : spec.nameEn) + "/>\n";
    out += "  </names>\n";
}

} // namespace

std::string FormatNumber(double value) {
    double v = std::round(value * 1e4) / 1e4;
    if (v == 0.0)
        v = 0.0;
    char text[64];
    const auto result = std::to_chars(text, text + sizeof text, v);
    return std::string(text, result.ptr);
}

std::string SetUpFragment(const std::vector<ModelSpec>& catalogue) {
    std::string out = "<modelgen>\n  <set_up>\n";
    for (const ModelSpec& spec : catalogue)
        WriteEntry(out, spec);
    out += "  </set_up>\n";
    WriteBar(out, catalogue, Bar::Brick, "brick");
    WriteBar(out, catalogue, Bar::Wheel, "wheel");
    WriteBar(out, catalogue, Bar::Sensor, "sensor");
    WriteBar(out, catalogue, Bar::Dynamic, "dynamic");
    WriteBar(out, catalogue, Bar::Trigger, "trigger");
    WriteBar(out, catalogue, Bar::Static, "static");
    WriteNames(out, catalogue, "中文", true);
    WriteNames(out, catalogue, "English", false);
    out += "</modelgen>\n";
    return out;
}
