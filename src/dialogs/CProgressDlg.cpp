#include "dialogs/CProgressDlg.h"

#include "dialogs/DialogTexts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

CProgressDlg::CProgressDlg(const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent, Qt::CustomizeWindowHint)
    , m_texts(texts) {
    setModal(true);
    setFixedSize(300, 100);

    m_pLabel = new QLabel(this);
    m_pBar = new QProgressBar(this);
    m_pBar->setRange(0, 100);
    m_pBar->setValue(0);
    m_pButton = new QPushButton(QStringLiteral("Hide"), this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pLabel);
    layout->addWidget(m_pBar);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pButton);
    layout->addLayout(buttons);

    connect(m_pButton, &QPushButton::clicked, this, &QWidget::hide);
    f_Language();
}

void CProgressDlg::f_Language() {
    const DialogTexts texts(m_texts, "CProgressDlg", "f_Language");
    texts.IfPresent("sTitle", [this](const QString& text) {
        setWindowTitle(text);
        // The dialog has no title bar: the label says what is loading.
        m_pLabel->setText(text);
    });
    texts.IfPresent("sNo", [this](const QString& text) { m_pButton->setText(text); });
}

void CProgressDlg::SetValue(int percent) {
    m_pBar->setValue(percent);
    if (percent < 100) {
        if (!isVisible())
            show();
    } else if (isVisible()) {
        hide();
    }
}
