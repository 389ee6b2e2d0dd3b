#pragma once

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

class LanguageTexts;
class QLabel;
class QLineEdit;
class QPushButton;

// The playground's scoring rule: a number, a weight and a count (0 to 8) per
// model of the robot builder's sensor bar. The values are the caller's list:
// [0] number, [1] weight, [2 + i] the count of bar button i; entries the list
// lacks are appended with their defaults (10000, 10000, 8) as the dialog is
// built. Editable, OK writes the edits back; read-only (after a playground
// with a rule is loaded for a run), it only shows them. Number and weight
// have rows of their own above the grid of counts, three to a grid row;
// labels and edits take the room their texts need in their font.
class CRuleDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kDefaultNumber = 10000;
    static constexpr int kMaxNumber = 10000;
    static constexpr int kDefaultCount = 8;
    static constexpr int kMaxCount = 8;

    // rowLabels: the tool tips of the sensor bar's buttons, in bar order.
    // values and texts must outlive the dialog.
    CRuleDlg(const QStringList& rowLabels, std::vector<int>& values, const QString& title, bool editable,
        const LanguageTexts& texts, QWidget* parent = nullptr);

    QLabel* NumberLabel() const { return m_pNumberLabel; }
    QLabel* WeightLabel() const { return m_pWeightLabel; }
    QLineEdit* NumberEdit() const { return m_pNumberEdit; }
    QLineEdit* WeightEdit() const { return m_pWeightEdit; }
    const QList<QLineEdit*>& RowEdits() const { return m_rowEdits; }
    const QList<QLabel*>& RowLabels() const { return m_rowLabels; }
    // The title row, only when read-only.
    QLabel* TitleLabel() const { return m_pTitle; }
    // Read-only: a note under the title, wrapped to the form's width (why
    // the rules are shown); none while empty.
    void SetNote(const QString& text);
    QLabel* NoteLabel() const { return m_pNote; }
    QPushButton* ButtonOK() const { return m_pButtonOK; }
    // Null when read-only.
    QPushButton* ButtonNo() const { return m_pButtonNo; }

public slots:
    // Editable: values[0], [1] and [2 + i] := the edits' numbers (base 10, 0
    // for no number, within their ranges). Then accepts.
    void slot_ButtonOK();
    void slot_ButtonNo();

private:
    // Sizes the labels, edits, buttons and the dialog from their texts in
    // their fonts.
    void SizeFromFont();
    // values[index], after appending `fallback` when the list is too short.
    int ValueAt(size_t index, int fallback);

    std::vector<int>& m_values;
    bool m_bEditable = false;
    QLabel* m_pTitle = nullptr;
    QLabel* m_pNote = nullptr;
    QLabel* m_pNumberLabel = nullptr;
    QLineEdit* m_pNumberEdit = nullptr;
    QLabel* m_pWeightLabel = nullptr;
    QLineEdit* m_pWeightEdit = nullptr;
    QList<QLabel*> m_rowLabels;
    QList<QLineEdit*> m_rowEdits;
    QPushButton* m_pButtonOK = nullptr;
    QPushButton* m_pButtonNo = nullptr;
};
