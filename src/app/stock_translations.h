// Qt's own texts (the buttons and labels of the file dialog and the message
// boxes, the context menus of text fields) in Simplified Chinese for the
// Chinese interface, from the Qt translations the system provides (Debian:
// qt6-translations-l10n). The English interface keeps Qt's English texts.
#pragma once

class QCoreApplication;

namespace vantrel {

// Installs Qt's Simplified Chinese translations into `app` and makes Chinese
// (China) the default locale. Returns false, leaving Qt's English texts, when
// the system has no such translations.
bool installStockTranslations(QCoreApplication& app);

} // namespace vantrel
