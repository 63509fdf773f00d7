#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

namespace tarnik {

// The process's audio session: the category and mode the app asks for, whether it is active, and the
// interruption notice. Linux has no session arbiter, so the category and mode are only recorded,
// activation always succeeds and nothing raises an interruption by itself; postInterruption() is the
// path a future arbiter (and the tests) use to deliver one.
//
// Lives on the GUI thread; every member is called there.
class AudioSession : public QObject
{
    Q_OBJECT
public:
    // User-info keys of an interruption notice and their values.
    static const QString interruptionTypeKey; // unsigned integer: InterruptionType
    static const QString interruptionOptionKey; // unsigned integer: InterruptionOptions (only on end)
    enum InterruptionType : uint { interruptionEnded = 0, interruptionBegan = 1 };
    enum InterruptionOption : uint { interruptionOptionShouldResume = 1 };

    static const QString categoryPlayback;
    static const QString modeDefault;

    explicit AudioSession(QObject *parent = nullptr);

    // The one session of the process, made on first use and kept for its life.
    static AudioSession &shared();

    bool setCategory(const QString &category, const QString &mode, uint options, QString *error = nullptr);
    QString category() const { return m_category; }
    QString mode() const { return m_mode; }
    uint categoryOptions() const { return m_options; }

    // Activation and deactivation; the result says whether it worked, *error says why not.
    bool setActive(bool active, QString *error = nullptr);
    bool isActive() const { return m_active; }

    // The device's output volume, 0 to 1. The session does not own the mixer, so it reports full volume.
    float outputVolume() const { return 1.0f; }

    // Delivers an interruption notice with the given user info to every observer.
    void postInterruption(const QVariantMap &userInfo);

Q_SIGNALS:
    // The interruption notice; userInfo carries interruptionTypeKey and, on end, interruptionOptionKey.
    void interrupted(const QVariantMap &userInfo);
    void activeChanged(bool active);

private:
    QString m_category;
    QString m_mode;
    uint m_options = 0;
    bool m_active = false;
};

} // namespace tarnik
