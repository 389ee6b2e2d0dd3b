#pragma once

#include <QDialog>
#include <QString>

class LanguageTexts;
class QLabel;
class QLineEdit;
class QPushButton;

// Asks for one line of text: a prompt, a line edit prefilled with the
// caller's string, OK and No. OK writes the text back into the caller's
// string; callers read it only when exec() returned Accepted.
class CInputDlg : public QDialog {
    Q_OBJECT

public:
    // The texts come from `texts`, which must outlive the dialog.
    CInputDlg(const QString& prompt, QString* result, const LanguageTexts& texts, QWidget* parent = nullptr);

    // Texts of ("CInputDlg", "f_Language"): "sTitle", "sOK", "sNo"; a key
    // missing from the language leaves its text as it is.
    void f_Language();

    QLineEdit* LineEdit() const { return m_pEdit; }
    QPushButton* ButtonOK() const { return m_pButtonOK; }
    QPushButton* ButtonNo() const { return m_pButtonNo; }

public slots:
    void slot_ButtonOK();
    void slot_ButtonNo();

private:
    const LanguageTexts& m_texts;
    QString* m_pResult = nullptr;
    QLabel* m_pLabel = nullptr;
    QLineEdit* m_pEdit = nullptr;
    QPushButton* m_pButtonOK = nullptr;
    QPushButton* m_pButtonNo = nullptr;
};
