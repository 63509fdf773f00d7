#pragma once

#include <QString>

namespace tarnik {

// The device's unique identifier as the companion reports it: 40 lower-case
// hexadecimal digits, stable across runs. Derived from the machine identifier
// file when it holds one (keyed with the companion's own name, so the machine
// identifier itself never leaves the machine); otherwise made once at random
// and kept in the companion's settings file under "deviceIdentifier".
//
// The first answer is kept for the life of the object. Safe from any thread.
class DeviceIdentifier
{
public:
    explicit DeviceIdentifier(QString machineIdPath = QStringLiteral("/etc/machine-id"));

    QString value();

    // The identifier derived from a machine identifier text; empty when the
    // text is no machine identifier (32 hexadecimal digits, blanks around).
    static QString fromMachineId(const QByteArray &machineId);

    static QString storedKey() { return QStringLiteral("deviceIdentifier"); }

private:
    QString m_machineIdPath;
    QString m_value;
};

} // namespace tarnik
