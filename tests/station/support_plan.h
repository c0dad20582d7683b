#pragma once

#include <QByteArray>
#include <QString>

// The pieces of the test plans the station's tests, korvel-cli's and the station's benchmark
// share.
namespace StationPlan
{

// A stored configuration of a C module as the window saves it (M1.txt), named name, whose
// receive and transmit channels differ from a fresh module's, so that a write that does not take
// shows after the power cycle.
QByteArray storedConfigC(const QByteArray &name);

// The steps before the radio: the identification of a C module whose start-up report says "OK"
// (with the settings identify adds), the write of M1.txt, and the module test with limits a sound
// module meets. between stands between the steps (a blank line, or nothing).
QByteArray moduleSteps(const QByteArray &identify, const QByteArray &between = {});

// Writes bytes into the file name in folder, over what it held: its path, or empty when it cannot
// be written.
QString writeFile(const QString &folder, const QString &name, const QByteArray &bytes);

} // namespace StationPlan
