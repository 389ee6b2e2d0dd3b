#pragma once

#include <QChar>
#include <QMessageBox>
#include <QString>

class QPushButton;

namespace dialogs {

// A caption with its access key, as the caption's own language writes it. A
// caption in Latin letters marks a letter of its own: the key's letter where
// the caption has it ("&Quit", "Do&n't save"), else its first letter
// ("&Delete" for O). A caption without Latin letters (Chinese) keeps the key
// after it in brackets: "退出(Q)", or "文件(&F)" where the bracket's letter is
// to be the mark itself (menu titles).
struct AccessKeyCaption {
    QString text;
    QChar key;
};

AccessKeyCaption WithAccessKey(const QString& caption, QChar key, bool markInBracket = false);

// Adds a button to a message box under its caption with its access key; the
// key alone presses it too.
QPushButton* AddKeyedButton(
    QMessageBox& box, const QString& caption, QChar key, QMessageBox::ButtonRole role);

} // namespace dialogs
