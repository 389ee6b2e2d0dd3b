#pragma once

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    QString qpath() const { return QString::fromStdString(m_path.string()); }

    // Writes a file (creating its folders) below the folder.
    void write(const std::string& relative, const QByteArray& bytes) const;
    QByteArray read(const std::string& relative) const;
    bool exists(const std::string& relative) const;
    // Links every entry of another folder into this one, but for the names
    // given: a program folder of a test's own that shares the build's files.
    void linkEntriesOf(
        const std::filesystem::path& folder, std::initializer_list<std::string_view> except) const;

private:
    std::filesystem::path m_path;
};

} // namespace testsupport
