#include "Platform/Playback/AudioSession.h"

namespace tarnik {

const QString AudioSession::interruptionTypeKey = QStringLiteral("AVAudioSessionInterruptionTypeKey");
const QString AudioSession::interruptionOptionKey = QStringLiteral("AVAudioSessionInterruptionOptionKey");
const QString AudioSession::categoryPlayback = QStringLiteral("AVAudioSessionCategoryPlayback");
const QString AudioSession::modeDefault = QStringLiteral("AVAudioSessionModeDefault");

AudioSession::AudioSession(QObject *parent)
    : QObject(parent)
{
}

AudioSession &AudioSession::shared()
{
    static AudioSession *session = new AudioSession;
    return *session;
}

bool AudioSession::setCategory(const QString &category, const QString &mode, uint options, QString *error)
{
    if (category.isEmpty()) {
        if (error)
            *error = QStringLiteral("The audio session category is empty.");
        return false;
    }
    m_category = category;
    m_mode = mode;
    m_options = options;
    return true;
}

bool AudioSession::setActive(bool active, QString *error)
{
    Q_UNUSED(error)
    if (m_active != active) {
        m_active = active;
        Q_EMIT activeChanged(active);
    }
    return true;
}

void AudioSession::postInterruption(const QVariantMap &userInfo)
{
    Q_EMIT interrupted(userInfo);
}

} // namespace tarnik
