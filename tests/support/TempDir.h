#pragma once

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <string>

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

private:
    std::filesystem::path m_path;
};

} // namespace testsupport
