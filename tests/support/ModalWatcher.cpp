#include "support/ModalWatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>

namespace testsupport {

ModalWatcher::ModalWatcher(Handler handler)
    : m_handler(std::move(handler)) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Look(); });
    m_timer.start(10);
}

ModalWatcher::~ModalWatcher() {
    m_timer.stop();
}

void ModalWatcher::Post(QAbstractButton* button) {
    QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
}

void ModalWatcher::Look() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        if (box == m_lastBox || !box->isVisible())
            return;
        m_lastBox = box;
        m_messages.append(box->text());
        const QList<QAbstractButton*> buttons = box->buttons();
        if (!buttons.isEmpty())
            Post(buttons.first());
        else
            QMetaObject::invokeMethod(box, "reject", Qt::QueuedConnection);
        return;
    }
    if (m_handler)
        m_handler(modal);
}

bool ModalWatcher::WaitForMessages(int count, int ms) const {
    return QTest::qWaitFor([&] { return m_messages.size() >= count; }, ms);
}

} // namespace testsupport
