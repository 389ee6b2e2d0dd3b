// A run's result bundle: writing it at the end of a run, loading one back
// into the simulation page, and submitting one to the classroom server.

#include "window/CMainDlg.h"

#include "apps/CEmuApp.h"
#include "classlink/C3DFile.h"
#include "classlink/Up3DFileMessage.h"
#include "classlink/UploadReceipt.h"
#include "dialogs/CInputDlg.h"
#include "foundation/CConfig.h"
#include "platform/WholeFile.h"
#include "server/CClient.h"
#include "window/WindowLog.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTcpSocket>
#include <QTextCodec>
#include <QTimer>

#include <cerrno>
#include <optional>
#include <string_view>

namespace Ui {

namespace {

const char* const kBundleFile = "Temp/temp.3d";
const char* const kRobotFile = "Temp/temp.rob";
const char* const kProgramFile = "Temp/temp.dll";
const char* const kPlaygroundFile = "Temp/temp.pla";

// The classroom server takes no larger bundle; none is read into memory
// either.
constexpr qint64 kMaxBundleSize = CClient::kMaxDataLength;
// ... nor a longer name than it can store.
constexpr qsizetype kMaxNameLength = (CClient::kMaxNameLength - 4) / 2;

// A link that went down gets this long to come back for an upload.
constexpr int kReconnectMs = 5000;
// And a bundle this long to leave, per MiB (at least one).
constexpr int kSendMsPerMiB = 2000;
// Once it has left, the server's receipt gets this long, and as long again
// as the bundle had to leave: the network may still hold much of it.
constexpr int kReceiptMs = 5000;

// A whole file, or nothing for one that cannot be read or exceeds limit
// (why, in the system's words, goes to reason when given).
QByteArray ReadWhole(const QString& path, qint64 limit, bool* tooLarge = nullptr, QString* reason = nullptr) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (reason)
            *reason = file.errorString();
        return {};
    }
    if (file.size() > limit) {
        if (tooLarge)
            *tooLarge = true;
        if (reason)
            *reason = QString::fromLocal8Bit(platform::SystemReason(EFBIG).c_str());
        return {};
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (reason)
            *reason = file.errorString();
        return {};
    }
    return bytes;
}

