// The language of the interface: Chinese (the instrument's, and the default)
// or English. The choice is kept in the settings and applies from the next
// start; `vantrel --lang en|zh` overrides it for one run. Texts that come from
// the recording (panel values, readouts, notes) are the recording's in either.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QCoreApplication;

namespace vantrel {

enum class Language { Chinese, English };

// "zh" and "en", as the setting and --lang write them; nullopt for others.
std::optional<Language> languageFromCode(const QString& code);
QString languageCode(Language language);

// The language the settings name; Chinese when they name none.
Language savedLanguage();
void saveLanguage(Language language);

// Installs the interface's translations into `app`: for Chinese, Qt's own
// Chinese texts (the interface's own are written in Chinese); for English,
// the program's English translation, and Qt's own texts stay English.
// Returns false when a translation is missing.
bool installInterfaceLanguage(QCoreApplication& app, Language language);
// The language installed on this run (Chinese before any).
Language interfaceLanguage();

// What the command line asks for: `vantrel [--lang en|zh] [FILE]`.
struct StartArguments {
    std::optional<Language> language; // --lang, when given
    QString file;                     // FILE, or empty
    bool help = false;                // -h or --help
    QString error;                    // set when the arguments are wrong
};
StartArguments parseStartArguments(const QStringList& arguments);
// The usage line the program prints for --help and with an error.
QString startUsage();

} // namespace vantrel
