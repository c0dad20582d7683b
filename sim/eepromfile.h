#pragma once

#include <QString>

#include <array>

// The module's EEPROM kept in a text file between runs: one line per configuration register,
// "rr vv" in hexadecimal (for example "09 50"). Lines that do not parse are skipped.
bool loadEepromFile(const QString &path, std::array<quint8, 256> &image);
bool saveEepromFile(const QString &path, const std::array<quint8, 256> &image, int firstRegister,
                    int lastRegister);
