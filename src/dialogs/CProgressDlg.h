#pragma once

#include <QDialog>

class LanguageTexts;
class QLabel;
class QProgressBar;
class QPushButton;

// The progress of a robot or playground load running in a loader thread.
// Shown while the value is below 100 and hidden at 100; its button only hides
// it, the load goes on.
class CProgressDlg : public QDialog {
    Q_OBJECT

public:
    // The texts come from `texts`, which must outlive the dialog.
    explicit CProgressDlg(const LanguageTexts& texts, QWidget* parent = nullptr);

    // Texts of ("CProgressDlg", "f_Language"): "sTitle", "sNo"; a missing key
    // leaves its text as it is.
    void f_Language();

    // Sets the bar; below 100 the dialog is shown, at 100 or more hidden.
    void SetValue(int percent);

    QProgressBar* ProgressBar() const { return m_pBar; }
    QPushButton* Button() const { return m_pButton; }

private:
    const LanguageTexts& m_texts;
    QLabel* m_pLabel = nullptr;
    QProgressBar* m_pBar = nullptr;
    QPushButton* m_pButton = nullptr;
};
