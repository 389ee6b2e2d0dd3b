#include "dialogs/CInputDlg.h"

#include "dialogs/DialogsLog.h"
#include "foundation/LanguageTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 100;

} // namespace

CInputDlg::CInputDlg(const QString& prompt, QString* result, const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint)
    , m_texts(texts)
    , m_pResult(result) {
    setModal(true);

    m_pLabel = new QLabel(prompt, this);
    m_pLabel->setWordWrap(true);
    m_pEdit = new QLineEdit(result ? *result : QString(), this);
    m_pButtonOK = new QPushButton(QStringLiteral("OK"), this);
    m_pButtonNo = new QPushButton(QStringLiteral("No"), this);
    m_pButtonOK->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pButtonOK);
    buttons->addWidget(m_pButtonNo);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pLabel);
    layout->addWidget(m_pEdit);
    layout->addLayout(buttons);

    connect(m_pButtonOK, &QPushButton::clicked, this, &CInputDlg::slot_ButtonOK);
    connect(m_pButtonNo, &QPushButton::clicked, this, &CInputDlg::slot_ButtonNo);
    f_Language();
    // A prompt longer than a line (one that says why it is asked again)
    // gets the height it needs; the width stays.
    setFixedSize(kWidth, std::max(kHeight, layout->totalHeightForWidth(kWidth)));
}

void CInputDlg::f_Language() {
    if (!m_texts.HasTexts("CInputDlg", "f_Language")) {
        qCWarning(lcDialogs, "The language has no texts for the input dialog (CInputDlg/f_Language)");
        return;
    }
    if (const auto title = m_texts.FindText("CInputDlg", "f_Language", "sTitle"))
        setWindowTitle(*title);
    if (const auto ok = m_texts.FindText("CInputDlg", "f_Language", "sOK"))
        m_pButtonOK->setText(*ok);
    if (const auto no = m_texts.FindText("CInputDlg", "f_Language", "sNo"))
        m_pButtonNo->setText(*no);
}

void CInputDlg::slot_ButtonOK() {
    if (m_pResult)
        *m_pResult = m_pEdit->text();
    accept();
}

void CInputDlg::slot_ButtonNo() {
    reject();
}
