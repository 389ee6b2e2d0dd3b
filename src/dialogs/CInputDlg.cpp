#include "dialogs/CInputDlg.h"

#include "foundation/CConfig.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CInputDlg::CInputDlg(const QString& prompt, QString* result, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint)
    , m_pResult(result) {
    setModal(true);
    setFixedSize(300, 100);

    m_pLabel = new QLabel(prompt, this);
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
}

void CInputDlg::f_Language() {
    const TiXmlElement* texts = CConfig::Instance().FindTextNode("CInputDlg", "f_Language");
    if (!texts)
        return;
    if (const char* title = texts->Attribute("sTitle"))
        setWindowTitle(QString::fromUtf8(title));
    if (const char* ok = texts->Attribute("sOK"))
        m_pButtonOK->setText(QString::fromUtf8(ok));
    if (const char* no = texts->Attribute("sNo"))
        m_pButtonNo->setText(QString::fromUtf8(no));
}

void CInputDlg::slot_ButtonOK() {
    if (m_pResult)
        *m_pResult = m_pEdit->text();
    accept();
}

void CInputDlg::slot_ButtonNo() {
    reject();
}
