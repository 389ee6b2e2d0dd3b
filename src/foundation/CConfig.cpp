#include "foundation/CConfig.h"

#include "classlink/XorWithLinkKey.h"
#include "foundation/ContestClient.h"
#include "foundation/FoundationLog.h"
#include "platform/ProgramDir.h"
#include "platform/WholeFile.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdint>
#include <string_view>

namespace {

const char* const kSettingsFile = "XML/Settings.dat";

// A settings file is a few dozen bytes; anything this large is not ours.
constexpr qint64 kMaxSettingsFileSize = 1 << 20;
// Longest user name or password (in UTF-8 bytes) that the settings file keeps.
constexpr qint32 kMaxSecretBytes = 1024;

const int kBoxCorner[24] = { 1, 3, 5, 1, 3, 4, 1, 2, 5, 1, 2, 4, 0, 3, 5, 0, 3, 4, 0, 2, 5, 0, 2, 4 };
const int kBoxTriangle[36] = { 0, 1, 2, 1, 2, 3, 0, 1, 4, 1, 4, 5, 0, 2, 4, 2, 4, 6, 4, 5, 6, 5, 6, 7, 1, 3,
    5, 3, 5, 7, 2, 3, 6, 3, 6, 7 };

// The settings file keeps the user name and password as one qint32 per UTF-8
// byte, each byte XORed with the link key. Plain ASCII gives exactly the
// classic layout; other characters survive because the bytes are read back as
// UTF-8 rather than one character per byte.
void WriteScrambled(QDataStream& out, const QString& text, std::string_view key) {
    QByteArray bytes = text.toUtf8();
    if (bytes.size() > kMaxSecretBytes) {
        qCWarning(lcFoundation, "Settings: a remembered login field is too long and is not saved");
        bytes.clear();
    }
    XorWithLinkKey(bytes, 0, key);
    out << static_cast<qint32>(bytes.size());
    for (const char b : bytes)
        out << static_cast<qint32>(static_cast<std::int8_t>(b));
}

// Reads one scrambled field; false when the count is damaged, so the caller
// stops reading (what follows it cannot be trusted). The count is checked
// before anything is read or reserved: a damaged file costs neither time nor
// memory.
bool ReadScrambled(QDataStream& in, QString& text, std::string_view key) {
    qint32 count = 0;
    in >> count;
    if (in.status() != QDataStream::Ok || count < 0 || count > kMaxSecretBytes) {
        text.clear();
        return false;
    }
    QByteArray bytes;
    bytes.reserve(count);
    for (qint32 i = 0; i < count; ++i) {
        qint32 value = 0;
        in >> value;
        if (in.status() != QDataStream::Ok) {
            text.clear();
            return false;
        }
        bytes.append(static_cast<char>(value & 0xFF));
    }
    XorWithLinkKey(bytes, 0, key);
    text = QString::fromUtf8(bytes);
    return true;
}

} // namespace

CConfig::CConfig(const QString& programDir)
    : m_strProgramDir(programDir) {
    SetDefaults();
    LoadSetUpView();
    if (LoadSettings())
        SetStudio(m_nStudio, false);
    else
        SetStudio(m_nStudio, true);
}

CConfig& CConfig::Instance() {
    static CConfig config(QString::fromStdString(platform::ProgramDir().string()));
    return config;
}

QString CConfig::InProgramDir(const QString& relative) const {
    return QString::fromStdString(
        platform::ResolveInFolder(m_strProgramDir.toStdString(), relative.toStdString()).string());
}

