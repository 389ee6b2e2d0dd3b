#include "support/CapturedWarnings.h"

#include <QtGlobal>

#include <stdexcept>

namespace testsupport {

namespace {

CapturedWarnings* g_active = nullptr;
QtMessageHandler g_previous = nullptr;

} // namespace

// Defined here so that it may reach the private list.
struct CapturedWarningsHandler {
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (g_active && type != QtDebugMsg && type != QtInfoMsg && context.category
            && g_active->m_category == QLatin1String(context.category))
            g_active->m_messages.append(message);
        if (g_previous)
            g_previous(type, context, message);
    }
};

CapturedWarnings::CapturedWarnings(const char* category)
    : m_category(QLatin1String(category)) {
    if (g_active)
        throw std::logic_error("warnings are already being captured");
    g_active = this;
    g_previous = qInstallMessageHandler(&CapturedWarningsHandler::Handle);
}

CapturedWarnings::~CapturedWarnings() {
    qInstallMessageHandler(g_previous);
    g_previous = nullptr;
    g_active = nullptr;
}

bool CapturedWarnings::contains(const QString& text) const {
    for (const QString& message : m_messages) {
        if (message.contains(text))
            return true;
    }
    return false;
}

} // namespace testsupport
