#include "Platform/Localization.h"

#include "Platform/Bundle.h"

#include <QCoreApplication>
#include <QTranslator>

namespace tarnik::Localization {

QString localizedString(const QString &key)
{
    // Translators look keys up as NUL-terminated UTF-8: a key with a NUL in it would be cut
    // short, so it can have no translation and stays as it is.
    if (key.isEmpty() || key.contains(QChar(0)))
        return key;
    const QByteArray source = key.toUtf8();
    const QString translated = QCoreApplication::translate(kDefaultTable, source.constData());
    // Without a translation the UTF-8 comes back; hand back the caller's own text instead, so
    // a key that has no exact UTF-8 form (a lone surrogate) is not altered on the way.
    return translated == QString::fromUtf8(source) ? key : translated;
}

bool installTranslations(const QLocale &locale)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return false;
    const auto folder = Bundle::main().pathForResource(QStringLiteral("translations"), {});
    if (!folder)
        return false;
    // Parented to the application, so it goes when the application does.
    auto *translator = new QTranslator(app);
    if (!translator->load(locale, QStringLiteral("tarnik"), QStringLiteral("_"), *folder)) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace tarnik::Localization