void CConfig::SetDefaults() {
    m_bNoHeartbeat = false;
    m_bKeyDrive = false;
    m_bShowSensorEffect = false;
    m_nRunMode = 0;
    m_nRememberLogin = 0;
    m_nWindowOption = 0;
    m_strLinkKey = std::string(kLinkKey);
    m_nLinkKeyLen = static_cast<int>(m_strLinkKey.size());
    m_nScoreDigits = 5;
    m_nTickDigits = 10;
    m_nLevel = 0;
    m_nDriveSpeed[0] = 40;
    m_nDriveSpeed[1] = 25;
    m_nDriveSpeed[2] = 65;
    m_nDriveSpeed[3] = 15;
    m_bContestFlag = false;
    m_nNetState = 3;
    m_nUserId = 0;
    m_strUser.clear();
    m_strPassword.clear();
    m_strClassHost.clear();
    for (QString& s : m_strLoginInfo)
        s.clear();
    m_nMatchState = 0;
    m_strNetHost.clear();
    m_strFastCar.clear();
    m_strExampleDir.clear();
    m_strExampleDirNative.clear();
    m_strDllDir.clear();
    m_nStudio = 0;
    m_bIsE = false;
    m_strRcu.clear();
    m_bHaveToOutline = false;
    m_nUploadsLeft = 0;
    // Every example comes with its program (5 is the top level), so that
    // each one, opened from the menu, runs as it is.
    m_nExampleProgramLevel = 5;

    m_dJoinFactor = 0.5;
    m_dPortLimit = 0.6;
    m_vPartColor.set(0.0f, 0.41f, 0.65f, 1.0f);
    m_vAxisX.set(1.0f, 0.0f, 0.0f);
    m_vAxisY.set(0.0f, 1.0f, 0.0f);
    m_vAxisZ.set(0.0f, 0.0f, 1.0f);
    m_vTurnAxis = m_vAxisZ;
    m_dScaleTolerance = 0.01;
    m_vOrigin.set(0.0f, 0.0f, 0.0f);
    m_qIdentity.makeRotate(0.0, m_vAxisZ);
    m_vBlack.set(0.0f, 0.0f, 0.0f, 1.0f);
    m_vGridCell.set(2.0f, 2.0f);
    const float halfX = 50.0f * m_vGridCell.x() / 2.0f;
    const float halfY = 50.0f * m_vGridCell.y() / 2.0f;
    m_vGridArea.set(-halfX, -halfY, halfX, halfY);
    m_vEditRect.set(0.0f, 0.0f, 0.0f, 0.0f);
    m_dDragFactor = 5.0;
    m_nBoxCornerCount = 8;
    std::copy(std::begin(kBoxCorner), std::end(kBoxCorner), BoxCorner);
    m_nBoxTriangleCount = 12;
    std::copy(std::begin(kBoxTriangle), std::end(kBoxTriangle), BoxTriangle);
    m_dBoxLimit = 0.4;
    m_nPointKindCount = 5;

    m_nLanguage = 0;
}

bool CConfig::SaveSettings() {
    const QString path = InProgramDir(QString::fromLatin1(kSettingsFile));
    QDir().mkpath(QFileInfo(path).absolutePath());
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_6);
    out << static_cast<qint32>(m_nLanguage) << static_cast<qint32>(m_nRememberLogin)
        << static_cast<qint32>(m_nWindowOption) << m_strClassHost << static_cast<qint32>(m_nStudio);
    if (m_nRememberLogin != 0) {
        WriteScrambled(out, m_strUser, LinkKey());
        WriteScrambled(out, m_strPassword, LinkKey());
    } else {
        out << static_cast<qint32>(0) << static_cast<qint32>(0);
    }
    out << static_cast<qint32>(m_nLevel);
    m_nSettingsError = out.status() == QDataStream::Ok ? 0 : ENOMEM;
    // Whole or not at all: a full disk leaves the settings saved before,
    // the level and the classroom's address with them. The password is only
    // scrambled, so the file is for its owner's eyes.
    if (m_nSettingsError == 0)
        m_nSettingsError = platform::WriteWholeFile(QFile::encodeName(path).toStdString(),
            std::string_view(bytes.constData(), std::size_t(bytes.size())), { .ownerOnly = true });
    if (m_nSettingsError != 0) {
        qCWarning(lcFoundation, "Settings: cannot write %s: %s", qPrintable(path),
            platform::SystemReason(m_nSettingsError).c_str());
        return false;
    }
    return true;
}

