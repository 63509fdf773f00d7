#include "EntriesSupport.h"

#include "App/Preferences.h"
#include "Entries/Entry.h"
#include "Entries/EntryViewModel.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace tarnik::test {

bool waitUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    QDeadlineTimer deadline(timeout);
    while (!done()) {
        if (deadline.hasExpired())
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents();
        QThread::yieldCurrentThread();
    }
    return true;
}

void drainMainQueue()
{
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

void resetEntrySettings()
{
    Preferences::setShowHidden(false);
    Preferences::setHideUnsupported(false);
    Preferences::setShowImageThumbnail(true);
    Preferences::setShowVideoThumbnail(true);
    Preferences::setUsePersistentCache(false);
    metadataCache().removeAllObjects();
    viewModelCache().removeAllObjects();
    fitViewModelCacheToScreen(0);
}

bool touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

} // namespace tarnik::test
