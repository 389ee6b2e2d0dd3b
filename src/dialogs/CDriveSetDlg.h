#pragma once

#include <QDialog>
#include <QString>

class LanguageTexts;
class QLabel;
class QLineEdit;
class QPushButton;

// The four speeds of driving the first robot by the keyboard: straight,
// turn, and the two wheel speeds of a diagonal move, each 0 to 100.
class CDriveSetDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kSpeedCount = 4;
    static constexpr int kMaxSpeed = 100;

    // Edits speeds (the configuration's m_nDriveSpeed), which must outlive
    // the dialog, as do the texts.
    CDriveSetDlg(const QString& title, int (&speeds)[kSpeedCount], const LanguageTexts& texts,
        QWidget* parent = nullptr);

    // Texts of ("CDriveSetDlg", "f_Language"): "sOK", "sNo", and "s0" to "s3"
    // for the four labels; a missing key leaves its text as it is.
    void f_Language();

    QLineEdit* SpeedEdit(int i) const { return m_pEdits[i]; }
    QPushButton* ButtonOK() const { return m_pButtonOK; }
    QPushButton* ButtonNo() const { return m_pButtonNo; }

public slots:
    // Writes each edit's number (base 10, 0 for no number, within 0..100)
    // to its speed, then accepts.
    void slot_ButtonOK();
    void slot_ButtonNo();

private:
    const LanguageTexts& m_texts;
    int (&m_speeds)[kSpeedCount];
    QLabel* m_pLabels[kSpeedCount] = {};
    QLineEdit* m_pEdits[kSpeedCount] = {};
    QPushButton* m_pButtonOK = nullptr;
    QPushButton* m_pButtonNo = nullptr;
};