bool CConfig::SaveSettingsTold() {
    if (SaveSettings())
        return true;
    f_TipsDlg(GetText("CConfig", "SaveSettings", "s") + QLatin1Char('\n')
        + QDir::toNativeSeparators(InProgramDir(QString::fromLatin1(kSettingsFile))) + QLatin1Char('\n')
        + GetText("CConfig", "SaveSettings", "sSystem")
              .arg(QString::fromLocal8Bit(platform::SystemReason(m_nSettingsError).c_str())));
    return false;
}

bool CConfig::LoadSettings() {
    QFile file(InProgramDir(QString::fromLatin1(kSettingsFile)));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (file.size() > kMaxSettingsFileSize) {
        qCWarning(lcFoundation, "Settings: %s is damaged; using the defaults", qPrintable(file.fileName()));
        return true;
    }

    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_4_6);
    // Each field is taken only when it was read whole, so a short file leaves
    // the rest at the defaults.
    auto readInt = [&in](int& member) {
        qint32 value = 0;
        in >> value;
        if (in.status() != QDataStream::Ok)
            return false;
        member = value;
        return true;
    };
    if (!readInt(m_nLanguage) || !readInt(m_nRememberLogin) || !readInt(m_nWindowOption))
        return true;
    QString host;
    in >> host;
    if (in.status() != QDataStream::Ok)
        return true;
    m_strClassHost = host;
    if (!readInt(m_nStudio))
        return true;
    if (!ReadScrambled(in, m_strUser, LinkKey()) || !ReadScrambled(in, m_strPassword, LinkKey()))
        return true;
    readInt(m_nLevel);
    return true;
}

void CConfig::EncodeMixedRadix(std::vector<int>& digits, int count, int value) const {
    // The vector is always brought to the configured size, so a caller's
    // stale vector can never be indexed out of range.
    digits.assign(static_cast<size_t>(count), 0);
    if (count <= 0)
        return;
    int v = value;
    for (int i = 0; i < count - 1; ++i) {
        digits[static_cast<size_t>(i)] = v % (i + 2);
        v /= (i + 2);
    }
    digits[static_cast<size_t>(count - 1)] = v;
}

namespace {

// Inverse of the mixed-radix encoding over the digits the vector holds. The
// arithmetic wraps like the 32-bit int it returns, so damaged digits give a
// wrong number, never undefined behaviour.
int DecodeMixedRadix(const std::vector<int>& digits) {
    if (digits.empty())
        return 0;
    const size_t count = digits.size();
    std::uint32_t r = static_cast<std::uint32_t>(digits[count - 1]);
    for (size_t n = count; n >= 2; --n) {
        const int digit = digits[n - 2] % static_cast<int>(n);
        r = r * static_cast<std::uint32_t>(n) + static_cast<std::uint32_t>(digit);
    }
    return static_cast<int>(r);
}

} // namespace

void CConfig::EncodeScore(std::vector<int>& digits, int value) const {
    EncodeMixedRadix(digits, m_nScoreDigits, value);
}

int CConfig::DecodeScore(const std::vector<int>& digits) const {
    return DecodeMixedRadix(digits);
}

void CConfig::EncodeTicks(std::vector<int>& digits, int value) const {
    EncodeMixedRadix(digits, m_nTickDigits, value);
}

int CConfig::DecodeTicks(const std::vector<int>& digits) const {
    return DecodeMixedRadix(digits);
}

void CConfig::ConvertSlashesStd(std::string& path, bool toSlash) {
    const char from = toSlash ? '\\' : '/';
    const char to = toSlash ? '/' : '\\';
    for (char& c : path) {
        if (c == from)
            c = to;
    }
}

void CConfig::ConvertSlashes(QString& path, bool toSlash) {
    if (toSlash)
        path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    else
        path.replace(QLatin1Char('/'), QLatin1Char('\\'));
}

bool CConfig::HasBadFileChar(const QString& text) {
    static const QString bad = QStringLiteral("/\\:*\"<>?|");
    for (const QChar c : text) {
        if (bad.contains(c))
            return true;
    }
    return false;
}
