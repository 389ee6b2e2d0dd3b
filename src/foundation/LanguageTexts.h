#pragma once

#include <QString>

#include <optional>
#include <string>

// The texts of the current language, each found by a class name, a function
// (or group) name and a key, as the set-up file keeps them. Windows and
// dialogs get this interface passed in rather than the whole configuration.
//
// "No text" and an empty text are told apart: a dialog leaves a caption as it
// is when its key is missing, but shows an empty caption when the language
// gives an empty one.
class LanguageTexts {
public:
    virtual ~LanguageTexts() = default;

    // The text under the key; none when no language is selected, when either
    // name is empty, or when the group or the key is missing.
    virtual std::optional<QString> FindText(
        const std::string& className, const std::string& functionName, const std::string& key) const = 0;

    // Whether the current language has the group at all. A window whose
    // group is missing keeps all its texts as they are.
    virtual bool HasTexts(const std::string& className, const std::string& functionName) const = 0;

    // The text under the key, empty when there is none.
    QString GetText(
        const std::string& className, const std::string& functionName, const std::string& key) const {
        return FindText(className, functionName, key).value_or(QString());
    }

protected:
    LanguageTexts() = default;
    LanguageTexts(const LanguageTexts&) = default;
    LanguageTexts& operator=(const LanguageTexts&) = default;
};
