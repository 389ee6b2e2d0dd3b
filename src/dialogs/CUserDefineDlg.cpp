#include "dialogs/CUserDefineDlg.h"

#include "dialogs/AccessKey.h"
#include "dialogs/CExTreeView.h"
#include "dialogs/DialogTexts.h"
#include "dialogs/DialogsLog.h"
#include "foundation/CConfig.h"
#include "platform/WholeFile.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QUrl>
#include <QVBoxLayout>

#include <cerrno>
#include <filesystem>
#include <string_view>
#include <system_error>

CUserDefineDlg::CUserDefineDlg(const CConfig& config, QWidget* parent)
    : QDialog(parent)
    , m_config(config)
    , m_sModelDir(config.InProgramDir(QStringLiteral("UserModels")) + QLatin1Char('/'))
    , m_sModelDirNative(QDir::toNativeSeparators(m_sModelDir)) {
    m_sLastDir = m_sModelDir;
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("Dialog"));
    resize(684, 455);

    m_pTree = new CExTreeView(m_sModelDir, m_config, this);
    m_pBtnOpen = new QPushButton(QStringLiteral("Open folder"), this);
    m_pBtnAdd = new QPushButton(QStringLiteral("Add"), this);
    m_pBtnDel = new QPushButton(QStringLiteral("Delete"), this);
    m_pBtnRefresh = new QPushButton(QStringLiteral("Refresh"), this);
    m_pBtnToMap = new QPushButton(QStringLiteral("To playground"), this);
    m_pStatusBar = new QStatusBar(this);
    m_pStatusBar->setStyleSheet(QStringLiteral("background-color: rgba(0,0,0,0);"));

    auto* column = new QVBoxLayout;
    for (QPushButton* button : { m_pBtnOpen, m_pBtnAdd, m_pBtnDel, m_pBtnRefresh, m_pBtnToMap })
        column->addWidget(button);
    column->addStretch();
    auto* row = new QHBoxLayout;
    row->addWidget(m_pTree);
    row->addLayout(column);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_pStatusBar);

    connect(m_pBtnAdd, &QPushButton::pressed, this, &CUserDefineDlg::slot_ptn_AddFile_1);
    connect(m_pBtnDel, &QPushButton::pressed, this, &CUserDefineDlg::slot_ptn_DelFile_1);
    connect(m_pBtnOpen, &QPushButton::pressed, this, &CUserDefineDlg::slot_ptn_OpenFolder_1);
    connect(m_pBtnRefresh, &QPushButton::pressed, this, &CUserDefineDlg::slot_ptn_Refresh_1);
    connect(m_pBtnToMap, &QPushButton::pressed, this, &CUserDefineDlg::slot_ptn_ToGround_1);
    connect(m_pTree, &QTreeWidget::itemClicked, this, &CUserDefineDlg::slot_tree1_clicked);
}

void CUserDefineDlg::f_Language() {
    const DialogTexts texts(m_config, "CUserDefineDlg", "f_Language");
    texts.IfPresent("sTitle", [this](const QString& text) { setWindowTitle(text); });
    const std::pair<QPushButton*, const char*> buttons[] = { { m_pBtnOpen, "sOpen" }, { m_pBtnAdd, "sAdd" },
        { m_pBtnDel, "sDel" }, { m_pBtnRefresh, "sRefresh" }, { m_pBtnToMap, "sToMap" } };
    for (const auto& [button, key] : buttons) {
        texts.IfPresent(key, [button = button](const QString& text) {
            button->setText(text);
            button->setStatusTip(text);
        });
    }
}

int CUserDefineDlg::Exec() {
    m_pTree->Refresh();
    return exec();
}

int CUserDefineDlg::MakeModelDir() const {
    std::error_code failure;
    std::filesystem::create_directories(QFile::encodeName(m_sModelDir).toStdString(), failure);
    if (!failure)
        return 0;
    // A file where the folder should be is "not a folder".
    const int error = failure.value() == EEXIST ? ENOTDIR : failure.value();
    qCWarning(lcDialogs, "Cannot create the user model folder %s: %s", qPrintable(m_sModelDirNative),
        platform::SystemReason(error).c_str());
    return error;
}

