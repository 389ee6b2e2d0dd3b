#include "dialogs/CLoadDlg.h"

#include "dialogs/DialogTexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpacerItem>
#include <QVBoxLayout>

CLoadDlg::CLoadDlg(bool robotUnsaved, bool mapUnsaved, const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint) {
    setModal(true);

    m_pRobotNote = new QLabel(this);
    m_pMapNote = new QLabel(this);
    m_pRobotBox = new QCheckBox(QStringLiteral("Robot"), this);
    m_pMapBox = new QCheckBox(QStringLiteral("Playground"), this);
    m_pRobotBox->setChecked(true);
    m_pMapBox->setChecked(true);
    m_pButtonOK = new QPushButton(QStringLiteral("OK"), this);
    m_pButtonNo = new QPushButton(QStringLiteral("Cancel"), this);
    m_pButtonOK->setDefault(true);

    auto* rows = new QGridLayout;
    rows->addWidget(m_pRobotBox, 0, 0);
    rows->addWidget(m_pRobotNote, 0, 1);
    rows->addWidget(m_pMapBox, 1, 0);
    rows->addWidget(m_pMapNote, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addItem(new QSpacerItem(50, 1));
    buttons->addWidget(m_pButtonOK);
    buttons->addWidget(m_pButtonNo);
    buttons->addItem(new QSpacerItem(50, 1));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(rows);
    layout->addLayout(buttons);

    const DialogTexts group(texts, "CLoadDlg", "CLoadDlg");
    group.IfPresent("sTitle", [this](const QString& text) { setWindowTitle(text); });
    group.IfPresent("sRob", [this](const QString& text) { m_pRobotBox->setText(text); });
    group.IfPresent("sMap", [this](const QString& text) { m_pMapBox->setText(text); });
    group.IfPresent("sOK", [this](const QString& text) { m_pButtonOK->setText(text); });
    group.IfPresent("sNo", [this](const QString& text) { m_pButtonNo->setText(text); });
    if (robotUnsaved)
        group.IfPresent("sRob2", [this](const QString& text) { m_pRobotNote->setText(text); });
    if (mapUnsaved)
        group.IfPresent("sMap2", [this](const QString& text) { m_pMapNote->setText(text); });

    // The form's 300 x 100, or what the texts need in their font when that
    // is more: the notes stay on one line each and show whole.
    layout->activate();
    setFixedSize(QSize(300, 100).expandedTo(minimumSizeHint()));

    connect(m_pButtonOK, &QPushButton::clicked, this, &CLoadDlg::slot_ButtonOK);
    connect(m_pButtonNo, &QPushButton::clicked, this, &CLoadDlg::slot_ButtonNo);
}

void CLoadDlg::slot_ButtonOK() {
    m_bLoadRobot = m_pRobotBox->isChecked();
    m_bLoadMap = m_pMapBox->isChecked();
    accept();
}

void CLoadDlg::slot_ButtonNo() {
    reject();
}
