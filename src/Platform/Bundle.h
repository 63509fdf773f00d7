#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <optional>

namespace tarnik {

// The application bundle as the phone platform's bundle: where resources are, and the
// identity values ("Info" values) of the application.
//
// Resources are real files in share/tarnik/ beside the executable's bin/ folder, in the build
// tree and in an installed tree alike, so code that needs a resource's path gets a path it can
// open. A Bundle is immutable and safe to use from any thread.
class Bundle
{
public:
    // The application's bundle: resources next to the running executable, identifier
    // "com.quilmera.tarnik", and the Info values below. Built once, on first use.
    static const Bundle &main();

    // A bundle over any resource folder with the given Info values (tests make their own).
    explicit Bundle(const QString &resourcePath, const QVariantMap &infoDictionary = {});

    // The resource folder for an executable in `executableDirectory`: <executableDirectory>/../share/tarnik.
    static QString resourcePathForExecutableDirectory(const QString &executableDirectory);

    // The resource folder (absolute, without a trailing "/"). It need not exist.
    QString resourcePath() const { return m_resourcePath; }

    // The Info value "CFBundleIdentifier" when it is a non-empty text; nothing otherwise.
    std::optional<QString> bundleIdentifier() const;

    // All Info values. The main bundle has "CFBundleIdentifier", "CFBundleName",
    // "CFBundleDisplayName", "CFBundleExecutable", "CFBundleShortVersionString" and
    // "CFBundleVersion" (both the build's version, TARNIK_VERSION).
    QVariantMap infoDictionary() const { return m_info; }
    // One Info value, of whatever type it has; an invalid QVariant when the key is missing.
    QVariant objectForInfoDictionaryKey(const QString &key) const { return m_info.value(key); }

    // The path of the resource `name`.`type` (just `name` when type is empty; a leading "." of
    // the type is ignored) in `subdirectory` of the resource folder, when such a file or folder
    // exists. Names that would lead outside the resource folder give nothing, as does an
    // empty name.
    std::optional<QString> pathForResource(
        const QString &name, const QString &type, const QString &subdirectory = {}) const;

    // The paths of every resource of the type (every resource when empty) directly in
    // `subdirectory`, sorted by name.
    QStringList pathsForResources(const QString &type, const QString &subdirectory = {}) const;

private:
    std::optional<QString> insideResources(const QString &relativePath) const;

    QString m_resourcePath;
    QVariantMap m_info;
};

} // namespace tarnik