// Written whole under a temporary name and then renamed over path, so that
// nothing ever finds half a file, and a program being run from its old copy
// is never overwritten in place; 0, or the errno value of the failure.
int WriteWhole(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    return platform::WriteWholeFile(QFile::encodeName(path).toStdString(),
        std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

QString Reason(int errorNumber) {
    return QString::fromLocal8Bit(platform::SystemReason(errorNumber).c_str());
}

bool IsConnected(const CConfig& config) {
    return config.m_pSocket && config.m_pSocket->state() == QAbstractSocket::ConnectedState;
}

} // namespace

QString CMainDlg::f_Save3DFile(const QString& text) {
    const QString bundlePath = m_config.InProgramDir(QString::fromLatin1(kBundleFile));
    // A bundle of an earlier run must not pass for this one's.
    QFile::remove(bundlePath);

    const SRobThreadData& block = *m_pEmuApp->GetLoadBlock();
    std::string program = block.m_strProgramFile;
    if (program.empty() && !block.m_vecProgramFiles.empty())
        program = block.m_vecProgramFiles.front();
    if (block.m_vecRobotFiles.empty() || program.empty())
        return QString();
    // What could not be read or written is told with the run's score, where
    // the student looks for the result to submit.
    const auto unread = [this](const QString& file, const QString& reason) {
        qCWarning(lcWindow, "The result bundle was not written: %s cannot be read: %s", qPrintable(file),
            qPrintable(reason));
        return m_config.GetText("CMainDlg", "f_Save3DFile", "sNotRead")
            .arg(QDir::toNativeSeparators(file), reason);
    };
    C3DFile::Sections sections;
    QString reason;
    const QString robot = RunPath(block.m_vecRobotFiles.front());
    sections.robot = ReadWhole(robot, kMaxBundleSize, nullptr, &reason);
    if (sections.robot.isEmpty())
        return unread(robot, reason);
    const QString programPath = RunPath(program);
    sections.program = ReadWhole(programPath, kMaxBundleSize, nullptr, &reason);
    if (sections.program.isEmpty())
        return unread(programPath, reason);
    if (!block.m_strPlaygroundFile.empty()) {
        const QString ground = RunPath(block.m_strPlaygroundFile);
        sections.ground = ReadWhole(ground, kMaxBundleSize, nullptr, &reason);
        if (sections.ground.isEmpty())
            return unread(ground, reason);
    }
    static QTextCodec* const gbk = QTextCodec::codecForName("GBK");
    sections.text = gbk ? gbk->fromUnicode(text) : text.toLocal8Bit();
    if (const int error = WriteWhole(bundlePath, C3DFile::Pack(sections))) {
        qCWarning(lcWindow, "The result bundle %s could not be written: %s", qPrintable(bundlePath),
            qPrintable(Reason(error)));
        return m_config.GetText("CMainDlg", "f_Save3DFile", "sNotWritten")
            .arg(QDir::toNativeSeparators(bundlePath), Reason(error));
    }
    return QString();
}

bool CMainDlg::f_Load3DFile(const QString& path) {
    if (m_pEmuApp->IsLoading())
        return false;
    // Refused with the file, and the system's reason for one that cannot
    // be read.
    QString unreadable;
    const QByteArray bundle = ReadWhole(path, kMaxBundleSize, nullptr, &unreadable);
    constexpr qsizetype kShortest = 14;
    if (bundle.size() < kShortest) {
        f_3DFileTips(path, unreadable);
        return false;
    }
    const std::optional<C3DFile::Sections> sections = C3DFile::Unpack(bundle, C3DFile::Reader::Load);
    if (!sections) {
        f_3DFileTips(path);
        return false;
    }
    // A match allows its own playground only; a refused bundle changes
    // nothing.
    const bool withGround = !sections->ground.isEmpty();
    if (withGround && !AcceptsMatchPlayground(sections->ground))
        return false;

    const QString robot = m_config.InProgramDir(QString::fromLatin1(kRobotFile));
    const QString program = m_config.InProgramDir(QString::fromLatin1(kProgramFile));
    const QString ground = m_config.InProgramDir(QString::fromLatin1(kPlaygroundFile));
    int error = WriteWhole(robot, sections->robot);
    if (error == 0)
        error = WriteWhole(program, sections->program);
    if (error == 0 && withGround)
        error = WriteWhole(ground, sections->ground);
    if (error != 0) {
        const QString folder = QFileInfo(robot).absolutePath();
        qCWarning(lcWindow, "The result bundle %s could not be unpacked into %s: %s", qPrintable(path),
            qPrintable(folder), qPrintable(Reason(error)));
        m_config.f_TipsDlg(m_config.GetText("CMainDlg", "f_Save3DFile", "sNotUnpacked")
                               .arg(QDir::toNativeSeparators(folder), Reason(error)));
        return false;
    }

    SRobThreadData& block = *m_pEmuApp->GetLoadBlock();
    block.m_vecRobotFiles = { robot.toLocal8Bit().toStdString() };
    block.m_strProgramFile = program.toLocal8Bit().toStdString();
    block.m_vecProgramFiles.clear();
    m_nExampleLevel = 0;
    if (withGround)
        block.m_strPlaygroundFile = ground.toLocal8Bit().toStdString();
    f_EmuAppRefresh();
    return true;
}

// ---- submitting a bundle ---------------------------------------------------------------------------

CMainDlg::Submitted CMainDlg::SendBundle(const QString& name, const QByteArray& bundle, QString& listedName) {
    CConfig& config = m_config;
    if (!config.Link())
        return Submitted::NotSent;
    // The link opened at start may have gone (the teacher's server was
    // restarted, the network dropped): one more try.
    if (!ConnectClassroomLink(kReconnectMs)) {
        qCWarning(
            lcWindow, "Upload: the classroom server %s cannot be reached", qPrintable(config.m_strClassHost));
        return Submitted::NotSent;
    }
    QEventLoop wait;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &wait, &QEventLoop::quit);
    connect(&config, &CConfig::signal_Disconnect, &wait, &QEventLoop::quit);
    // The server's word that it stored the bundle.
    std::optional<QString> receipt;
    connect(&config, &CConfig::signal_GetMsg, &wait, [&wait, &receipt](QByteArray* body) {
        if (body && !receipt && (receipt = ReadUploadReceipt(*body)))
            wait.quit();
    });
    if (!config.SendMsg(BuildUp3DFileMessage(name, bundle), false))
        return Submitted::NotSent;
    // Sent means handed to the network whole, before the link could drop.
    QTcpSocket* socket = config.m_pSocket;
    connect(socket, &QTcpSocket::bytesWritten, &wait, [&wait, socket] {
        if (socket->bytesToWrite() == 0)
            wait.quit();
    });
    const int sendMs = int(kSendMsPerMiB * (1 + bundle.size() / (1 << 20)));
    if (socket->bytesToWrite() > 0 && IsConnected(config)) {
        deadline.start(sendMs);
        wait.exec();
    }
    if (!receipt && !(IsConnected(config) && socket->bytesToWrite() == 0)) {
        qCWarning(lcWindow, "Upload: the link dropped before the bundle had gone out");
        return Submitted::NotSent;
    }
    // Then what the network still holds of it reaches the server, which
    // stores it and says so.
    if (!receipt && IsConnected(config)) {
        deadline.start(kReceiptMs + sendMs);
        wait.exec();
    }
    if (!receipt) {
        qCWarning(lcWindow, "Upload: the classroom server did not confirm that it stored the bundle \"%s\"",
            qPrintable(name));
        return Submitted::Unconfirmed;
    }
    listedName = *receipt;
    return Submitted::Stored;
}

