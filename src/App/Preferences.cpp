#include "App/Preferences.h"

#include "App/Constants.h"
#include "App/Globals.h"
#include "App/SettingsFileCache.h"
#include "Platform/Bundle.h"
#include "Platform/PropertyList.h"
#include "Platform/StandardFolders.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tarnik {

namespace {

const QString kMobileHome = QStringLiteral("/var/mobile");

// Another process (the companion service) may hold the file's lock; a writer that finds
// it held longer than this gives up and reports the write as failed.
constexpr int kLockTimeoutMilliseconds = 10000;

struct KeyInfo
{
    const char *rawValue;
    const char *caseName;
};

constexpr KeyInfo kAppKeys[] = {
    { "hideUnsupported", "hideUnsupported" },
    { "showHidden", "showHidden" },
    { "showImageThumbnail", "showImageThumbnail" },
    { "showVideoThumbnail", "showVideoThumbnail" },
    { "isListView", "isListView" },
    { "lastDirectory", "lastDirectory" },
    { "tempDirectory", "tempDirectory" },
    { "usePersistentCache", "usePersistentCache" },
    { "shouldRepeat", "playerShouldRepeat" },
};

constexpr KeyInfo kSaltrigKeys[] = {
    { "shouldNotifyOnCompletion", "shouldNotifyOnCompletion" },
    { "shouldAddFadeInFadeOut", "shouldAddFadeInFadeOut" },
};

template<typename Key, std::size_t N> std::optional<Key> keyFromRaw(const KeyInfo (&table)[N], const QString &rawValue)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (rawValue == QLatin1String(table[i].rawValue))
            return Key(i);
    }
    return std::nullopt;
}

std::optional<QVariant> readValue(const QString &filePath, const QString &storedKey)
{
    const auto dictionary = SettingsFileCache::dictionary(filePath);
    if (!dictionary)
        return std::nullopt;
    const auto it = dictionary->constFind(storedKey);
    if (it == dictionary->cend())
        return std::nullopt;
    return *it;
}

bool readBool(const QString &filePath, const QString &storedKey, bool defaultValue)
{
    const auto value = readValue(filePath, storedKey);
    return value && value->typeId() == QMetaType::Bool ? value->toBool() : defaultValue;
}

// An exclusive flock() on a lock file beside a settings file, held for one read-modify-write.
// The settings file itself cannot carry the lock, as every write replaces it with a new file.
// The kernel drops the lock when its holder exits, however it exits, so a writer killed
// mid-write never leaves a lock behind that would need guessing about staleness; the lock
// file itself stays.
class SettingsFileLock
{
public:
    explicit SettingsFileLock(const QString &settingsFilePath)
        : m_fd(::open(QFile::encodeName(settingsFilePath + QStringLiteral(".lock")).constData(),
            O_RDWR | O_CREAT | O_CLOEXEC, 0666))
    {
    }
    ~SettingsFileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    SettingsFileLock(const SettingsFileLock &) = delete;
    SettingsFileLock &operator=(const SettingsFileLock &) = delete;

    bool lock(int timeoutMilliseconds)
    {
        if (m_fd < 0)
            return false;
        const QDeadlineTimer deadline(timeoutMilliseconds);
        for (;;) {
            if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0)
                return true;
            if (errno == EINTR)
                continue;
            if (errno != EWOULDBLOCK || deadline.hasExpired())
                return false;
            QThread::msleep(2);
        }
    }

private:
    int m_fd;
};

// One read-modify-write of a settings file. The mutex keeps this process's threads from
// interleaving; the lock file keeps out other processes that write through this same code
// (the companion stand-in does).
bool writeValue(const QString &filePath, const QString &storedKey, const std::optional<QVariant> &value)
{
    static QMutex mutex;
    const QMutexLocker locker(&mutex);

    // Off the device the preferences folder lives in the documents folder and starts out missing.
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    SettingsFileLock lock(filePath);
    if (!lock.lock(kLockTimeoutMilliseconds))
        return false;

    // Read afresh under the lock, never from the kept copy: another process may have just written.
    QVariantMap dictionary = PropertyList::readDictionary(filePath).value_or(QVariantMap());
    if (value)
        dictionary.insert(storedKey, *value);
    else
        dictionary.remove(storedKey);
    const bool written = PropertyList::write(filePath, dictionary);
    SettingsFileCache::invalidate(filePath);
    return written;
}

