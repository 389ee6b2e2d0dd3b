#include "dialogs/DialogTexts.h"

#include "dialogs/DialogsLog.h"
#include "foundation/LanguageTexts.h"

DialogTexts::DialogTexts(const LanguageTexts& texts, std::string className, std::string functionName)
    : m_texts(texts)
    , m_className(std::move(className))
    , m_functionName(std::move(functionName))
    , m_present(texts.HasTexts(m_className, m_functionName)) {
    if (!m_present) {
        qCWarning(lcDialogs, "The language has no texts %s/%s", m_className.c_str(), m_functionName.c_str());
    }
}

std::optional<QString> DialogTexts::Find(const char* key) const {
    return m_texts.FindText(m_className, m_functionName, key);
}

QString DialogTexts::Get(const char* key) const {
    return Find(key).value_or(QString());
}
