#include "dialogs/AccessKey.h"

#include <QKeySequence>
#include <QPushButton>

namespace dialogs {

namespace {

bool IsLatinLetter(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
        || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

} // namespace

AccessKeyCaption WithAccessKey(const QString& caption, QChar key, bool markInBracket) {
    qsizetype at = -1;
    for (qsizetype i = 0; i < caption.size() && at < 0; ++i) {
        if (IsLatinLetter(caption[i]) && caption[i].toUpper() == key.toUpper())
            at = i;
    }
    for (qsizetype i = 0; i < caption.size() && at < 0; ++i) {
        if (IsLatinLetter(caption[i]))
            at = i;
    }
    // An "&" of the caption's own is a letter, not a mark.
    const auto escaped = [](QString text) { return text.replace(QLatin1Char('&'), QStringLiteral("&&")); };
    if (at < 0) {
        const QChar upper = key.toUpper();
        return { escaped(caption)
                + (markInBracket ? QStringLiteral("(&%1)") : QStringLiteral("(%1)")).arg(upper),
            upper };
    }
    return { escaped(caption.left(at)) + QLatin1Char('&') + escaped(caption.mid(at)), caption[at].toUpper() };
}

QPushButton* AddKeyedButton(
    QMessageBox& box, const QString& caption, QChar key, QMessageBox::ButtonRole role) {
    const AccessKeyCaption keyed = WithAccessKey(caption, key);
    QPushButton* button = box.addButton(keyed.text, role);
    button->setShortcut(QKeySequence(QString(keyed.key)));
    return button;
}

} // namespace dialogs
