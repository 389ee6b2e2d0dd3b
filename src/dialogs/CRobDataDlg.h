#pragma once

#include <QDialog>
#include <QString>

class LanguageTexts;
class QComboBox;
class QLabel;
class QTextEdit;

// The simulation page's robot data panel: a robot selector over a text area
// in which the page shows, every frame, the data of the selected robot.
class CRobDataDlg : public QDialog {
    Q_OBJECT

public:
    // The texts come from `texts`, which must outlive the dialog.
    explicit CRobDataDlg(const LanguageTexts& texts, QWidget* parent = nullptr);

    // Texts of ("CRobDataDlg", "f_Language"): "sTitle", "s" (the label); a
    // missing key leaves its text as it is.
    void f_Language();

    // The robot selector: the page fills it and reads its current index.
    QComboBox* GetComboBox() const { return m_pCombo; }
    // Replaces the text area's content.
    void SetText(const QString& text);

    QTextEdit* TextEdit() const { return m_pText; }
    QLabel* Label() const { return m_pLabel; }

private:
    const LanguageTexts& m_texts;
    QLabel* m_pLabel = nullptr;
    QComboBox* m_pCombo = nullptr;
    QTextEdit* m_pText = nullptr;
};
