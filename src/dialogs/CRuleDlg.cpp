#include "dialogs/CRuleDlg.h"

#include "dialogs/DialogTexts.h"
#include "dialogs/TypedNumber.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

CRuleDlg::CRuleDlg(const QStringList& rowLabels, std::vector<int>& values, const QString& title,
    bool editable, const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint)
    , m_values(values)
    , m_bEditable(editable) {
    setWindowTitle(title);
    setModal(true);
    setFixedWidth(390);
    setMinimumHeight(200);

    auto* layout = new QVBoxLayout(this);
    if (!editable) {
        m_pTitle = new QLabel(this);
        m_pTitle->setAlignment(Qt::AlignCenter);
        layout->addWidget(m_pTitle);
    }

    const auto makeEdit = [this, editable](int value, int lowest, int highest) {
        auto* edit = new QLineEdit(QString::number(value), this);
        edit->setValidator(new QIntValidator(lowest, highest, edit));
        edit->setEnabled(editable);
        return edit;
    };
    auto* grid = new QGridLayout;
    m_pNumberLabel = new QLabel(QStringLiteral("Number"), this);
    m_pNumberEdit = makeEdit(ValueAt(0, kDefaultNumber), 1, kMaxNumber);
    m_pWeightLabel = new QLabel(QStringLiteral("Weight"), this);
    m_pWeightEdit = makeEdit(ValueAt(1, kDefaultNumber), 1, kMaxNumber);
    grid->addWidget(m_pNumberLabel, 0, 0);
    grid->addWidget(m_pNumberEdit, 0, 1);
    grid->addWidget(m_pWeightLabel, 0, 2);
    grid->addWidget(m_pWeightEdit, 0, 3);
    for (int i = 0; i < rowLabels.size(); ++i) {
        auto* label = new QLabel(rowLabels[i] + QLatin1Char(':'), this);
        label->setFixedSize(100, 25);
        QLineEdit* edit = makeEdit(ValueAt(size_t(i) + 2, kDefaultCount), 0, kMaxCount);
        edit->setFixedSize(30, 20);
        grid->addWidget(label, i / 3 + 1, (i % 3) * 2);
        grid->addWidget(edit, i / 3 + 1, (i % 3) * 2 + 1);
        m_rowLabels.append(label);
        m_rowEdits.append(edit);
    }
    layout->addLayout(grid);

    m_pButtonOK = new QPushButton(QStringLiteral("OK"), this);
    m_pButtonOK->setFixedSize(100, 25);
    m_pButtonOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addItem(new QSpacerItem(20, 1, QSizePolicy::Expanding));
    buttons->addWidget(m_pButtonOK);
    buttons->addItem(new QSpacerItem(20, 1, QSizePolicy::Expanding));
    if (editable) {
        m_pButtonNo = new QPushButton(QStringLiteral("Cancel"), this);
        m_pButtonNo->setFixedSize(100, 25);
        buttons->addWidget(m_pButtonNo);
        buttons->addItem(new QSpacerItem(20, 1, QSizePolicy::Expanding));
    }
    layout->addLayout(buttons);

    // A language with the group gives every caption its text, an empty one
    // where a key is missing.
    const DialogTexts group(texts, "CRuleDlg", "f_Language");
    if (group.Present()) {
        m_pButtonOK->setText(group.Get("sOK"));
        if (m_pButtonNo)
            m_pButtonNo->setText(group.Get("sNo"));
        m_pNumberLabel->setText(group.Get("sNumber"));
        m_pWeightLabel->setText(group.Get("sWeight"));
        if (m_pTitle)
            m_pTitle->setText(group.Get("sRule"));
    }

    connect(m_pButtonOK, &QPushButton::clicked, this, &CRuleDlg::slot_ButtonOK);
    if (m_pButtonNo)
        connect(m_pButtonNo, &QPushButton::clicked, this, &CRuleDlg::slot_ButtonNo);
}

int CRuleDlg::ValueAt(size_t index, int fallback) {
    while (m_values.size() <= index)
        m_values.push_back(fallback);
    return m_values[index];
}

void CRuleDlg::slot_ButtonOK() {
    if (m_bEditable) {
        m_values[0] = dialogs::TypedNumber(m_pNumberEdit->text(), 1, kMaxNumber);
        m_values[1] = dialogs::TypedNumber(m_pWeightEdit->text(), 1, kMaxNumber);
        for (int i = 0; i < m_rowEdits.size(); ++i)
            m_values[size_t(i) + 2] = dialogs::TypedNumber(m_rowEdits[i]->text(), 0, kMaxCount);
    }
    accept();
}

void CRuleDlg::slot_ButtonNo() {
    reject();
}
