#include "support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace testsupport {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "morvane-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

void TempDir::write(const std::string& relative, const QByteArray& bytes) const {
    const auto file = m_path / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.constData(), bytes.size());
}

QByteArray TempDir::read(const std::string& relative) const {
    std::ifstream in(m_path / relative, std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return QByteArray(data.data(), static_cast<qsizetype>(data.size()));
}

bool TempDir::exists(const std::string& relative) const {
    return std::filesystem::exists(m_path / relative);
}

void TempDir::linkEntriesOf(
    const std::filesystem::path& folder, std::initializer_list<std::string_view> except) const {
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (std::find(except.begin(), except.end(), name) == except.end())
            std::filesystem::create_symlink(entry.path(), m_path / name);
    }
}

} // namespace testsupport
