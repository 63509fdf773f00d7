#pragma once

#include "Import/ImportItem.h"
#include "Import/MediaKind.h"
#include "ImportEditor/BaseActivity.h"

#include <QList>

namespace tarnik {

// "Import": opens the import editor for the file; the import itself starts
// from the editor. Offered only while the editor screen is registered.
class ImportActivity : public BaseActivity
{
    Q_OBJECT
public:
    static inline const QString editorIdentifier = QStringLiteral("ImportViewController");

    explicit ImportActivity(ViewController *presentingViewController, QObject *parent = nullptr);

    virtual void add(const ImportItem &item);
    const QList<ImportItem> &importItems() const { return m_importItems; }

    QString activityTitle() const override;
    QIcon activityImage() const override;
    bool canPerform(const QVariantList &items) const override;
    void prepare(const QVariantList &items) override;
    void perform() override;

protected:
    static QIcon bundleIcon(const QString &name);
    QList<ImportItem> m_importItems;
};

// The import actions for one media kind each: they stamp their kind on the
// item they are given.
class ImportiTunesAudioActivity : public ImportActivity
{
    Q_OBJECT
public:
    explicit ImportiTunesAudioActivity(ViewController *presentingViewController, QObject *parent = nullptr)
        : ImportActivity(presentingViewController, parent)
    {
    }
    virtual MediaKind mediaKind() const { return m_mediaKind; }
    void setMediaKind(MediaKind kind) { m_mediaKind = kind; }
    void add(const ImportItem &item) override;
    QString activityTitle() const override;

protected:
    ImportiTunesAudioActivity(ViewController *presentingViewController, MediaKind kind, QObject *parent)
        : ImportActivity(presentingViewController, parent)
        , m_mediaKind(kind)
    {
    }

private:
    MediaKind m_mediaKind = MediaKind::song;
};

class ImportiTunesVideoActivity : public ImportiTunesAudioActivity
{
    Q_OBJECT
public:
    explicit ImportiTunesVideoActivity(ViewController *presentingViewController, QObject *parent = nullptr)
        : ImportiTunesAudioActivity(presentingViewController, MediaKind::musicVideo, parent)
    {
    }
    QString activityTitle() const override;
    QIcon activityImage() const override;
};

class ImportiTunesMusicVideoActivity : public ImportiTunesAudioActivity
{
    Q_OBJECT
public:
    explicit ImportiTunesMusicVideoActivity(ViewController *presentingViewController, QObject *parent = nullptr)
        : ImportiTunesAudioActivity(presentingViewController, MediaKind::musicVideo, parent)
    {
    }
    QString activityTitle() const override;
    QIcon activityImage() const override;
};

class ImportiTunesMovieActivity : public ImportiTunesAudioActivity
{
    Q_OBJECT
public:
    explicit ImportiTunesMovieActivity(ViewController *presentingViewController, QObject *parent = nullptr)
        : ImportiTunesAudioActivity(presentingViewController, MediaKind::featureMovie, parent)
    {
    }
    QString activityTitle() const override;
    QIcon activityImage() const override;
};

class ImportiTunesPodcastActivity : public ImportiTunesAudioActivity
{
    Q_OBJECT
public:
    explicit ImportiTunesPodcastActivity(ViewController *presentingViewController, QObject *parent = nullptr)
        : ImportiTunesAudioActivity(presentingViewController, MediaKind::podcast, parent)
    {
    }
    QString activityTitle() const override;
    QIcon activityImage() const override;
};

class ImportiTunesRingtoneActivity : public ImportiTunesAudioActivity
{
    Q_OBJECT
public:
    explicit ImportiTunesRingtoneActivity(ViewController *presentingViewController, QObject *parent = nullptr)
        : ImportiTunesAudioActivity(presentingViewController, MediaKind::ringtone, parent)
    {
    }
    QString activityTitle() const override;
    QIcon activityImage() const override;
};

class ImportiTunesTVShowActivity : public ImportiTunesAudioActivity
{
    Q_OBJECT
public:
    explicit ImportiTunesTVShowActivity(ViewController *presentingViewController, QObject *parent = nullptr)
        : ImportiTunesAudioActivity(presentingViewController, MediaKind::tvEpisode, parent)
    {
    }
    QString activityTitle() const override;
    QIcon activityImage() const override;
};

} // namespace tarnik
