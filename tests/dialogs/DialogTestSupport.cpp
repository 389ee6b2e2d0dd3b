#include "dialogs/DialogTestSupport.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace dialogstest {

InstalledConfig::InstalledConfig() {
    QFile setUp(QStringLiteral(MORVANE_PROGRAM_DIR "/XML/SetUp_View.xml"));
    if (setUp.open(QIODevice::ReadOnly))
        m_dir.write("XML/SetUp_View.xml", setUp.readAll());
    m_config = std::make_unique<CConfig>(m_dir.qpath());
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
