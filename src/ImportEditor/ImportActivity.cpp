#include "ImportEditor/ImportActivity.h"

#include "ImportEditor/ImportViewController.h"
#include "App/Globals.h"
#include "App/MainStoryboard.h"
#include "Entries/EntryImages.h"
#include "Platform/UI/NavigationController.h"
#include "Platform/UI/PopoverPresentationController.h"
#include "Platform/UI/Storyboard.h"

#include <QPixmap>

namespace tarnik {

ImportActivity::ImportActivity(ViewController *presentingViewController, QObject *parent)
    : BaseActivity(presentingViewController, parent)
{
}

QIcon ImportActivity::bundleIcon(const QString &name)
{
    return QIcon(QPixmap::fromImage(EntryImages::named(name, 60)));
}

void ImportActivity::add(const ImportItem &item)
{
    m_importItems.append(item);
}

QString ImportActivity::activityTitle() const
{
    return _localizedString(QStringLiteral("Import"));
}

QIcon ImportActivity::activityImage() const
{
    return bundleIcon(QStringLiteral("activityAudio"));
}

bool ImportActivity::canPerform(const QVariantList &items) const
{
    if (!Storyboard(MainStoryboard::kName).contains(editorIdentifier))
        return false;
    if (BaseActivity::canPerform(items))
        return true;
    for (const QVariant &item : items)
        if (item.metaType() == QMetaType::fromType<ImportItem>())
            return static_cast<const ImportItem *>(item.constData())->isExportable();
    return false;
}

void ImportActivity::prepare(const QVariantList &items)
{
    for (const QVariant &item : items) {
        if (item.metaType() != QMetaType::fromType<ImportItem>())
            continue;
        const ImportItem &importItem = *static_cast<const ImportItem *>(item.constData());
        if (importItem.isExportable()) {
            add(importItem);
            return;
        }
    }
    BaseActivity::prepare(items);
    if (m_url)
        add(ImportItem(MediaKind::song, m_url->toLocalFile()));
}

void ImportActivity::perform()
{
    const Storyboard storyboard(MainStoryboard::kName);
    if (m_importItems.isEmpty() || !m_presentingViewController || !storyboard.contains(editorIdentifier)) {
        activityDidFinish(false);
        return;
    }
    auto *editor = qobject_cast<ImportViewController *>(storyboard.instantiateViewController(editorIdentifier));
    if (!editor) {
        activityDidFinish(false);
        return;
    }
    editor->setImportItem(m_importItems.first());
    auto *navigation = new NavigationController(editor);
    navigation->setModalPresentationStyle(ModalPresentationStyle::formSheet);
    navigation->setPreferredContentSize(m_presentingViewController->preferredFormSheetSize());
    if (PopoverPresentationController *popover = navigation->popoverPresentationController())
        popover->setSourceView(m_presentingViewController->view());
    QPointer<ImportActivity> self(this);
    m_presentingViewController->present(navigation, true, [self] {
        if (self)
            self->activityDidFinish(true);
    });
}

void ImportiTunesAudioActivity::add(const ImportItem &item)
{
    ImportItem stamped = item;
    stamped.mediaKind = mediaKind();
    ImportActivity::add(stamped);
}

QString ImportiTunesAudioActivity::activityTitle() const
{
    return _localizedString(QStringLiteral("Import to Music"));
}

QString ImportiTunesVideoActivity::activityTitle() const
{
    return _localizedString(QStringLiteral("Import to Videos"));
}

QIcon ImportiTunesVideoActivity::activityImage() const
{
    return bundleIcon(QStringLiteral("activityMusicVideo"));
}

QString ImportiTunesMusicVideoActivity::activityTitle() const
{
    return _localizedString(QStringLiteral("Import as Music Video"));
}

QIcon ImportiTunesMusicVideoActivity::activityImage() const
{
    return bundleIcon(QStringLiteral("activityMusicVideo"));
}

QString ImportiTunesMovieActivity::activityTitle() const
{
    return _localizedString(QStringLiteral("Import as Movie"));
}

QIcon ImportiTunesMovieActivity::activityImage() const
{
    return bundleIcon(QStringLiteral("activityMovie"));
}

QString ImportiTunesPodcastActivity::activityTitle() const
{
    return _localizedString(QStringLiteral("Import as Podcast"));
}

QIcon ImportiTunesPodcastActivity::activityImage() const
{
    return bundleIcon(QStringLiteral("activityPodcast"));
}

QString ImportiTunesRingtoneActivity::activityTitle() const
{
    return _localizedString(QStringLiteral("Import as Ringtone"));
}

QIcon ImportiTunesRingtoneActivity::activityImage() const
{
    return bundleIcon(QStringLiteral("activityRingtone"));
}

QString ImportiTunesTVShowActivity::activityTitle() const
{
    return _localizedString(QStringLiteral("Import as TV Show"));
}

QIcon ImportiTunesTVShowActivity::activityImage() const
{
    return bundleIcon(QStringLiteral("activityTVShow"));
}

} // namespace tarnik
