#pragma once

#include <QLocale>
#include <QString>
#include <QtGlobal>

#include <optional>

// Settings of the B configuration page as item indexes (-1: nothing selected) and texts. The
// same values are what a stored configuration holds and what the write sends.
struct BPageValues {
    int frqRx = -1;
    int frqTx = -1;
    int hfBaud = -1;
    int kBreite = -1;
    int code = -1;
    int rxTx = -1; // -1 also when the box shows nothing
    int modArt = -1;
    int configBaud = -1;
    int pwrupB0 = -1;
    int pwrupB2 = -1;
    int pwrupB4 = -1;
    int pwrupB5 = -1;
    int pwrContB0 = -1;
    int pwrContB1 = -1;
    int recal = -1;
    int rssi = -1;
    QString recalText;
    QString rssiText;
    bool eeprom = false;

    bool operator==(const BPageValues &) const = default;
};

struct CPageValues {
    int frqRx = -1;
    int frqTx = -1;
    int hfBaud = -1;
    int rs232Baud = -1;
    int pwrupC0 = -1;
    int pwrupC2 = -1;
    int pwrupC5 = -1;
    int pwrContC0 = -1;
    int pwrContC1 = -1;
    int recal = -1;
    int data[5] = {-1, -1, -1, -1, -1}; // CBox_Data_C0 .. CBox_Data_C4
    QString recalText;
    bool eeprom = false;

    bool operator==(const CPageValues &) const = default;
};

// Item selected by a bit of a register: 1 when set, 0 when clear.
inline int bitItem(quint8 value, int bit)
{
    return (value >> bit) & 1;
}

// The item a register value selects in a box of itemCount items; -1 (no selection) beyond it.
int itemForValue(int value, int itemCount);
// Channel registers hold the 1-based channel number.
int channelItemForValue(quint8 value, int itemCount);

// Power-up register of a B module (0x11): bits 0, 2, 4, 5.
quint8 encodePowerUpB(int b0, int b2, int b4, int b5);
// Power-up register of a C module (0x0D): bits 0, 2, 5.
quint8 encodePowerUpC(int c0, int c2, int c5);
// Power-control register (B 0x12, C 0x0E, calibration software 0x0F): bits 0 and 1.
quint8 encodePowerControl(int led, int rf);
// Data-format register of a C module (0x10): bits 0 to 4.
quint8 encodeDataFormat(const int (&items)[5]);

// Decoded interval registers: the box's item and the text of its edit (empty when not shown).
struct IntervalDisplay {
    int item = 0;
    QString text;
};
// Recalibration (B 0x13, C 0x0F): 0 off, 1 on temperature change, else minutes.
IntervalDisplay decodeRecalibration(quint8 value);
// Auto-RSSI (B 0x14): 0 off, else tenths of a second shown as seconds ("0.5", "1.5", "15").
IntervalDisplay decodeAutoRssi(quint8 value, const QLocale &locale = QLocale());
// Tenths of a second as seconds with at most two significant digits, halves to even.
QString autoRssiSecondsText(quint8 tenths, const QLocale &locale = QLocale());
// The locale for reading numbers the user typed: its decimal separator, no group separators.
QLocale numberEntryLocale(const QLocale &locale = QLocale());

// A typed interval checked for the write.
enum class IntervalCheck { Accepted, OutOfRange, NotANumber };
struct IntervalResult {
    IntervalCheck check = IntervalCheck::NotANumber;
    quint8 value = 0;
};
// Minutes of the recalibration interval: accepted when 5 < n < 150.
IntervalResult checkRecalibrationMinutes(const QString &text);
// Seconds of the auto-RSSI interval, in the locale's decimal notation: tenths rounded to the
// nearest (halves to even), accepted when 0 < t < 150.
IntervalResult checkAutoRssiSeconds(const QString &text, const QLocale &locale = QLocale());
