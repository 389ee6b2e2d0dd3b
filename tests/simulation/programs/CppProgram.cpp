// A robot program written in C++: the header gives the exports C linkage.
#include "morvane_robot.h"

#include <atomic>
#include <cstring>
#include <string>

namespace {
std::string g_input;
std::atomic<bool> g_paused { false };
} // namespace

void Run() { }
void SetData(const char* input) {
    g_input = input;
}
void Start() {
    g_paused = true;
}
unsigned char IsPause() {
    return g_paused ? 1 : 0;
}
void GetData(char* buffer) {
    const std::string text = "c++ got " + g_input;
    std::strncpy(buffer, text.c_str(), MORVANE_OUTPUT_SIZE - 1);
}
