#pragma once

#include <QString>
#include <QStringList>

namespace testsupport {

// Gathers the warnings (and worse) of one Qt logging category while it
// exists; they still reach standard error. One at a time per process.
class CapturedWarnings {
public:
    explicit CapturedWarnings(const char* category);
    ~CapturedWarnings();
    CapturedWarnings(const CapturedWarnings&) = delete;
    CapturedWarnings& operator=(const CapturedWarnings&) = delete;

    int count() const { return static_cast<int>(m_messages.size()); }
    const QStringList& messages() const { return m_messages; }
    // Whether some warning holds the text.
    bool contains(const QString& text) const;

private:
    friend struct CapturedWarningsHandler;
    QString m_category;
    QStringList m_messages;
};

} // namespace testsupport
