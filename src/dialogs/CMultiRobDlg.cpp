#include "dialogs/CMultiRobDlg.h"

#include "dialogs/DialogTexts.h"
#include "foundation/CConfig.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QVBoxLayout>

CMultiRobDlg::CMultiRobDlg(const CConfig& config, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint)
    , m_config(config) {
    setModal(true);
    setFixedSize(550, 290);
    m_strBrowse[0] = QStringLiteral("Browse...");
    m_strBrowse[1] = QStringLiteral("Browse...");

    auto* grid = new QGridLayout;
    for (int i = 0; i < 3; ++i) {
        m_pCaptions[i] = new QLabel(this);
        grid->addWidget(m_pCaptions[i], 0, i);
    }
    for (int row = 0; row < kRows; ++row) {
        grid->addWidget(new QLabel(QString::asprintf("%d", row + 1), this), row + 1, 0);
        for (int column = 0; column < 2; ++column) {
            auto* combo = new QComboBox(this);
            m_pCombos[row][column] = combo;
            grid->addWidget(combo, row + 1, column + 1);
            connect(combo, &QComboBox::currentIndexChanged, this,
                [this, row, column](int) { f_SelCombo(row, column); });
        }
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);

    m_pButtonOK = new QPushButton(QStringLiteral("OK"), this);
    m_pButtonNo = new QPushButton(QStringLiteral("Cancel"), this);
    m_pButtonOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_pButtonOK);
    buttons->addWidget(m_pButtonNo);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(m_pButtonOK, &QPushButton::clicked, this, &CMultiRobDlg::f_Load_MultiRobDlgToUi);
    connect(m_pButtonNo, &QPushButton::clicked, this, &QDialog::reject);
    f_Language();
    for (auto& row : m_pCombos) {
        FillCombo(row[0], 0, QString());
        FillCombo(row[1], 1, QString());
    }
}

void CMultiRobDlg::f_Language() {
    const DialogTexts texts(m_config, "CMultiRobDlg", "f_Language");
    texts.IfPresent("sTitle", [this](const QString& text) { setWindowTitle(text); });
    const char* captionKeys[3] = { "slabel", "slabel2", "slabel3" };
    for (int i = 0; i < 3; ++i)
        texts.IfPresent(captionKeys[i], [this, i](const QString& text) { m_pCaptions[i]->setText(text); });
    texts.IfPresent("sCombo", [this](const QString& text) { m_strBrowse[0] = text; });
    texts.IfPresent("sCombo2", [this](const QString& text) { m_strBrowse[1] = text; });
    texts.IfPresent("sOK", [this](const QString& text) { m_pButtonOK->setText(text); });
    texts.IfPresent("sNo", [this](const QString& text) { m_pButtonNo->setText(text); });
    m_bFilling = true;
    const auto filled = qScopeGuard([this] { m_bFilling = false; });
    for (auto& row : m_pCombos) {
        for (int column = 0; column < 2; ++column) {
            if (row[column]->count() > 1)
                row[column]->setItemText(1, m_strBrowse[column]);
        }
    }
}

int CMultiRobDlg::Exec(std::vector<std::string>* robots, std::vector<std::string>* programs) {
    m_pRobots = robots;
    m_pPrograms = programs;
    for (int row = 0; row < kRows; ++row) {
        const auto entry = [row](const std::vector<std::string>* list) {
            return list && size_t(row) < list->size() ? QString::fromStdString((*list)[size_t(row)])
                                                      : QString();
        };
        FillCombo(m_pCombos[row][0], 0, entry(robots));
        FillCombo(m_pCombos[row][1], 1, entry(programs));
    }
    return exec();
}

void CMultiRobDlg::FillCombo(QComboBox* combo, int column, const QString& path) {
    m_bFilling = true;
    const auto filled = qScopeGuard([this] { m_bFilling = false; });
    combo->clear();
    combo->addItem(QString());
    combo->addItem(m_strBrowse[column]);
    if (path.isEmpty()) {
        combo->setToolTip(QString());
        combo->setCurrentIndex(0);
        return;
    }
    combo->addItem(QFileInfo(path).baseName());
    combo->setToolTip(path);
    combo->setCurrentIndex(2);
}

bool CMultiRobDlg::RobotNameTaken(int row, const QString& baseName) const {
    for (int other = 0; other < kRows; ++other) {
        const QComboBox* combo = m_pCombos[other][0];
        if (other != row && combo->currentIndex() > 1 && combo->itemText(2) == baseName)
            return true;
    }
    return false;
}

void CMultiRobDlg::f_SelCombo(int row, int column) {
    if (m_bFilling)
        return;
    QComboBox* combo = m_pCombos[row][column];
    const int index = combo->currentIndex();
    if (index == 0) {
        FillCombo(combo, column, QString());
        return;
    }
    if (index != 1)
        return;

    const bool hadFile = combo->count() > 2;
    QString folder;
    if (hadFile)
        folder = QFileInfo(combo->toolTip()).absolutePath();
    else if (column == 0)
        folder = m_config.InProgramDir(QStringLiteral("robot"));
    else
        folder = m_config.ProgramDir() + m_config.m_strDllDir;
    const QString filter
        = column == 0 ? QStringLiteral("ROB (*.rob)") : QStringLiteral("SO (*.so);;DLL (*.dll)");
    const QString file = QFileDialog::getOpenFileName(
        this, m_config.GetText("CMultiRobDlg", "f_SelCombo", "sOpen"), folder, filter);

    // Only robots must differ: a program may be shared, or named like a robot.
    const QString baseName = QFileInfo(file).baseName();
    const bool taken = !file.isEmpty() && column == 0 && RobotNameTaken(row, baseName);
    if (file.isEmpty() || taken) {
        // The row shows again what it held before it was browsed from, also
        // while the refusal is told.
        if (!hadFile) {
            FillCombo(combo, column, QString());
        } else {
            m_bFilling = true;
            combo->setCurrentIndex(2);
            m_bFilling = false;
        }
        if (taken)
            m_config.f_TipsDlg(m_config.GetText("CMultiRobDlg", "f_SelCombo", "s") + QLatin1Char('"')
                + baseName + QLatin1Char('"') + m_config.GetText("CMultiRobDlg", "f_SelCombo", "s2")
                + QLatin1Char('!'));
        return;
    }
    FillCombo(combo, column, file);
}

void CMultiRobDlg::EnteredRows(std::vector<std::string>& robots, std::vector<std::string>& programs) const {
    robots.clear();
    programs.clear();
    for (const auto& row : m_pCombos) {
        robots.push_back(row[0]->currentIndex() > 1 ? row[0]->toolTip().toStdString() : std::string());
        programs.push_back(row[1]->currentIndex() > 1 ? row[1]->toolTip().toStdString() : std::string());
    }
}

void CMultiRobDlg::f_Load_MultiRobDlgToUi() {
    if (m_pRobots && m_pPrograms) {
        m_pRobots->clear();
        m_pPrograms->clear();
        for (auto& row : m_pCombos) {
            if (row[0]->currentIndex() <= 1)
                continue;
            m_pRobots->push_back(row[0]->toolTip().toStdString());
            m_pPrograms->push_back(
                row[1]->currentIndex() > 1 ? row[1]->toolTip().toStdString() : std::string());
        }
    }
    accept();
}
