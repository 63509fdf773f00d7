#pragma once

#include <QLocale>
#include <QString>

namespace tarnik::Localization {

// The translation context of the app's strings, the platform's default strings table.
inline constexpr char kDefaultTable[] = "Localizable";

// The localized text for `key` from the installed translations, through
// QCoreApplication::translate with the English text as the key: a key without a translation,
// or any key before translations are installed, yields the key itself. Safe from any thread.
QString localizedString(const QString &key);

// Loads the translations for `locale` from the bundle's "translations" folder
// (tarnik_<language>.qm, Qt's usual fallbacks from the full locale name down) and installs them
// in the application. Returns whether a file was found and installed; without one the English
// keys are shown. Call it on the GUI thread after the application object exists.
bool installTranslations(const QLocale &locale = QLocale());

} // namespace tarnik::Localization
