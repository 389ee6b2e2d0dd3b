#pragma once

#include <QString>

#include <optional>
#include <string>

class LanguageTexts;

// One group of a dialog's language texts (class name and function name, as
// the set-up file keeps them). A language that lacks the whole group is
// reported once, when the group is looked at; the dialog then keeps the
// captions it was built with.
class DialogTexts {
public:
    DialogTexts(const LanguageTexts& texts, std::string className, std::string functionName);

    // Whether the current language has the group (a warning when it has not).
    bool Present() const { return m_present; }
    std::optional<QString> Find(const char* key) const;
    // The text, empty when the key is missing.
    QString Get(const char* key) const;

    // Calls set with the text when the language has the key: the captions of
    // dialogs whose missing keys leave their texts as they are.
    template <class Set> void IfPresent(const char* key, Set&& set) const {
        if (const std::optional<QString> text = Find(key))
            set(*text);
    }

private:
    const LanguageTexts& m_texts;
    std::string m_className;
    std::string m_functionName;
    bool m_present = false;
};
