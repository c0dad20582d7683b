#pragma once

#include <QByteArray>
#include <QtGlobal>

// Every frame the tool sends and every report a module sends by itself. A frame is always three
// bytes: the start byte, a command code and a parameter. The module answers with the command code
// (bit 7 cleared) and one value byte; two identification queries carry continuation bytes.
namespace Frame
{

constexpr quint8 Start = 0xB0;
constexpr quint8 EepromBit = 0x80; // on a write-register code: store into EEPROM as well

// Command codes (byte 1 of a frame).
constexpr quint8 Identify = 0x00;
constexpr quint8 Measure = 0x01;
constexpr quint8 ReadRegister = 0x02;
constexpr quint8 FirstRegister = 0x09;
constexpr quint8 LastRegisterB = 0x14;
constexpr quint8 LastRegisterC = 0x10;
constexpr quint8 TransmitterB = 0x20;    // B and x: 01 on, 00 off
constexpr quint8 SleepB = 0x21;          // B and x: sleep with wake-up options
constexpr quint8 RecalibrateB = 0x22;    // B and x
constexpr quint8 SleepC = 0x20;          // C: sleep with wake-up options (RTS off)
constexpr quint8 RecalibrateC = 0x21;    // C: start recalibration (RTS off)
constexpr char LinkControlRequest = 'L'; // C: written straight to the port

// Parameters of the identification query.
constexpr quint8 QuerySoftwareVersion = 0x00; // answer 00 a b c
constexpr quint8 QuerySoftwareType = 0x01;
constexpr quint8 QueryCommandSet = 0x02;
constexpr quint8 QueryHardware = 0x03;
constexpr quint8 QueryBand = 0x04;
constexpr quint8 QuerySerialNumber = 0x05;  // answer 00 b0 b1 b2 b3
constexpr quint8 QuerySoftwareSpeed = 0x06; // C with command set 3 or higher

// Parameters of the measurement query.
constexpr quint8 MeasureRssi = 0x00;
constexpr quint8 MeasureRssiMax = 0x01;
constexpr quint8 MeasureTemperature = 0x02;
constexpr quint8 MeasureVoltage = 0x03;

// Continuation bytes after the two-byte answer of the long identification queries.
constexpr int continuationOf(quint8 param)
{
    return param == QuerySerialNumber ? 3 : param == QuerySoftwareVersion ? 2 : 0;
}

inline QByteArray make(quint8 code, quint8 param)
{
    QByteArray frame(3, '\0');
    frame[0] = char(Start);
    frame[1] = char(code);
    frame[2] = char(param);
    return frame;
}

} // namespace Frame

// Codes of the reports a module sends without a request (byte 0 of its answer).
namespace Report
{

constexpr quint8 CalibrationB = 0x22;  // B and x: 0 started, 1 successful, 2 not successful
constexpr quint8 CalibrationB2 = 0x31; // B and x, same meaning
constexpr quint8 RssiMaxB = 0x30;      // B and x: maximum signal strength, signed dBm
constexpr quint8 WakeUpB = 0x32;       // B and x: 01 woken up
constexpr quint8 CalibrationC = 0x21;  // C: 0 started, 1 successful, 2 not successful
constexpr quint8 WakeUpC = 0x30;       // C: 01 woken up
constexpr quint8 ModuleError = 0x38;   // all: 0 and other values are logged differently

// Start-up report: the next-to-last byte is one of these, the last the calibration status.
constexpr quint8 StartupMark0 = 0x30;
constexpr quint8 StartupMark2 = 0x32;
constexpr quint8 CalibrationOk = 0x00;
constexpr quint8 SleepAfterPowerUp = 0x01;
constexpr quint8 CalibrationMissing = 0x80;

} // namespace Report
