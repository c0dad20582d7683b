#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The firmware a type letter names: "B", "C", "x" for the calibration software. Any other letter,
// or none, is Unknown: a module the program does not serve, which on the line is no C module.
enum class FirmwareType { B, C, Calibration, Unknown };
FirmwareType firmwareType(const QString &letter);

// Decoders of the identification answers (a1 .. a4 are answer bytes 1 to 4).
// Type query: 0xFF is the calibration software "x", otherwise the letter a1 + 0x40 ("B", "C").
QString softwareTypeLetter(quint8 a1);
// Whether the letter names a firmware the program serves: "B", "C" or "x".
bool isKnownSoftwareType(const QString &letter);
QString softwareVersionText(quint8 a1, quint8 a2, quint8 a3);
// Speed query of C modules with command set 3 or higher; other answers change nothing.
std::optional<QString> softwareSpeedText(quint8 a1);
// Speed of every other module, by its hardware version field.
QString softwareSpeedFromHardware(const QString &hardwareVersion);
QString frequencyVersionText(quint8 a1);
quint32 serialNumber(quint8 a1, quint8 a2, quint8 a3, quint8 a4);
// Plain text of the hardware version 10 to 14; nothing for any other version.
std::optional<QString> hardwareDescription(int version, bool german);
// The type designation, e.g. Korvel868-10-B3.
QString moduleTypeDesignation(const QString &frequency, const QString &hardware,
                              const QString &typeLetter, const QString &commandSet);
