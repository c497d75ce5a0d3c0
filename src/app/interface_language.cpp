#include "app/interface_language.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

#include "app/app_settings.h"
#include "app/stock_translations.h"

namespace vantrel {

namespace {

const QString kLanguageKey = QStringLiteral("Interface/language");

Language installed = Language::Chinese;

} // namespace

std::optional<Language> languageFromCode(const QString& code) {
    if (code == QLatin1String("zh")) return Language::Chinese;
    if (code == QLatin1String("en")) return Language::English;
    return std::nullopt;
}

QString languageCode(Language language) {
    return language == Language::English ? QStringLiteral("en") : QStringLiteral("zh");
}

Language savedLanguage() {
    return languageFromCode(appSettings().value(kLanguageKey).toString())
        .value_or(Language::Chinese);
}

void saveLanguage(Language language) {
    appSettings().setValue(kLanguageKey, languageCode(language));
}

bool installInterfaceLanguage(QCoreApplication& app, Language language) {
    installed = language;
    if (language == Language::Chinese) return installStockTranslations(app);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    auto* translator = new QTranslator(&app);
    // Built from translations/vantrel_en.ts and embedded in the program.
    if (!translator->load(QStringLiteral(":/i18n/vantrel_en.qm"))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

Language interfaceLanguage() { return installed; }

QString startUsage() { return QStringLiteral("Usage: vantrel [--lang en|zh] [FILE]"); }

StartArguments parseStartArguments(const QStringList& arguments) {
    StartArguments result;
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows the usage."));
    const QCommandLineOption lang(QStringLiteral("lang"),
                                  QStringLiteral("The interface language for this run."),
                                  QStringLiteral("en|zh"));
    parser.addOption(help);
    parser.addOption(lang);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A record file to open."));
    if (!parser.parse(arguments.isEmpty() ? QStringList{QStringLiteral("vantrel")} : arguments)) {
        result.error = parser.errorText();
        return result;
    }
    result.help = parser.isSet(help);
    if (parser.isSet(lang)) {
        const QString code = parser.value(lang);
        result.language = languageFromCode(code);
        if (!result.language) {
            result.error = QStringLiteral("unknown language '%1' (en or zh)").arg(code);
            return result;
        }
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        result.error = QStringLiteral("one FILE at most");
        return result;
    }
    if (!files.isEmpty()) result.file = files.first();
    return result;
}

} // namespace vantrel