void CUserDefineDlg::slot_ptn_OpenFolder_1() {
    // The desktop's own file manager shows the folder; it runs on its own.
    if (MakeModelDir() == 0 && !QDesktopServices::openUrl(QUrl::fromLocalFile(m_sModelDir)))
        qCWarning(lcDialogs, "No program opens the folder %s", qPrintable(m_sModelDirNative));
    m_pTree->Refresh();
}

void CUserDefineDlg::slot_ptn_AddFile_1() {
    m_pBtnAdd->clearFocus();
    const QString file = QFileDialog::getOpenFileName(
        this, m_pBtnAdd->text(), m_sLastDir, QStringLiteral("IVE (*.ive *.IVE);;OSG (*.osg *.OSG)"));
    if (file.isEmpty())
        return;
    const QFileInfo chosen(file);
    m_sLastDir = chosen.absolutePath();
    const QString target = m_sModelDir + chosen.fileName();
    if (QFileInfo::exists(target)) {
        m_config.ShowTips("CUserDefineDlg", "slot_ptn_AddFile_1", "s");
        return;
    }
    // The copy is read whole and written whole: a full disk leaves no cut
    // model in the library, and the student learns why.
    QString reason;
    QFile in(file);
    QByteArray model;
    if (!in.open(QIODevice::ReadOnly)) {
        reason = in.errorString();
    } else {
        model = in.readAll();
        if (in.error() != QFileDevice::NoError)
            reason = in.errorString();
    }
    int error = 0;
    if (reason.isEmpty())
        error = MakeModelDir();
    if (reason.isEmpty() && error == 0)
        error = platform::WriteWholeFile(QFile::encodeName(target).toStdString(),
            std::string_view(model.constData(), std::size_t(model.size())));
    if (error != 0)
        reason = QString::fromLocal8Bit(platform::SystemReason(error).c_str());
    if (!reason.isEmpty()) {
        qCWarning(lcDialogs, "Cannot copy %s into %s: %s", qPrintable(QDir::toNativeSeparators(file)),
            qPrintable(m_sModelDirNative), qPrintable(reason));
        const DialogTexts texts(m_config, "CUserDefineDlg", "slot_ptn_AddFile_1");
        m_config.f_TipsDlg(texts.Get("sFail") + QLatin1Char('\n') + QDir::toNativeSeparators(file)
            + QLatin1Char('\n') + texts.Get("sSystem").arg(reason));
        return;
    }
    m_pTree->Refresh(chosen.fileName());
}

void CUserDefineDlg::slot_ptn_Refresh_1() {
    m_pTree->Refresh();
}

void CUserDefineDlg::slot_tree1_clicked(QTreeWidgetItem*, int) {
    m_pStatusBar->showMessage(m_sModelDirNative + m_pTree->GetCurrentName(), 3000);
}

void CUserDefineDlg::slot_ptn_ToGround_1() {
    const QString name = m_pTree->GetCurrentName();
    if (!name.isEmpty())
        emit signal_ToGround(m_sModelDir + name);
}

void CUserDefineDlg::slot_ptn_DelFile_1() {
    if (!m_pTree->currentItem())
        return;
    const DialogTexts texts(m_config, "CUserDefineDlg", "slot_ptn_DelFile_1");
    QMessageBox question(
        QMessageBox::Question, texts.Get("sTitle"), texts.Get("s"), QMessageBox::NoButton, this);
    QPushButton* yes
        = dialogs::AddKeyedButton(question, texts.Get("sOK"), QLatin1Char('O'), QMessageBox::AcceptRole);
    QPushButton* no
        = dialogs::AddKeyedButton(question, texts.Get("sNo"), QLatin1Char('C'), QMessageBox::RejectRole);
    question.setDefaultButton(yes);
    question.setEscapeButton(no);
    question.exec();
    if (question.clickedButton() != yes)
        return;
    if (!m_pTree->RemoveFile())
        m_config.f_TipsDlg(texts.Get("sFail"));
}
