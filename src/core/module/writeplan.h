#pragma once

#include "module/registers.h"

#include <QList>
#include <QLocale>
#include <QString>
#include <QtGlobal>

// One step of a configuration write, in the order it is carried out in every pass.
struct WriteStep {
    enum class Kind {
        Frame,                  // B0 code value through the transaction
        SwitchPcBaud,           // select pcBaudItem in CBox_RS232_baud, apply it forced (only
                                // while the error flag is clear)
        SetRxTxSwitchByCommand, // RxTxSwitchByCommand := flag
        Rts,                    // RTS line := flag
    };
    Kind kind = Kind::Frame;
    quint8 code = 0;
    quint8 value = 0;
    int pcBaudItem = -1;
    bool flag = false;

    static WriteStep frame(quint8 code, quint8 value)
    {
        return {Kind::Frame, code, value, -1, false};
    }
    static WriteStep switchPcBaud(int item) { return {Kind::SwitchPcBaud, 0, 0, item, false}; }
    static WriteStep rxTxSwitchByCommand(bool byCommand)
    {
        return {Kind::SetRxTxSwitchByCommand, 0, 0, -1, byCommand};
    }
    static WriteStep rts(bool on) { return {Kind::Rts, 0, 0, -1, on}; }

    bool operator==(const WriteStep &) const = default;
};

// A message for the user, in both languages.
struct WriteMessage {
    QString german;
    QString english;
};

enum class IntervalEdit { Recalibration, AutoRssi };

// A typed interval that the write refuses: the message, the edit concerned and whether the edit
// is emptied (out of range) or keeps its text for correction (not a number).
struct IntervalRefusal {
    IntervalEdit edit = IntervalEdit::Recalibration;
    bool clearEdit = false;
    WriteMessage message;
};

struct WritePlan {
    // Settings without a selection: the write is refused as a whole and nothing is sent.
    QStringList unselectedGerman;
    QStringList unselectedEnglish;
    QList<IntervalRefusal> refusals; // the register is skipped, the write goes on
    QList<WriteStep> steps;

    bool refused() const { return !unselectedGerman.isEmpty(); }
    WriteMessage unselectedMessage() const;
};

// The write of a B module (registers 0x09 to 0x14, EEPROM bit from the page's box).
WritePlan planBWrite(const BPageValues &page, const QLocale &locale = QLocale());
// The write of the calibration software (registers 0x09 to 0x10, never the EEPROM bit).
WritePlan planCalibrationWrite(const BPageValues &page, const QLocale &locale = QLocale());
// The write of a C module (registers 0x09 to 0x10 between RTS off and RTS on).
WritePlan planCWrite(const CPageValues &page);
