#include "Platform/UI/ActivityViewController.h"

#include "Platform/Bundle.h"
#include "Platform/DesktopApplications.h"
#include "Platform/UI/DocumentInteractionController.h"
#include "Platform/UI/ViewController.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QUrl>

namespace tarnik {

// Holds the activities and the completion past the sheet's own life: the
// sheet is deleted after its dismissal, while a tapped activity may present
// its screen and report its end much later.
class ActivityViewController::Session : public QObject
{
public:
    CompletionWithItemsHandler completion;
    bool running = false;
    bool done = false;

    void complete(const QString &type, bool completed)
    {
        if (done)
            return;
        done = true;
        if (completion)
            completion(type, completed);
        deleteLater();
    }
};

ActivityViewController::ActivityViewController(
    const QVariantList &activityItems, const QList<Activity *> &applicationActivities, QObject *parent)
    : AlertController(QString(), QString(), Style::actionSheet, parent)
    , m_items(activityItems)
    , m_session(new Session)
{
    for (Activity *activity : applicationActivities)
        if (activity)
            activity->setParent(m_session);
    QPointer<Session> session(m_session);
    connect(this, &QObject::destroyed, m_session, [session] {
        if (session && !session->running)
            session->complete(QString(), false);
    });
}

void ActivityViewController::setCompletionWithItemsHandler(CompletionWithItemsHandler handler)
{
    m_session->completion = std::move(handler);
}

QList<Activity *> ActivityViewController::shownActivities()
{
    buildActions();
    return m_shown;
}

void ActivityViewController::loadView()
{
    buildActions();
    AlertController::loadView();
}

void ActivityViewController::buildActions()
{
    if (m_built)
        return;
    m_built = true;
    QList<Activity *> candidates;
    for (QObject *child : m_session->children())
        if (auto *activity = qobject_cast<Activity *>(child))
            candidates.append(activity);
    ViewController *presenter = nullptr;
    for (const QVariant &item : m_items)
        if (auto *vc = qobject_cast<ViewController *>(item.value<QObject *>()); vc && !presenter)
            presenter = vc;
    QWidget *anchor = popoverPresentationController() ? popoverPresentationController()->sourceView() : nullptr;
    candidates.append(new CopyActivity(m_session));
    candidates.append(new SaveImageActivity(m_session));
    candidates.append(new OpenWithActivity(presenter, anchor, m_session));

    Session *session = m_session;
    const QVariantList items = m_items;
    for (Activity *activity : candidates) {
        if (m_excluded.contains(activity->activityType()) || !activity->canPerform(m_items))
            continue;
        m_shown.append(activity);
        QPointer<Activity> guard(activity);
        auto *action = new AlertControllerAction(activity->activityTitle(), AlertControllerAction::Style::defaultStyle,
            [session, guard, items](AlertControllerAction *) {
                if (!guard)
                    return;
                session->running = true;
                const QString type = guard->activityType();
                QObject::connect(guard, &Activity::finished, session,
                    [session, type](bool completed) { session->complete(type, completed); });
                guard->prepare(items);
                guard->perform();
            });
        action->setImage(activity->activityImage());
        addAction(action);
    }
    addAction(new AlertControllerAction(tr("Cancel"), AlertControllerAction::Style::cancel,
        [session](AlertControllerAction *) { session->complete(QString(), false); }));
}

namespace {

// The desktop's own services draw their symbols in the style of the app's actions beside them,
// whatever icon theme the desktop has.
QIcon bundledSymbol(const QString &name)
{
    const std::optional<QString> path
        = Bundle::main().pathForResource(name, QStringLiteral("svg"), QStringLiteral("images"));
    return path ? QIcon(*path) : QIcon();
}

} // namespace

// MARK: - Copy

QString CopyActivity::activityTitle() const
{
    return tr("Copy");
}

QIcon CopyActivity::activityImage() const
{
    return bundledSymbol(QStringLiteral("activityCopy"));
}

bool CopyActivity::canPerform(const QVariantList &items) const
{
    for (const QVariant &item : items)
        if (item.metaType() == QMetaType::fromType<QUrl>() || item.metaType() == QMetaType::fromType<QString>())
            return true;
    return false;
}

void CopyActivity::perform()
{
    QList<QUrl> urls;
    QStringList texts;
    for (const QVariant &item : m_items) {
        if (item.metaType() == QMetaType::fromType<QUrl>()) {
            const QUrl url = item.toUrl();
            urls.append(url);
            texts.append(url.isLocalFile() ? url.toLocalFile() : url.toString());
        }
    }
    // Without a URL the texts are what there is to copy.
    if (urls.isEmpty())
        for (const QVariant &item : m_items)
            if (item.metaType() == QMetaType::fromType<QString>())
                texts.append(item.toString());
    auto *data = new QMimeData;
    if (!urls.isEmpty())
        data->setUrls(urls);
    data->setText(texts.join(QLatin1Char('\n')));
    QGuiApplication::clipboard()->setMimeData(data);
    activityDidFinish(true);
}

// MARK: - Save Image

QString SaveImageActivity::activityTitle() const
{
    return tr("Save Image");
}

QIcon SaveImageActivity::activityImage() const
{
    return bundledSymbol(QStringLiteral("activitySaveImage"));
}

bool SaveImageActivity::canPerform(const QVariantList &items) const
{
    const QString path = firstReadableFile(items);
    return !path.isEmpty() && QMimeDatabase().mimeTypeForFile(path).name().startsWith(QLatin1String("image/"));
}

void SaveImageActivity::prepare(const QVariantList &items)
{
    m_path = firstReadableFile(items);
}

QString SaveImageActivity::freeDestination(const QString &folder, const QString &source)
{
    const QFileInfo info(source);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QDir dir(folder);
    QString candidate = dir.filePath(base + suffix);
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = dir.filePath(QStringLiteral("%1 %2%3").arg(base).arg(n).arg(suffix));
    return candidate;
}

void SaveImageActivity::perform()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (m_path.isEmpty() || folder.isEmpty() || !QDir().mkpath(folder)) {
        activityDidFinish(false);
        return;
    }
    // QFile::copy never replaces an existing file, so a name taken in the
    // meantime fails instead of being overwritten.
    activityDidFinish(QFile::copy(m_path, freeDestination(folder, m_path)));
}

// MARK: - Open With

OpenWithActivity::OpenWithActivity(ViewController *presenter, QWidget *sourceView, QObject *parent)
    : Activity(parent)
    , m_presenter(presenter)
    , m_sourceView(sourceView)
{
}

QString OpenWithActivity::activityTitle() const
{
    return tr("Open With");
}

QIcon OpenWithActivity::activityImage() const
{
    return bundledSymbol(QStringLiteral("activityOpenWith"));
}

bool OpenWithActivity::canPerform(const QVariantList &items) const
{
    const QString path = firstReadableFile(items);
    return m_presenter && !path.isEmpty() && !DesktopApplications::applicationsForFile(path).isEmpty();
}

void OpenWithActivity::prepare(const QVariantList &items)
{
    m_path = firstReadableFile(items);
}

void OpenWithActivity::perform()
{
    auto *controller = new DocumentInteractionController(QUrl::fromLocalFile(m_path), this);
    QPointer<OpenWithActivity> self(this);
    controller->didDismissOpenInMenu = [self] {
        if (self)
            self->activityDidFinish(true);
    };
    if (!controller->presentOpenInMenu(m_sourceView, m_presenter, true))
        activityDidFinish(false);
}

} // namespace tarnik