void showSaveFailure(const QString &caseName, const QString &fileSuffix)
{
    const QString message = _localizedString(QStringLiteral("Failed to save entry for key: ")) + QLatin1Char('"')
        + caseName + QLatin1Char('"') + _localizedString(fileSuffix);
    _showTarnikDefaultAlert(_localizedString(QStringLiteral("Error Occurred")), message);
}

struct NowPlayingMarker
{
    QMutex mutex;
    QVariantMap values;
};

NowPlayingMarker &nowPlayingMarker()
{
    static NowPlayingMarker marker;
    return marker;
}

const QString kIdentifierKey = QStringLiteral("identifier");

Preferences::NowPlaying nowPlayingLocked(const QVariantMap &values)
{
    const QVariant identifier = values.value(kIdentifierKey);
    if (identifier.typeId() != QMetaType::QString || identifier.toString().isEmpty())
        return {};
    const QString text = identifier.toString();
    const QVariant flag = values.value(text);
    return { text, flag.typeId() == QMetaType::Bool && flag.toBool() };
}

// The last path component without its extension, as the add-on names its records.
QString trackNameOf(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? fileName.left(dot) : fileName;
}

} // namespace

// MARK: - Keys

QString Preferences::rawValue(Key key)
{
    return QLatin1String(kAppKeys[int(key)].rawValue);
}

std::optional<Preferences::Key> Preferences::keyFromRawValue(const QString &rawValue)
{
    return keyFromRaw<Key>(kAppKeys, rawValue);
}

QString Preferences::caseName(Key key)
{
    return QLatin1String(kAppKeys[int(key)].caseName);
}

QString Preferences::Saltrig::rawValue(Key key)
{
    return QLatin1String(kSaltrigKeys[int(key)].rawValue);
}

std::optional<Preferences::Saltrig::Key> Preferences::Saltrig::keyFromRawValue(const QString &rawValue)
{
    return keyFromRaw<Key>(kSaltrigKeys, rawValue);
}

QString Preferences::Saltrig::caseName(Key key)
{
    return QLatin1String(kSaltrigKeys[int(key)].caseName);
}

// MARK: - Reading and writing

std::optional<QVariant> Preferences::value(Key key)
{
    return readValue(preferencesFilePath(), rawValue(key));
}

bool Preferences::setValue(const std::optional<QVariant> &value, Key key)
{
    if (writeValue(preferencesFilePath(), rawValue(key), value))
        return true;
    showSaveFailure(caseName(key), QStringLiteral(" to the Preferences file."));
    return false;
}

std::optional<QVariant> Preferences::Saltrig::value(Key key)
{
    return readValue(preferencesFilePath(), rawValue(key));
}

bool Preferences::Saltrig::setValue(const std::optional<QVariant> &value, Key key)
{
    if (writeValue(preferencesFilePath(), rawValue(key), value))
        return true;
    showSaveFailure(caseName(key), QStringLiteral(" to the Saltrig Preferences file."));
    return false;
}

std::optional<QVariant> Preferences::Saltrig::companionValue(const QString &storedKey)
{
    return readValue(preferencesFilePath(), storedKey);
}

bool Preferences::Saltrig::setCompanionValue(const std::optional<QVariant> &value, const QString &storedKey)
{
    return writeValue(preferencesFilePath(), storedKey, value);
}

// MARK: - Settings

#define TARNIK_BOOL_SETTING(Owner, getter, setter, defaultValue)                                                       \
    bool Owner::getter()                                                                                               \
    {                                                                                                                  \
        return readBool(preferencesFilePath(), rawValue(Key::getter), defaultValue);                                   \
    }                                                                                                                  \
    void Owner::setter(bool value)                                                                                     \
    {                                                                                                                  \
        setValue(QVariant(value), Key::getter);                                                                        \
    }

