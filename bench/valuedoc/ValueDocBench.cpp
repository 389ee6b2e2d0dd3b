#include "valuedoc/Base64.h"
#include "valuedoc/XmlRpcItem.h"

#include <benchmark/benchmark.h>

#include <random>

using XmlRpc::XmlRpcItem;

namespace {

// A playground file of the usual shape: a 256 KiB ground picture held as raw
// bytes, a rule list and a few hundred placed objects.
XmlRpcItem Playground() {
    std::mt19937 random(7);
    std::string picture(256 * 1024, '\0');
    for (char& byte : picture) {
        byte = static_cast<char>(random() & 0xff);
    }
    XmlRpcItem doc;
    static_cast<std::string&>(doc["Image"]) = picture;
    for (int i = 0; i < 20; ++i) {
        static_cast<int&>(doc["Rule" + std::to_string(i)]) = i;
    }
    for (const char* kind : { "Candle", "Wounded", "CTakenObj", "Slope", "Geometry", "Trigger", "CAlarm" }) {
        for (int i = 0; i < 40; ++i) {
            XmlRpcItem& item = doc[kind][i];
            static_cast<std::string&>(item["Name"]) = std::string("models/") + kind + ".ive";
            static_cast<int&>(item["ID"]) = i;
            for (const char* axis : { "Position_x", "Position_y", "Position_z", "Quat_x", "Quat_y", "Quat_z",
                     "Quat_w", "Scale_x", "Scale_y", "Scale_z" }) {
                static_cast<double&>(item[axis]) = std::uniform_real_distribution<double>(-50, 50)(random);
            }
        }
    }
    return doc;
}

void PrintPlayground(benchmark::State& state) {
    const XmlRpcItem doc = Playground();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = doc.ToXml();
        bytes += text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(PrintPlayground)->Unit(benchmark::kMicrosecond);

void ParsePlayground(benchmark::State& state) {
    const std::string text = Playground().ToXml();
    for (auto _ : state) {
        XmlRpcItem doc;
        int offset = 0;
        benchmark::DoNotOptimize(doc.FromXml(text, offset));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(ParsePlayground)->Unit(benchmark::kMicrosecond);

void Base64RoundTrip(benchmark::State& state) {
    std::string bytes(256 * 1024, '\0');
    std::mt19937 random(3);
    for (char& byte : bytes) {
        byte = static_cast<char>(random() & 0xff);
    }
    for (auto _ : state) {
        const std::string text = XmlRpc::Base64Encode(bytes);
        benchmark::DoNotOptimize(XmlRpc::Base64Decode(text).data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(Base64RoundTrip)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
