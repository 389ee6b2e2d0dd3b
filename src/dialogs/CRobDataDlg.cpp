#include "dialogs/CRobDataDlg.h"

#include "dialogs/DialogTexts.h"

#include <QComboBox>
#include <QLabel>
#include <QScrollBar>
#include <QTextEdit>
#include <QVBoxLayout>

CRobDataDlg::CRobDataDlg(const LanguageTexts& texts, QWidget* parent)
    : QDialog(parent)
    , m_texts(texts) {
    setFixedSize(350, 300);
    m_pLabel = new QLabel(this);
    m_pCombo = new QComboBox(this);
    m_pText = new QTextEdit(this);
    // The page rewrites the text every frame: typing into it would be lost.
    m_pText->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pLabel);
    layout->addWidget(m_pCombo);
    layout->addWidget(m_pText);
    f_Language();
}

void CRobDataDlg::f_Language() {
    const DialogTexts texts(m_texts, "CRobDataDlg", "f_Language");
    texts.IfPresent("sTitle", [this](const QString& text) { setWindowTitle(text); });
    texts.IfPresent("s", [this](const QString& text) { m_pLabel->setText(text); });
}

void CRobDataDlg::SetText(const QString& text) {
    // The page sets the text every frame: an unchanged text is left alone (so
    // a selection survives) and a new one keeps the place the user scrolled to.
    if (m_pText->toPlainText() == text)
        return;
    QScrollBar* bar = m_pText->verticalScrollBar();
    const int scrolled = bar->value();
    m_pText->setPlainText(text);
    bar->setValue(scrolled);
}
