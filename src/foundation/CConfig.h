#pragma once

#include "foundation/LanguageTexts.h"
#include "foundation/ServerLink.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QString>

#include <osg/Quat>
#include <osg/Vec2>
#include <osg/Vec3>
#include <osg/Vec4>
#include <tinyxml.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ContestClient;
class QTcpSocket;
class QTimer;

// Run modes of the simulator (m_nRunMode).
enum RunMode {
    RunModeNet = 2, // online contest (the contest login sets it)
    RunModeEducation = 3, // the default
    RunModeBase = 4,
    RunModeContest = 5,
    RunModeClassroom = 6, // education with the classroom link
};

// The one process-wide object: the user's settings ("XML/Settings.dat"), the
// studio and language selection over "XML/SetUp_View.xml", the shared
// geometry and editing constants, the score and step-counter encodings, and
// the link to the classroom or contest server (a ServerLink it owns and
// speaks for).
//
// The program builds exactly one, before its entry function runs
// (CConfig::Instance()). New code gets it (or the narrower LanguageTexts)
// passed in; tests build their own, each over a folder of its own.
class CConfig : public QObject, public LanguageTexts {
    Q_OBJECT

public:
    // Loads the set-up file and the settings file below programDir.
    explicit CConfig(const QString& programDir);
    ~CConfig() override;

    CConfig(const CConfig&) = delete;
    CConfig& operator=(const CConfig&) = delete;

    // The process-wide instance, over the program's own folder.
    static CConfig& Instance();

    // The folder that every relative path of the system is resolved against
    // (platform::ResolveInFolder).
    const QString& ProgramDir() const { return m_strProgramDir; }
    QString InProgramDir(const QString& relative) const;

    // ---- settings -------------------------------------------------------------
    void SetDefaults();
    // Writes "XML/Settings.dat" whole or not at all: false (with a warning,
    // the errno value in SettingsError) when it could not be written, and
    // then the settings saved before stay as they were.
    bool SaveSettings();
    // SaveSettings, a failure told to the user in a box with the file and
    // the system's reason: for saves the user asked for.
    bool SaveSettingsTold();
    int SettingsError() const { return m_nSettingsError; }
    // Reads "XML/Settings.dat"; false when the file could not be opened.
    // A short or damaged file leaves what it lacks at the defaults.
    bool LoadSettings();

    // ---- set-up file and language texts ---------------------------------------
    void LoadSetUpView();
    void SetStudio(int studio, bool save);
    void SetLanguage(int index, bool save);

    const TiXmlElement* FindTextNode(const std::string& className, const std::string& functionName) const;
    // The text lookup (GetText is LanguageTexts'): the UTF-8 value of the
    // key's attribute on the group's element of the current language.
    std::optional<QString> FindText(
        const std::string& className, const std::string& functionName, const std::string& key) const override;
    bool HasTexts(const std::string& className, const std::string& functionName) const override;
    void ShowTips(
        const std::string& className, const std::string& functionName, const std::string& key) const;
    void f_TipsDlg(const QString& text) const;
    QString f_ConnectTips(int kind) const;

    const TiXmlElement* FindSetUpObj(const std::string& address) const;
    QString GetObjName(const std::string& address) const;
    const TiXmlElement* FindExample(const QString& n) const;
    QString GetExampleName(const QString& n) const;
    QString GetStudioName(int studio = -1) const;
    bool IsColorObj(const std::string& address) const;

    // ---- encodings --------------------------------------------------------------
    void EncodeScore(std::vector<int>& digits, int value) const;
    int DecodeScore(const std::vector<int>& digits) const;
    void EncodeTicks(std::vector<int>& digits, int value) const;
    int DecodeTicks(const std::vector<int>& digits) const;

    // ---- small operations -------------------------------------------------------
    static void ConvertSlashesStd(std::string& path, bool toSlash);
    static void ConvertSlashes(QString& path, bool toSlash);
    static bool HasBadFileChar(const QString& text);

    // ---- link to the classroom or contest server (CConfigLink.cpp) --------------
    static constexpr quint16 kClassroomPort = 4480;
    static constexpr quint16 kContestPort = 4481; // only while a heartbeat timer exists

    // The key the link and the remembered login are scrambled with: the
    // first m_nLinkKeyLen bytes of m_strLinkKey, never more than it holds.
    // An empty key scrambles nothing.
    std::string_view LinkKey() const;

