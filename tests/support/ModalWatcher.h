#pragma once

// Answers the modal boxes and dialogs that the code under test opens while
// a test waits. Code that runs a modal loop does not return until the modal
// closes, so a test acts on it from a timer: every 10 ms the watcher looks
// at the active modal dialog. A message box is answered with its first
// button and its text kept; any other dialog is handed to the test's
// handler, which may look at it and act (through Post, so that what it
// starts runs after the handler has returned). The handler runs from a
// call of its own, never inside the watcher's timer, so that a box that
// something it does opens is still answered; it is not started again while
// it runs. A test that must choose another button of a message box names it
// beforehand (AnswerBoxesWith). Modal windows that are no dialogs (the main
// window is application modal) are left alone.
//
// A test ends at once when it fails: once the running case has a fatal
// failure, every dialog is rejected as soon as it shows, and a dialog that
// is still open after 10 s is given up (rejected, with a line on standard
// error) in any case.

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

class QAbstractButton;

namespace testsupport {

class ModalWatcher {
public:
    using Handler = std::function<void(QWidget* modal)>;

    explicit ModalWatcher(Handler handler = {});
    ~ModalWatcher();
    ModalWatcher(const ModalWatcher&) = delete;
    ModalWatcher& operator=(const ModalWatcher&) = delete;

    void SetHandler(Handler handler) { m_handler = std::move(handler); }
    // The next message boxes are answered, one each in turn, with the
    // button whose text starts with these texts (read without its access
    // key's "&"); a box past them, or one
    // without such a button, with its first button.
    void AnswerBoxesWith(const QStringList& buttons) { m_boxAnswers = buttons; }

    // The texts of the message boxes answered so far, oldest first.
    const QStringList& Messages() const { return m_messages; }
    // Runs the event loop until `count` boxes have been answered (false at
    // once when the case has failed fatally).
    bool WaitForMessages(int count, int ms = 5000) const;

    // A click that happens once the handler has returned.
    static void Post(QAbstractButton* button);

private:
    void Look();
    void RunHandler(QWidget* modal);

    QTimer m_timer;
    Handler m_handler;
    QStringList m_messages;
    QStringList m_boxAnswers;
    QPointer<QWidget> m_lastBox;
    QPointer<QWidget> m_current;
    bool m_bInHandler = false;
    QElapsedTimer m_currentSince;
};

// Runs the event loop until the condition holds, ms have passed or the
// running case has had a fatal failure (a dialog's answer may fail it);
// true only in the first case. Waits of test helpers end at once so, once
// their case has failed.
bool Await(const std::function<bool()>& condition, int ms);

} // namespace testsupport
