#include "support/ModalWatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>

namespace testsupport {

namespace {

constexpr int kGiveUpMs = 10000;

// A caption as it reads: "&Quit" is "Quit", "Save && quit" "Save & quit".
QString WithoutAccessKey(const QString& text) {
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        plain += text[i];
    }
    return plain;
}

} // namespace

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
    auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!modal)
        return;
    if (modal != m_current) {
        m_current = modal;
        m_currentSince.start();
    } else if (m_currentSince.elapsed() > kGiveUpMs) {
        std::fprintf(stderr, "ModalWatcher: giving up a %s still open after %d ms\n",
            modal->metaObject()->className(), kGiveUpMs);
        m_currentSince.start();
        QMetaObject::invokeMethod(modal, &QDialog::reject, Qt::QueuedConnection);
        return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        if (box == m_lastBox || !box->isVisible())
            return;
        m_lastBox = box;
        m_messages.append(box->text());
        const QList<QAbstractButton*> buttons = box->buttons();
        QAbstractButton* answer = buttons.isEmpty() ? nullptr : buttons.first();
        if (!m_boxAnswers.isEmpty()) {
            const QString wanted = m_boxAnswers.takeFirst();
            for (QAbstractButton* button : buttons) {
                // A button is named by its words, its access key's mark aside.
                if (WithoutAccessKey(button->text()).startsWith(WithoutAccessKey(wanted)))
                    answer = button;
            }
        }
        if (answer)
            Post(answer);
        else
            QMetaObject::invokeMethod(box, &QDialog::reject, Qt::QueuedConnection);
        return;
    }
    if (testing::Test::HasFatalFailure()) {
        // The case is over: nothing it still waits for may keep it open.
        if (modal->isVisible())
            QMetaObject::invokeMethod(modal, &QDialog::reject, Qt::QueuedConnection);
        return;
    }
    if (m_handler && !m_bInHandler) {
        m_bInHandler = true;
        QPointer<QWidget> target = modal;
        QMetaObject::invokeMethod(
            &m_timer,
            [this, target] {
                if (target)
                    RunHandler(target);
                m_bInHandler = false;
            },
            Qt::QueuedConnection);
    }
}

void ModalWatcher::RunHandler(QWidget* modal) {
    // A copy: the handler may put another in its place.
    const Handler handler = m_handler;
    if (handler && modal == QApplication::activeModalWidget())
        handler(modal);
}

bool ModalWatcher::WaitForMessages(int count, int ms) const {
    return Await([&] { return m_messages.size() >= count; }, ms);
}

bool Await(const std::function<bool()>& condition, int ms) {
    if (testing::Test::HasFatalFailure())
        return false;
    return QTest::qWaitFor([&] { return testing::Test::HasFatalFailure() || condition(); }, ms)
        && !testing::Test::HasFatalFailure();
}

} // namespace testsupport