    // Creates the link (socket and timers) with the key as it is now; the
    // heartbeat timer only while m_bNoHeartbeat is false. Needs the
    // application object; calling it again does nothing. Tests may shorten
    // the link's times.
    void InitNet();
    void InitNet(const ServerLink::Timing& timing);
    // Deletes what InitNet created, without signals. The program calls it
    // before its application object goes; the destructor calls it too.
    void ShutdownNet();
    // The link, null before InitNet.
    ServerLink* Link() const { return m_pLink.get(); }
    // The online contest's requests and replies on the link, null before
    // InitNet.
    ContestClient* Contest() const { return m_pContest.get(); }
    // Classroom: m_strClassHost, port 4480. Contest: m_strNetHost, port 4481
    // with a heartbeat timer, else 4480. An empty host, or no InitNet yet,
    // emits signal_Disconnect at once.
    void ConnectToServer(bool classroom);
    // Stops the timers, closes the socket, hands out the messages that were
    // complete before the close, and emits signal_Disconnect.
    void CloseConnection();
    // Scrambles a copy of a complete frame and writes it; starts the reply
    // time-out. False (with a warning) when the link is not connected or the
    // write failed.
    bool SendMsg(const QByteArray& message, bool keepHeartbeat);
    void StartHeartbeat();
    // Whether a received body is the classroom server's keep-alive.
    bool IsKeepAliveMsg(const QByteArray& body) const;
    // Whether the network reaches the contest host (m_strNetHost, port
    // m_nProbePort: a connection taken, or refused by the host, which is
    // there all the same) or, failing that, a fixed public web site (port
    // 80) takes a TCP connection, each within a short time.
    bool IsInternetReachable() const;
    // What host:port answers a TCP connection within timeoutMs (name
    // look-up included): taken, refused, or nothing at all.
    enum class ProbeAnswer { Accepted, Refused, None };
    static ProbeAnswer ProbeTcp(const QString& host, quint16 port, int timeoutMs);
    // Whether host:port accepts a TCP connection within timeoutMs.
    static bool ProbeTcpHost(const QString& host, quint16 port, int timeoutMs);

signals:
    // One complete, unscrambled message body (its length header removed),
    // each message on its own, 100 ms after it completed.
    void signal_GetMsg(QByteArray* body);
    // The link closed, a connect failed, or a connect was asked without host.
    void signal_Disconnect();

public slots:
    // The link's handlers under their names in the system; the link itself
    // is connected to its socket and timers, and these hand on to it.
    void slot_NetError(QAbstractSocket::SocketError error);
    void slot_Disconnect();
    void slot_OutTimeTimer();
    void slot_GetMsg();
    void slot_GetMsgTimer();
    void slot_HeartTimer();

public:
    // ---- members ----------------------------------------------------------------
    bool m_bNoHeartbeat = false;
    bool m_bKeyDrive = false;
    bool m_bShowSensorEffect = false;
    int m_nRunMode = 0;
    int m_nRememberLogin = 0;
    int m_nWindowOption = 0; // tool-bar style: 0 icon, 1 text, 2 both
    std::string m_strLinkKey;
    int m_nLinkKeyLen = 0;
    int m_nScoreDigits = 5;
    int m_nTickDigits = 10;
    int m_nLevel = 0;
    int m_nDriveSpeed[4] = { 40, 25, 65, 15 };
    bool m_bContestFlag = false;
    int m_nNetState = 3;
    // The link's socket and timers (owned by the link; null without it).
    QTcpSocket* m_pSocket = nullptr;
    int m_nUserId = 0;
    QString m_strUser;
    QString m_strPassword;
    QString m_strClassHost;
    QString m_strLoginInfo[3];
    QTimer* m_pHeartTimer = nullptr;
    QTimer* m_pOutTimeTimer = nullptr;
    int m_nMatchState = 0;
    QString m_strNetHost;
    // The port IsInternetReachable tries on the contest host: its web
    // server's. Tests point it at a server of their own.
    quint16 m_nProbePort = 80;
    // The link's receive state lives in its decoder.
    QTimer* m_pMsgTimer = nullptr;
    const TiXmlElement* m_pExampleNode = nullptr;
    const TiXmlElement* m_pGroupNode = nullptr;
    // 0 brick, 1 wheel, 2 sensor (current studio); 3 dynamic, 4 trigger, 5 static.
    const TiXmlElement* m_pViewGroup[6] = {};
    QString m_strFastCar;
    QString m_strExampleDir;
    QString m_strExampleDirNative;
    QString m_strDllDir;
    int m_nStudio = 0;
    bool m_bIsE = false;
    std::string m_strRcu;
    TiXmlDocument m_docSetUp;
    int m_nLanguage = 0;
    std::vector<std::string> m_vecLanguage;

    bool m_bHaveToOutline = false;
    int m_nUploadsLeft = 0;
    // An example's robot program is loaded only when this is at least the
    // example's level ("Lv").
    int m_nExampleProgramLevel = 5;

    // Shared geometry and editing constants.
    double m_dJoinFactor = 0.5;
    double m_dPortLimit = 0.6;
    osg::Vec4 m_vPartColor;
    osg::Vec3 m_vAxisX;
    osg::Vec3 m_vAxisY;
    osg::Vec3 m_vAxisZ;
    osg::Vec3 m_vTurnAxis;
    double m_dScaleTolerance = 0.01;
    osg::Vec3 m_vOrigin;
    osg::Quat m_qIdentity;
    osg::Vec4 m_vBlack;
    osg::Vec2 m_vGridCell;
    osg::Vec4 m_vGridArea;
    osg::Vec4 m_vEditRect;
    double m_dDragFactor = 5.0;
    int m_nBoxCornerCount = 8;
    int BoxCorner[24] = {};
    int m_nBoxTriangleCount = 12;
    int BoxTriangle[36] = {};
    double m_dBoxLimit = 0.4;
    int m_nPointKindCount = 5;

private:
    std::unique_ptr<ServerLink> m_pLink;
    std::unique_ptr<ContestClient> m_pContest;

    void EncodeMixedRadix(std::vector<int>& digits, int count, int value) const;
    const TiXmlElement* FindStudioElement(int studio) const;
    void ClearSetUpCache();

    QString m_strProgramDir;
    int m_nSettingsError = 0;
    // Cached sections of the set-up file and of the current language.
    const TiXmlElement* m_pSetUpNode = nullptr;
    const TiXmlElement* m_pProgramNode = nullptr;
    const TiXmlElement* m_pViewNode = nullptr;
    const TiXmlElement* m_pLanguageNode = nullptr;
    const TiXmlElement* m_pLangStudioNode = nullptr;
    const TiXmlElement* m_pLangClassNode = nullptr;
    const TiXmlElement* m_pLangObjNode = nullptr;
    const TiXmlElement* m_pLangExampleNode = nullptr;
};
