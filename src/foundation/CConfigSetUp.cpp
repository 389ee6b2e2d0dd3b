// The set-up file "XML/SetUp_View.xml": studios, part groups, examples, model
// descriptions and the language texts, with the lookups over them.

#include "foundation/CConfig.h"

#include "foundation/FoundationLog.h"
#include "foundation/XmlNesting.h"

#include <QFile>
#include <QMessageBox>
#include <QPushButton>

#include <string_view>

namespace {

const char* const kSetUpFile = "XML/SetUp_View.xml";

// The set-up file is installation data of a few hundred kilobytes.
constexpr qint64 kMaxSetUpFileSize = 32 << 20;
// TinyXML parses recursively; a damaged file must not exhaust the stack.
constexpr int kMaxSetUpNesting = 200;

bool AttributeEquals(const TiXmlElement* element, const char* name, const std::string& value) {
    const std::string* attr = element->Attribute(std::string(name));
    return attr && *attr == value;
}

QString Utf8Attribute(const TiXmlElement* element, const char* name) {
    if (!element)
        return QString();
    const char* value = element->Attribute(name);
    return value ? QString::fromUtf8(value) : QString();
}

} // namespace

void CConfig::ClearSetUpCache() {
    m_pSetUpNode = nullptr;
    m_pProgramNode = nullptr;
    m_pViewNode = nullptr;
    m_pLanguageNode = nullptr;
    m_pLangStudioNode = nullptr;
    m_pLangClassNode = nullptr;
    m_pLangObjNode = nullptr;
    m_pLangExampleNode = nullptr;
    m_pExampleNode = nullptr;
    m_pGroupNode = nullptr;
    for (const TiXmlElement*& group : m_pViewGroup)
        group = nullptr;
    m_vecLanguage.clear();
    m_strFastCar.clear();
    m_strExampleDir.clear();
    m_strExampleDirNative.clear();
    m_strDllDir.clear();
    m_strRcu.clear();
}

void CConfig::LoadSetUpView() {
    ClearSetUpCache();
    m_docSetUp.Clear();
    m_nRunMode = RunModeEducation;

    const QString path = InProgramDir(QString::fromLatin1(kSetUpFile));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcFoundation, "Set-up: cannot open %s; texts stay empty", qPrintable(path));
        return;
    }
    if (file.size() > kMaxSetUpFileSize) {
        qCWarning(lcFoundation, "Set-up: %s is too large; texts stay empty", qPrintable(path));
        return;
    }
    QByteArray text = file.readAll();
    text.replace("\r\n", "\n");
    if (!XmlNestingWithin(std::string_view(text.constData(), std::size_t(text.size())), kMaxSetUpNesting)) {
        qCWarning(lcFoundation, "Set-up: %s is nested too deeply; texts stay empty", qPrintable(path));
        return;
    }
    ParseXmlText(
        m_docSetUp, std::string_view(text.constData(), std::size_t(text.size())), TIXML_ENCODING_UNKNOWN);
    if (m_docSetUp.Error()) {
        qCWarning(lcFoundation, "Set-up: %s is malformed (line %d: %s); texts stay empty", qPrintable(path),
            m_docSetUp.ErrorRow(), m_docSetUp.ErrorDesc());
        m_docSetUp.Clear();
        return;
    }

    const TiXmlElement* data = m_docSetUp.FirstChildElement("data");
    if (!data)
        return;
    m_pSetUpNode = data->FirstChildElement("set_up");
    m_pProgramNode = data->FirstChildElement("program");
    if (m_pProgramNode) {
        if (const char* net = m_pProgramNode->Attribute("net"))
            m_strNetHost = QString::fromUtf8(net);
        int mode = 0;
        if (m_pProgramNode->QueryIntAttribute("mode", &mode) == TIXML_SUCCESS && mode >= RunModeNet
            && mode <= RunModeClassroom)
            m_nRunMode = mode;
    }
    m_pViewNode = data->FirstChildElement("view");
    if (m_pViewNode) {
        m_pViewGroup[3] = m_pViewNode->FirstChildElement("dynamic");
        m_pViewGroup[4] = m_pViewNode->FirstChildElement("trigger");
        m_pViewGroup[5] = m_pViewNode->FirstChildElement("static");
        m_pGroupNode = m_pViewNode->FirstChildElement("group");
    }
    m_pLanguageNode = data->FirstChildElement("language");
    if (m_pLanguageNode) {
        for (const TiXmlElement* lang = m_pLanguageNode->FirstChildElement("language"); lang;
             lang = lang->NextSiblingElement("language")) {
            const char* name = lang->Attribute("name");
            if (name && *name)
                m_vecLanguage.emplace_back(name);
        }
    }
}

