#pragma once

// What the dialog tests share: a simulator installed in a folder of the
// test's own (the real set-up file), and the user's hand on modal windows.

#include "foundation/CConfig.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>

namespace dialogstest {

// A program folder holding the build's set-up file, and the configuration
// over it (first language: Chinese).
class InstalledConfig {
public:
    InstalledConfig();
    CConfig& config() { return *m_config; }
    const testsupport::TempDir& dir() const { return m_dir; }

private:
    testsupport::TempDir m_dir;
    std::unique_ptr<CConfig> m_config;
};

// The looks every dialog's texts must show whole in: the usual font and a
// large one, plain and under the program's style sheet, in each language of
// the set-up file (0 Chinese, 1 English). `check` runs once in each, with
// `look` naming it; afterwards the usual font, no style sheet and Chinese
// are back.
void InEveryLook(
    CConfig& config, const std::function<void(int language, bool programLook, const QString& look)>& check);

// Runs the dialog modally (exec, by default its own exec()) while `act`
// plays the user.
inline int RunModal(
    QDialog& dialog, const std::function<void()>& act, const std::function<int()>& exec = nullptr) {
    QTimer::singleShot(0, &dialog, act);
    return exec ? exec() : dialog.exec();
}

// Plays the user on the next modal window of type T: once one is active
// (looked for every 10 ms, for at most 10 s), act runs on it. The flag turns
// true when it has.
template <class T> std::shared_ptr<bool> WhenModal(std::function<void(T*)> act) {
    auto done = std::make_shared<bool>(false);
    auto* timer = new QTimer(qApp);
    const QDeadlineTimer deadline(10000);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, done, deadline, act] {
        T* window = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!window && !deadline.hasExpired())
            return;
        timer->stop();
        timer->deleteLater();
        if (window) {
            *done = true;
            act(window);
        }
    });
    timer->start(10);
    return done;
}

// Answers the next file dialog with `path` (cancels it when path is empty);
// `folder` receives the folder it opened in.
std::shared_ptr<bool> AnswerFileDialog(const QString& path, QString* folder = nullptr);

// Answers the next message box by clicking its first button; `text`
// receives its text.
std::shared_ptr<bool> AnswerMessageBox(QString* text = nullptr);

} // namespace dialogstest
