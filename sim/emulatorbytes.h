#pragma once

// The bytes every part of the module emulator builds its answers from.

#include <QByteArray>
#include <QtGlobal>

#include <initializer_list>

namespace EmulatorBytes
{

constexpr quint8 kStartByte = 0xB0;
constexpr quint8 kEepromBit = 0x80;
constexpr quint8 kModuleError = 0x38;
// Module error values: the command code is unknown to this firmware, or its parameter (query,
// register, option) is outside what the firmware offers.
constexpr quint8 kUnknownCommand = 0x01;
constexpr quint8 kBadParameter = 0x02;

inline QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int v : values)
        bytes.append(char(quint8(v)));
    return bytes;
}

inline QByteArray moduleError(quint8 value)
{
    return bytesOf({kModuleError, value});
}

} // namespace EmulatorBytes