const TiXmlElement* CConfig::FindStudioElement(int studio) const {
    if (!m_pProgramNode)
        return nullptr;
    return m_pProgramNode->FirstChildElement(("studio" + std::to_string(studio)).c_str());
}

void CConfig::SetStudio(int studio, bool save) {
    m_nStudio = studio;
    const TiXmlElement* program = FindStudioElement(studio);
    if (!program) {
        m_nStudio = 0;
        program = FindStudioElement(0);
    }
    if (program) {
        QString base = QStringLiteral("XML/");
        if (const char* folder = program->Attribute("file"))
            base += QString::fromUtf8(folder) + QLatin1Char('/');
        if (const char* fastCar = program->Attribute("fast_car"))
            m_strFastCar = base + QString::fromUtf8(fastCar);
        if (const char* dll = program->Attribute("dll"))
            m_strDllDir = QLatin1Char('/') + base + QString::fromUtf8(dll) + QLatin1Char('/');
        if (const char* rcu = program->Attribute("rcu"))
            m_strRcu = rcu;
        int isE = 0;
        if (program->QueryIntAttribute("is_e", &isE) == TIXML_SUCCESS)
            m_bIsE = isE == 1;
        if (const char* example = program->Attribute("example")) {
            m_strExampleDir = QLatin1Char('/') + base + QString::fromUtf8(example) + QLatin1Char('/');
            m_strExampleDirNative = m_strExampleDir;
            ConvertSlashes(m_strExampleDirNative, false);
        }
    }

    m_pExampleNode = nullptr;
    m_pViewGroup[0] = m_pViewGroup[1] = m_pViewGroup[2] = nullptr;
    if (m_pViewNode) {
        const std::string name = "studio" + std::to_string(m_nStudio);
        if (const TiXmlElement* view = m_pViewNode->FirstChildElement(name.c_str())) {
            m_pExampleNode = view->FirstChildElement("example");
            m_pViewGroup[0] = view->FirstChildElement("brick");
            m_pViewGroup[1] = view->FirstChildElement("wheel");
            m_pViewGroup[2] = view->FirstChildElement("sensor");
        }
    }
    SetLanguage(m_nLanguage, save);
}

void CConfig::SetLanguage(int index, bool save) {
    m_nLanguage = index;
    m_pLangStudioNode = m_pLangClassNode = m_pLangObjNode = m_pLangExampleNode = nullptr;
    if (m_pLanguageNode && index >= 0 && static_cast<size_t>(index) < m_vecLanguage.size()) {
        const std::string& wanted = m_vecLanguage[static_cast<size_t>(index)];
        for (const TiXmlElement* lang = m_pLanguageNode->FirstChildElement("language"); lang;
             lang = lang->NextSiblingElement("language")) {
            if (!AttributeEquals(lang, "name", wanted))
                continue;
            m_pLangStudioNode = lang->FirstChildElement("studio");
            m_pLangClassNode = lang->FirstChildElement("class");
            if (const TiXmlElement* view = lang->FirstChildElement("view")) {
                m_pLangObjNode = view->FirstChildElement("obj");
                m_pLangExampleNode = view->FirstChildElement("example");
            }
            break;
        }
    }
    if (save)
        SaveSettingsTold();
}