TARNIK_BOOL_SETTING(Preferences, hideUnsupported, setHideUnsupported, false)
TARNIK_BOOL_SETTING(Preferences, showHidden, setShowHidden, false)
TARNIK_BOOL_SETTING(Preferences, showImageThumbnail, setShowImageThumbnail, true)
TARNIK_BOOL_SETTING(Preferences, showVideoThumbnail, setShowVideoThumbnail, true)
TARNIK_BOOL_SETTING(Preferences, isListView, setIsListView, true)
TARNIK_BOOL_SETTING(Preferences, usePersistentCache, setUsePersistentCache, false)
TARNIK_BOOL_SETTING(Preferences, playerShouldRepeat, setPlayerShouldRepeat, false)
TARNIK_BOOL_SETTING(Preferences::Saltrig, shouldNotifyOnCompletion, setShouldNotifyOnCompletion, true)
TARNIK_BOOL_SETTING(Preferences::Saltrig, shouldAddFadeInFadeOut, setShouldAddFadeInFadeOut, true)

#undef TARNIK_BOOL_SETTING

std::optional<QString> Preferences::tempDirectory()
{
    const auto stored = value(Key::tempDirectory);
    if (!stored || stored->typeId() != QMetaType::QString)
        return std::nullopt;
    return stored->toString();
}

void Preferences::setTempDirectory(const std::optional<QString> &directory)
{
    setValue(directory ? std::optional<QVariant>(*directory) : std::nullopt, Key::tempDirectory);
}

QString Preferences::rootDircetory()
{
    const QString home = homeDirectory();
    if (!QFileInfo::exists(home) && !QDir().mkpath(home))
        _print(QStringLiteral("Failed to create directory: '") + home + QLatin1Char('\''));

    const auto stored = value(Key::lastDirectory);
    if (stored && stored->typeId() == QMetaType::QString) {
        const QString directory = stored->toString();
        if (QFileInfo(directory).isReadable())
            return directory;
    }
    const QString browserHome = browserHomeDirectory();
    return QFileInfo::exists(browserHome) ? browserHome : QStringLiteral("/");
}

void Preferences::setRootDircetory(const QString &directory)
{
    // Paths under /private are the same folders as without it; keep the short form.
    static const QString kPrivate = QStringLiteral("private");
    const QString stored = directory.startsWith(kPrivate) ? directory.mid(kPrivate.size()) : directory;
    setValue(QVariant(stored), Key::lastDirectory);
}

// MARK: - Paths

QString Preferences::browserHomeDirectory()
{
    return QDir::homePath();
}

QString Preferences::homeDirectory()
{
    if (QFileInfo(kMobileHome).isReadable())
        return kMobileHome;
    return StandardFolders::documentsDirectory();
}

QString Preferences::preferencesDirectory()
{
    static const QString path = homeDirectory() + QStringLiteral("/Library/Preferences");
    return path;
}

QString Preferences::preferencesFilePath()
{
    return preferencesDirectory() + QStringLiteral("/com.quilmera.tarnik.plist");
}

QString Preferences::Saltrig::preferencesFilePath()
{
    static const QString path = preferencesDirectory() + QStringLiteral("/") + QStringLiteral("com.quilmera.saltrig")
        + QStringLiteral(".plist");
    return path;
}

QString Preferences::inboxPath()
{
    static const QString path = homeDirectory() + QStringLiteral("/Library/Application Support/Containers/")
        + Common::bundleIdentifier() + QStringLiteral("/Documents/Inbox");
    return path;
}

QString Preferences::downloadsPath()
{
    static const QString path = homeDirectory() + QStringLiteral("/Media/Downloads");
    return path;
}

QString Preferences::purchasesPath()
{
    static const QString path = homeDirectory() + QStringLiteral("/Media/Purchases");
    return path;
}

QString Preferences::ringtonesPlistPath()
{
    static const QString path = purchasesPath() + QStringLiteral("/Ringtones.plist");
    return path;
}

