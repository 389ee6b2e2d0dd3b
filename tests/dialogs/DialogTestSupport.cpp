#include "dialogs/DialogTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QScopeGuard>

#include <gtest/gtest.h>

namespace dialogstest {

InstalledConfig::InstalledConfig() {
    QFile setUp(QStringLiteral(MORVANE_PROGRAM_DIR "/XML/SetUp_View.xml"));
    if (setUp.open(QIODevice::ReadOnly))
        m_dir.write("XML/SetUp_View.xml", setUp.readAll());
    m_config = std::make_unique<CConfig>(m_dir.qpath());
}

void InEveryLook(
    CConfig& config, const std::function<void(int language, bool programLook, const QString& look)>& check) {
    QFile sheet(QStringLiteral(MORVANE_PROGRAM_DIR "/mainForm.qss"));
    const QString programSheet
        = sheet.open(QIODevice::ReadOnly) ? QString::fromLatin1(sheet.readAll()) : QString();
    if (programSheet.isEmpty())
        ADD_FAILURE() << "the program's style sheet is missing: " << sheet.fileName().toStdString();
    const QFont usualFont = QApplication::font();
    QFont largeFont = usualFont;
    largeFont.setPointSizeF(usualFont.pointSizeF() * 1.75);
    const auto restore = qScopeGuard([&] {
        qApp->setStyleSheet(QString());
        QApplication::setFont(usualFont);
        config.SetLanguage(0, false);
    });
    for (bool large : { false, true }) {
        QApplication::setFont(large ? largeFont : usualFont);
        for (bool programLook : { false, true }) {
            qApp->setStyleSheet(programLook ? programSheet : QString());
            for (int language : { 0, 1 }) {
                config.SetLanguage(language, false);
                const QString look = QStringLiteral("language %1%2%3")
                                         .arg(language)
                                         .arg(programLook ? QStringLiteral(", style sheet") : QString())
                                         .arg(large ? QStringLiteral(", large font") : QString());
                check(language, programLook && !large, look);
            }
        }
    }
}

std::shared_ptr<bool> AnswerFileDialog(const QString& path, QString* folder) {
    return WhenModal<QFileDialog>([path, folder](QFileDialog* dialog) {
        if (folder)
            *folder = dialog->directory().absolutePath();
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        // Typed into the name field, as a user would; the dialog's own
        // selectFile leaves a focused field alone.
        if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            name->setText(path);
        // Accepting checks the chosen file as the dialog's own OK button does.
        static_cast<QDialog*>(dialog)->accept();
    });
}

std::shared_ptr<bool> AnswerMessageBox(QString* text) {
    return WhenModal<QMessageBox>([text](QMessageBox* box) {
        if (text)
            *text = box->text();
        box->buttons().value(0)->click();
    });
}

} // namespace dialogstest
