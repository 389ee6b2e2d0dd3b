#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzsupport {

// A folder of the fuzz target's own under the system's temporary folder,
// removed when the process ends normally.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = QDir::tempPath().toStdString() + "/morvane-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        m_path = QString::fromStdString(pattern);
    }
    ~ScratchFolder() { QDir(m_path).removeRecursively(); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const QString& Path() const { return m_path; }
    QString In(const QString& relative) const { return m_path + QLatin1Char('/') + relative; }

    // Replaces the file's content; a target that cannot write its input stops.
    void Write(const QString& relative, const QByteArray& bytes) const {
        QFile file(In(relative));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            std::abort();
        }
    }

private:
    QString m_path;
};

} // namespace fuzzsupport