QString Preferences::fileTypesPath()
{
    // The table ships with the app; without it the path is empty and the table reads as missing.
    static const QString path
        = Bundle::main().pathForResource(QStringLiteral("FileTypes"), QStringLiteral("plist")).value_or(QString());
    return path;
}

QString Preferences::downloaderRecordsPath()
{
    static const QString path
        = preferencesDirectory() + QLatin1Char('/') + DownloaderAddOn::bundleIdentifier + QStringLiteral(".plist");
    return path;
}

// MARK: - Now playing

Preferences::NowPlaying Preferences::nowPlaying()
{
    auto &marker = nowPlayingMarker();
    const QMutexLocker locker(&marker.mutex);
    return nowPlayingLocked(marker.values);
}

void Preferences::setNowPlaying(const QString &identifier, bool isPlaying)
{
    auto &marker = nowPlayingMarker();
    const QMutexLocker locker(&marker.mutex);
    const NowPlaying current = nowPlayingLocked(marker.values);
    if (current.identifier == identifier && current.isPlaying == isPlaying)
        return;
    marker.values.insert(kIdentifierKey, identifier);
    marker.values.insert(identifier, isPlaying);
}

void Preferences::clearNowPlaying(const QString &identifier)
{
    auto &marker = nowPlayingMarker();
    const QMutexLocker locker(&marker.mutex);
    marker.values.insert(identifier, false);
    marker.values.remove(kIdentifierKey);
}

// MARK: - Downloader records

std::optional<QVariantMap> Preferences::downloaderMetadata(const QUrl &fileUrl)
{
    if (!fileUrl.isLocalFile())
        return std::nullopt;
    const QFileInfo file(fileUrl.toLocalFile());
    const QString folder = file.path();
    // Only folders the add-on manages carry its marker folder, and only they have records.
    if (!QFileInfo::exists(folder + QLatin1Char('/') + DownloaderAddOn::hiddenFolderName()))
        return std::nullopt;

    const QString trackName = trackNameOf(file.fileName());
    const QString parent = QFileInfo(folder).path();
    const QString recordsPath = Device::isSimulator ? parent + QStringLiteral("/Library/Preferences/")
            + DownloaderAddOn::bundleIdentifier + QStringLiteral(".plist")
                                                    : downloaderRecordsPath();

    const auto records = SettingsFileCache::dictionary(recordsPath);
    if (!records)
        return std::nullopt;
    const QVariant tracks = records->value(DownloaderAddOn::tracks);
    if (tracks.typeId() != QMetaType::QVariantMap)
        return std::nullopt;
    const QVariantMap trackMap = tracks.toMap();
    for (const QVariant &record : trackMap) {
        if (record.typeId() != QMetaType::QVariantMap)
            return std::nullopt;
    }
    const auto it = trackMap.constFind(trackName);
    if (it == trackMap.cend())
        return std::nullopt;

    QVariantMap record = it->toMap();
    record.insert(QStringLiteral("artworkUrl"),
        QUrl::fromLocalFile(parent + QLatin1Char('/') + DownloaderAddOn::artworksFolder + QLatin1Char('/') + trackName
            + QLatin1Char('.') + DownloaderAddOn::artworkExtension));
    return record;
}

// MARK: - Leftovers of killed writers

void Preferences::removeStaleTemporaryFiles()
{
    for (const QString &settingsFile : { preferencesFilePath(), Saltrig::preferencesFilePath() }) {
        // A writer that holds the lock may be about to rename its temporary file into place.
        SettingsFileLock lock(settingsFile);
        if (!lock.lock(0))
            continue;
        const QFileInfo settings(settingsFile);
        // The writer's temporary files are the settings file's name and six letters or digits.
        const QRegularExpression pattern(
            QLatin1Char('^') + QRegularExpression::escape(settings.fileName()) + QStringLiteral("\\.[A-Za-z0-9]{6}$"));
        const QDir folder = settings.absoluteDir();
        for (const QString &name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            const QString path = folder.filePath(name);
            if (pattern.match(name).hasMatch() && !QFileInfo(path).isSymLink())
                QFile::remove(path);
        }
    }
}

} // namespace tarnik
