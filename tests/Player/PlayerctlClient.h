#pragma once

// Runs the playerctl command against this test process's MPRIS player on the private session bus.
// The process is waited for with the event loop running, so the player can answer it.

#include <QString>
#include <QStringList>

namespace tarnik::test {

struct PlayerctlResult
{
    bool finished = false;
    int exitCode = -1;
    QString output; // stdout, trimmed
};

// playerctl -p <player> arguments…, where player is the bus name without "org.mpris.MediaPlayer2.".
PlayerctlResult playerctl(const QString &busName, const QStringList &arguments);

} // namespace tarnik::test
