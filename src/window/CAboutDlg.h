#pragma once

#include <QDialog>

class CConfig;
class CMagnifierText;
class QLabel;

// The about box of the help menu: an animated headline, the version, the
// makers' notice and a link to the manual. Its size is fixed: wider for the
// third language, whose headline is longer.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    // Texts and the language index are config's, read once here.
    explicit CAboutDlg(const CConfig& config, QWidget* parent = nullptr);

    CMagnifierText* Headline() const { return m_pHeadline; }
    QLabel* VersionLabel() const { return m_pVersion; }
    QLabel* NoticeLabel() const { return m_pNotice; }
    QLabel* LinkLabel() const { return m_pLink; }

private:
    CMagnifierText* m_pHeadline = nullptr;
    QLabel* m_pVersion = nullptr;
    QLabel* m_pNotice = nullptr;
    QLabel* m_pLink = nullptr;
};
