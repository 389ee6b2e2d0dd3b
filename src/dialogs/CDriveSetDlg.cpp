#include "dialogs/CDriveSetDlg.h"

#include "dialogs/DialogTexts.h"
#include "dialogs/TypedNumber.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDriveSetDlg::CDriveSetDlg(
    const QString& title, int (&speeds)[kSpeedCount], const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint)
    , m_texts(texts)
    , m_speeds(speeds) {
    setModal(true);
    setFixedSize(200, 180);
    setWindowTitle(title);

    auto* form = new QFormLayout;
    for (int i = 0; i < kSpeedCount; ++i) {
        m_pLabels[i] = new QLabel(QString::number(i + 1), this);
        m_pEdits[i] = new QLineEdit(QString::number(m_speeds[i]), this);
        m_pEdits[i]->setValidator(new QIntValidator(0, kMaxSpeed, m_pEdits[i]));
        form->addRow(m_pLabels[i], m_pEdits[i]);
    }
    m_pButtonOK = new QPushButton(QStringLiteral("OK"), this);
    m_pButtonNo = new QPushButton(QStringLiteral("Cancel"), this);
    m_pButtonOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pButtonOK);
    buttons->addWidget(m_pButtonNo);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(m_pButtonOK, &QPushButton::clicked, this, &CDriveSetDlg::slot_ButtonOK);
    connect(m_pButtonNo, &QPushButton::clicked, this, &CDriveSetDlg::slot_ButtonNo);
    f_Language();
}

void CDriveSetDlg::f_Language() {
    const DialogTexts texts(m_texts, "CDriveSetDlg", "f_Language");
    texts.IfPresent("sOK", [this](const QString& text) { m_pButtonOK->setText(text); });
    texts.IfPresent("sNo", [this](const QString& text) { m_pButtonNo->setText(text); });
    const char* const labelKeys[kSpeedCount] = { "s0", "s1", "s2", "s3" };
    for (int i = 0; i < kSpeedCount; ++i)
        texts.IfPresent(labelKeys[i], [this, i](const QString& text) { m_pLabels[i]->setText(text); });
}

void CDriveSetDlg::slot_ButtonOK() {
    for (int i = 0; i < kSpeedCount; ++i)
        m_speeds[i] = dialogs::TypedNumber(m_pEdits[i]->text(), 0, kMaxSpeed);
    accept();
}

void CDriveSetDlg::slot_ButtonNo() {
    reject();
}
