#include "window/CAboutDlg.h"

#include "foundation/CConfig.h"
#include "widgets/CMagnifierText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSpacerItem>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr int kHeight = 267;
constexpr int kHeadlineRadius = 10;

// One widget centred in a row of its own.
QHBoxLayout* Centred(QWidget* widget) {
    auto* row = new QHBoxLayout;
    row->addItem(new QSpacerItem(10, 10, QSizePolicy::Expanding, QSizePolicy::Minimum));
    row->addWidget(widget);
    row->addItem(new QSpacerItem(10, 10, QSizePolicy::Expanding, QSizePolicy::Minimum));
    return row;
}

} // namespace

CAboutDlg::CAboutDlg(const CConfig& config, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint) {
    int width = 330;
    int headlineHeight = 38;
    if (config.m_nLanguage == 2) {
        width = 550;
        headlineHeight = 36;
    }
    setMinimumSize(width + 20, kHeight);
    setMaximumSize(width + 20, kHeight);

    m_pVersion = new QLabel(this);
    m_pNotice = new QLabel(this);
    m_pLink = new QLabel(this);
    m_pHeadline = new CMagnifierText(nullptr, false);
    m_pHeadline->setMinimumSize(width, headlineHeight);
    m_pHeadline->setMaximumSize(width, headlineHeight);

    m_pVersion->setText(QStringLiteral("版本:V1.1"));
    m_pNotice->setText(QStringLiteral("Morvane 机器人仿真 © Morvane 开发组"));
    const QUrl manual = QUrl::fromLocalFile(config.InProgramDir(QStringLiteral("XML/Manual.html")));
    m_pLink->setText(QStringLiteral("<a href=\"%1\">Morvane</a>").arg(manual.toString(QUrl::FullyEncoded)));
    m_pLink->setOpenExternalLinks(true);

    auto* layout = new QVBoxLayout(this);
    layout->addItem(new QSpacerItem(10, 20, QSizePolicy::Minimum, QSizePolicy::Expanding));
    layout->addLayout(Centred(m_pHeadline));
    layout->addItem(new QSpacerItem(10, 20, QSizePolicy::Minimum, QSizePolicy::Expanding));
    layout->addLayout(Centred(m_pVersion));
    layout->addLayout(Centred(m_pNotice));
    layout->addLayout(Centred(m_pLink));
    layout->addItem(new QSpacerItem(10, 20, QSizePolicy::Minimum, QSizePolicy::Expanding));

    setWindowTitle(config.GetText("CAboutDlg", "CAboutDlg", "sTitle"));
    m_pHeadline->setText(config.GetText("CAboutDlg", "CAboutDlg", "s"));
    m_pHeadline->setRadius(kHeadlineRadius);
}
