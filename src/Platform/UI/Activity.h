#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <QVariantList>

namespace tarnik {

// The activity types of the share sheet's own services, for excluding them.
// Services the desktop has no counterpart of (printing, contacts, a reading
// list) keep their names so callers can exclude them all the same.
namespace ActivityType {
inline const QString copyToPasteboard = QStringLiteral("copyToPasteboard");
inline const QString saveToCameraRoll = QStringLiteral("saveToCameraRoll");
inline const QString openWith = QStringLiteral("openWith");
inline const QString print = QStringLiteral("print");
inline const QString assignToContact = QStringLiteral("assignToContact");
inline const QString addToReadingList = QStringLiteral("addToReadingList");
} // namespace ActivityType

// One service of the share sheet. The sheet asks canPerform() with its items,
// and for the one the user taps calls prepare() and then perform(); the
// activity calls activityDidFinish() exactly once when its work ends, which
// runs the sheet's completion. Items are QVariants: URLs, texts, images, the
// presenting screen as a QObject pointer, and whatever records the caller
// adds. GUI thread only.
class Activity : public QObject
{
    Q_OBJECT
public:
    explicit Activity(QObject *parent = nullptr);

    // "Tarnik.<ClassName>" unless a service names its own.
    virtual QString activityType() const;
    virtual QString activityTitle() const = 0;
    virtual QIcon activityImage() const { return {}; }
    virtual bool canPerform(const QVariantList &items) const = 0;
    virtual void prepare(const QVariantList &items) { Q_UNUSED(items); }
    virtual void perform() = 0;

    virtual void activityDidFinish(bool completed);
    bool hasFinished() const { return m_finished; }

    // The first item that is a readable local file, as a path; empty when none.
    static QString firstReadableFile(const QVariantList &items);

Q_SIGNALS:
    void finished(bool completed);

private:
    bool m_finished = false;
};

} // namespace tarnik
