#pragma once
// The language of the user interface. The program's own texts are those of its design
// (Traditional Chinese captions, English messages); English and Simplified Chinese come as
// translations of them. Chosen once at start-up: from [options] language, else from the
// user's locale.

#include <QString>
#include <QStringList>

namespace language {

// Values of [options] language: empty follows the locale.
inline constexpr const char* English = "en";
inline constexpr const char* SimplifiedChinese = "zh_CN";
inline constexpr const char* DesignTexts = "zh_TW"; // the texts as the program has them

// The translation to install for a setting and the locale's languages (most preferred
// first, as QLocale::uiLanguages gives them): "en", "zh_CN", or empty for the program's own
// texts (Traditional Chinese locales, the C and POSIX locales, and a machine without a
// language setting).
QString chosen(const QString& setting, const QStringList& uiLanguages);

// Installs the program's translation for `language` and Qt's own (its dialogs and
// buttons); empty installs none. True when the program's translation was found.
bool install(const QString& language);

// The language installed at start-up ("" for none).
QString installed();

} // namespace language
