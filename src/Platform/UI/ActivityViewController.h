#pragma once

#include "Platform/UI/Activity.h"
#include "Platform/UI/AlertController.h"

#include <QStringList>
#include <functional>

namespace tarnik {

// The share sheet: an action sheet (a popover at its anchor on pads) listing
// the caller's activities first, then the desktop's own services, "Copy",
// "Save Image" and "Open With", each only when it can act on the items and
// its type is not excluded, and "Cancel". A tapped activity is prepared and
// performed after the sheet is gone; the completion runs once, when the
// activity reports its end or the sheet is cancelled. The activities live
// until then, so they can present and report later.
class ActivityViewController : public AlertController
{
    Q_OBJECT
public:
    using CompletionWithItemsHandler = std::function<void(const QString &activityType, bool completed)>;

    // Takes ownership of the activities.
    ActivityViewController(
        const QVariantList &activityItems, const QList<Activity *> &applicationActivities, QObject *parent = nullptr);

    QStringList excludedActivityTypes() const { return m_excluded; }
    void setExcludedActivityTypes(const QStringList &types) { m_excluded = types; }
    void setCompletionWithItemsHandler(CompletionWithItemsHandler handler);

    // The activities the sheet offers, in order (decided when its view loads).
    QList<Activity *> shownActivities();

protected:
    void loadView() override;

private:
    class Session;
    void buildActions();

    QVariantList m_items;
    QStringList m_excluded;
    Session *m_session = nullptr;
    QList<Activity *> m_shown;
    bool m_built = false;
};

// "Copy": the file's URL and path (or the texts) to the clipboard.
class CopyActivity : public Activity
{
    Q_OBJECT
public:
    using Activity::Activity;
    QString activityType() const override { return ActivityType::copyToPasteboard; }
    QString activityTitle() const override;
    QIcon activityImage() const override;
    bool canPerform(const QVariantList &items) const override;
    void prepare(const QVariantList &items) override { m_items = items; }
    void perform() override;

private:
    QVariantList m_items;
};

// "Save Image": a picture file copied into the Pictures folder under a name
// that overwrites nothing.
class SaveImageActivity : public Activity
{
    Q_OBJECT
public:
    using Activity::Activity;
    QString activityType() const override { return ActivityType::saveToCameraRoll; }
    QString activityTitle() const override;
    QIcon activityImage() const override;
    bool canPerform(const QVariantList &items) const override;
    void prepare(const QVariantList &items) override;
    void perform() override;

    // Where a copy of source lands in folder without replacing a file.
    static QString freeDestination(const QString &folder, const QString &source);

private:
    QString m_path;
};

// "Open With": the applications that open the file.
class OpenWithActivity : public Activity
{
    Q_OBJECT
public:
    OpenWithActivity(ViewController *presenter, QWidget *sourceView, QObject *parent = nullptr);
    QString activityType() const override { return ActivityType::openWith; }
    QString activityTitle() const override;
    QIcon activityImage() const override;
    bool canPerform(const QVariantList &items) const override;
    void prepare(const QVariantList &items) override;
    void perform() override;

private:
    QPointer<ViewController> m_presenter;
    QPointer<QWidget> m_sourceView;
    QString m_path;
};

} // namespace tarnik