const TiXmlElement* CConfig::FindTextNode(
    const std::string& className, const std::string& functionName) const {
    if (className.empty() || functionName.empty() || !m_pLangClassNode)
        return nullptr;
    const TiXmlElement* cls = m_pLangClassNode->FirstChildElement(className.c_str());
    return cls ? cls->FirstChildElement(functionName.c_str()) : nullptr;
}

std::optional<QString> CConfig::FindText(
    const std::string& className, const std::string& functionName, const std::string& key) const {
    const TiXmlElement* node = FindTextNode(className, functionName);
    if (!node || key.empty())
        return std::nullopt;
    const char* value = node->Attribute(key.c_str());
    if (!value)
        return std::nullopt;
    return QString::fromUtf8(value);
}

bool CConfig::HasTexts(const std::string& className, const std::string& functionName) const {
    return FindTextNode(className, functionName) != nullptr;
}

void CConfig::ShowTips(
    const std::string& className, const std::string& functionName, const std::string& key) const {
    f_TipsDlg(GetText(className, functionName, key));
}

void CConfig::f_TipsDlg(const QString& text) const {
    QMessageBox box(QMessageBox::Information, GetText("CConfig", "f_TipsDlg", "sTitle"), text);
    box.addButton(GetText("CConfig", "f_TipsDlg", "sOK"), QMessageBox::AcceptRole);
    box.exec();
}

QString CConfig::f_ConnectTips(int kind) const {
    switch (kind) {
    case 0:
        return GetText("CConfig", "f_ConnectTips", "sOK");
    case 1:
        ShowTips("CConfig", "f_ConnectTips", "sServer");
        return QString();
    case 2:
        ShowTips("CConfig", "f_ConnectTips", "sSql");
        return QString();
    case 3:
        ShowTips("CConfig", "f_ConnectTips", "sConnect");
        return QString();
    default:
        return GetText("CConfig", "f_ConnectTips", "sNo");
    }
}

const TiXmlElement* CConfig::FindSetUpObj(const std::string& address) const {
    if (address.empty() || !m_pSetUpNode)
        return nullptr;
    for (const TiXmlElement* obj = m_pSetUpNode->FirstChildElement("obj"); obj;
         obj = obj->NextSiblingElement("obj")) {
        if (AttributeEquals(obj, "address", address))
            return obj;
    }
    return nullptr;
}

QString CConfig::GetObjName(const std::string& address) const {
    if (address.empty() || !m_pLangObjNode)
        return QString();
    for (const TiXmlElement* obj = m_pLangObjNode->FirstChildElement("obj"); obj;
         obj = obj->NextSiblingElement("obj")) {
        if (AttributeEquals(obj, "address", address))
            return Utf8Attribute(obj, "language");
    }
    return QString();
}

const TiXmlElement* CConfig::FindExample(const QString& n) const {
    if (!m_pExampleNode || n.isEmpty())
        return nullptr;
    return m_pExampleNode->FirstChildElement(("example" + n.toStdString()).c_str());
}

QString CConfig::GetExampleName(const QString& n) const {
    if (!m_pLangExampleNode || n.isEmpty())
        return QString();
    const TiXmlElement* entry = m_pLangExampleNode->FirstChildElement(("example" + n.toStdString()).c_str());
    const QString name = Utf8Attribute(entry, "language");
    return name.isNull() ? QStringLiteral("") : name;
}

QString CConfig::GetStudioName(int studio) const {
    if (studio < 0)
        studio = m_nStudio;
    if (!FindStudioElement(studio) || !m_pLangStudioNode)
        return QString();
    const std::string name = "studio" + std::to_string(studio);
    return Utf8Attribute(m_pLangStudioNode->FirstChildElement(name.c_str()), "name");
}

bool CConfig::IsColorObj(const std::string& address) const {
    const TiXmlElement* bricks = m_pViewGroup[0];
    if (!bricks)
        return true;
    for (const TiXmlElement* obj = bricks->FirstChildElement("obj"); obj;
         obj = obj->NextSiblingElement("obj")) {
        if (AttributeEquals(obj, "address", address)) {
            int color = 0;
            return obj->QueryIntAttribute("color", &color) == TIXML_SUCCESS && color == 1;
        }
    }
    return true;
}