void CMainDlg::slot_Up3DFile() {
    f_ResetEmuAppMouseMode();
    const QString file = QFileDialog::getOpenFileName(
        this, f_OpenFileMessage(), m_config.InProgramDir(QStringLiteral("Temp")), f_3DFileMessage());
    if (file.isEmpty())
        return;
    bool tooLarge = false;
    QString unreadable;
    const QByteArray bundle = ReadWhole(file, kMaxBundleSize, &tooLarge, &unreadable);
    constexpr qsizetype kShortest = 9;
    if (tooLarge || bundle.size() < kShortest
        || !C3DFile::IsValid(C3DFile::ParseHeader(bundle.left(C3DFile::kMaxHeaderSize), bundle.size()),
            bundle.size(), C3DFile::Reader::Upload)) {
        f_3DFileTips(file, unreadable);
        return;
    }
    QString name = QFileInfo(file).baseName();
    CInputDlg input(m_config.GetText("CMainDlg", "slot_Up3DFile", "sName"), &name, m_config, this);
    if (input.exec() != QDialog::Accepted)
        return;
    // The server stores the bundle under this name: it must make one.
    if (name.trimmed().isEmpty() || name.size() > kMaxNameLength || CConfig::HasBadFileChar(name)) {
        f_3DFileTips();
        return;
    }
    // What an earlier submission said is not this one's.
    statusbar->clearMessage();
    // A bundle that did not go out is offered again to an address the
    // student may correct, without a restart.
    for (;;) {
        QString listed;
        switch (SendBundle(name, bundle, listed)) {
        case Submitted::Stored:
            // It stays: the student may look for it later.
            statusbar->showMessage(m_config.GetText("CMainDlg", "slot_Up3DFile", "sStored").arg(listed));
            return;
        case Submitted::Unconfirmed:
            m_config.f_TipsDlg(m_config.GetText("CMainDlg", "slot_Up3DFile", "sUnconfirmed"));
            return;
        case Submitted::NotSent:
            if (!AskToChangeAddress() || !AskClassroomAddress(true))
                return;
            break;
        }
    }
}

bool CMainDlg::AskToChangeAddress() {
    const CConfig& config = m_config;
    QMessageBox box(QMessageBox::Information, config.GetText("CConfig", "f_TipsDlg", "sTitle"),
        config.GetText("CMainDlg", "slot_Up3DFile", "sNotSent"), QMessageBox::NoButton, this);
    box.addButton(config.GetText("CConfig", "f_TipsDlg", "sOK"), QMessageBox::AcceptRole);
    QPushButton* change
        = box.addButton(config.GetText("CMainDlg", "slot_Up3DFile", "sAddress"), QMessageBox::ActionRole);
    box.exec();
    return box.clickedButton() == change;
}

} // namespace Ui
