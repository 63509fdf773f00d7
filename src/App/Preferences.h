#pragma once

#include <QString>
#include <QUrl>
#include <QVariant>
#include <QVariantMap>
#include <optional>

namespace tarnik {

// The app's settings and well-known paths, as static members (never instantiated).
//
// Settings live only in two property-list files, the app's own and the companion service's
// (Preferences::Saltrig), which the app edits on the user's behalf. Every read checks the file
// (SettingsFileCache): the parsed file is kept in memory while the file on disk is unchanged and
// parsed again when it changed, so a change made by another process (the companion, or a reset
// that deletes the file) is seen at once. A missing, unreadable or malformed file, a missing key or a value of the
// wrong type reads as the documented default.
//
// Every write changes one key and leaves every other key of the file as it was, unknown keys
// and their types included. The file is replaced atomically; writers in this process are
// serialised, and a lock file beside the settings file keeps out writers of other processes,
// so concurrent writers never lose each other's keys. A write that fails shows the "Error
// Occurred" alert and leaves the old file as it was.
//
// All members are safe from any thread; file reads and writes run on the caller's thread.
class Preferences
{
public:
    Preferences() = delete;

    // Keys of the app's file. The stored key is rawValue(); note that playerShouldRepeat is
    // stored as "shouldRepeat".
    enum class Key {
        hideUnsupported,
        showHidden,
        showImageThumbnail,
        showVideoThumbnail,
        isListView,
        lastDirectory,
        tempDirectory,
        usePersistentCache,
        playerShouldRepeat,
    };
    static QString rawValue(Key key);
    // Exact, case-sensitive match of a stored key.
    static std::optional<Key> keyFromRawValue(const QString &rawValue);
    // The case's own name, as the failure alert shows it.
    static QString caseName(Key key);

    // The stored value, of whatever type it has; no value when the file or key is missing.
    static std::optional<QVariant> value(Key key);
    // Stores value under the key, or removes the key when there is no value. False (after
    // the failure alert) when the file could not be written.
    static bool setValue(const std::optional<QVariant> &value, Key key);

    static bool hideUnsupported(); // default false
    static void setHideUnsupported(bool value);
    static bool showHidden(); // default false
    static void setShowHidden(bool value);
    static bool showImageThumbnail(); // default true
    static void setShowImageThumbnail(bool value);
    static bool showVideoThumbnail(); // default true
    static void setShowVideoThumbnail(bool value);
    static bool isListView(); // default true
    static void setIsListView(bool value);
    static bool usePersistentCache(); // default false
    static void setUsePersistentCache(bool value);
    static bool playerShouldRepeat(); // default false
    static void setPlayerShouldRepeat(bool value);

    // The temporary folder recorded by the previous launch; no value removes the key.
    static std::optional<QString> tempDirectory();
    static void setTempDirectory(const std::optional<QString> &value);

    // The browser's start folder: the stored lastDirectory when it is readable, else the
    // browser's home, else "/". The getter creates the app's home folder when it is missing.
    // Setting a text that begins with "private" stores it without those seven characters.
    static QString rootDircetory();
    static void setRootDircetory(const QString &directory);

    // Where the browser starts before the user has been anywhere and where tapping its tab
    // again leads: the user's home folder ($HOME), where a desktop keeps the user's files.
    // Every call.
    static QString browserHomeDirectory();

    // "/var/mobile" when it is readable, else the app's documents folder. Every call.
    static QString homeDirectory();
    // The paths below are fixed at first use for the life of the process.
    static QString preferencesDirectory(); // home + "/Library/Preferences"
    static QString preferencesFilePath(); // preferencesDirectory() + "/com.quilmera.tarnik.plist"
    static QString inboxPath();
    static QString downloadsPath();
    static QString purchasesPath();
    static QString ringtonesPlistPath();
    static QString fileTypesPath();
    static QString downloaderRecordsPath();

    // An in-memory marker of the item that plays, shared by the browser rows and the player.
    struct NowPlaying
    {
        std::optional<QString> identifier;
        bool isPlaying = false;
        friend bool operator==(const NowPlaying &, const NowPlaying &) = default;
    };
    static NowPlaying nowPlaying();
    static void setNowPlaying(const QString &identifier, bool isPlaying);
    static void clearNowPlaying(const QString &identifier);

    // The downloader add-on's record of a media file, with "artworkUrl" (a file QUrl) added;
    // no value unless the file's folder is one the add-on manages and its records file holds
    // a record of that track.
    static std::optional<QVariantMap> downloaderMetadata(const QUrl &fileUrl);

    // Removes the temporary files that settings writers killed mid-write left beside the
    // app's and the companion's settings files: only names the writer makes ("<file>.XXXXXX"),
    // and only while no writer holds that file's lock. Called once at launch.
    static void removeStaleTemporaryFiles();

    // The companion service's settings file, edited by the app's settings screen and read by
    // the audio export.
    class Saltrig
    {
    public:
        Saltrig() = delete;

        enum class Key {
            shouldNotifyOnCompletion,
            shouldAddFadeInFadeOut,
        };
        static QString rawValue(Key key);
        static std::optional<Key> keyFromRawValue(const QString &rawValue);
        static QString caseName(Key key);

        static std::optional<QVariant> value(Key key);
        static bool setValue(const std::optional<QVariant> &value, Key key);

        static bool shouldNotifyOnCompletion(); // default true
        static void setShouldNotifyOnCompletion(bool value);
        static bool shouldAddFadeInFadeOut(); // default true
        static void setShouldAddFadeInFadeOut(bool value);

        // Values the companion keeps for itself in its file, under keys of its own (its device
        // identifier); the app never reads them. Written under the same lock as the setters,
        // without the failure alert (the companion has no screen): false tells the failure.
        static std::optional<QVariant> companionValue(const QString &storedKey);
        static bool setCompanionValue(const std::optional<QVariant> &value, const QString &storedKey);

        // preferencesDirectory() + "/com.quilmera.saltrig.plist"; fixed at first use.
        static QString preferencesFilePath();
    };
};

} // namespace tarnik
