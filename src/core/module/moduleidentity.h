#pragma once

#include "module/registers.h"

#include <QString>
#include <QtGlobal>

#include <array>
#include <functional>
#include <optional>

class ComPort;
class DispatchHost;
class ModuleLink;

// What the identification tells of a module, as the Modulinfo fields show it: every field is
// the text of its field, and a query that failed leaves its field as it was.
struct IdentityRecord {
    QString typeLetter;   // Edit_SW_Typ: "B", "C", "x" or another letter
    QString swVersion;    // Edit_SW_Version
    QString commandSet;   // Edit_Bef_Version
    QString hardware;     // Edit_HW_Version
    QString hardwareText; // Edit_HW_Version_Klartext
    QString speed;        // Edit_SW_Speed
    QString band;         // Edit_Frq_Version: "433" or "868"
    QString serial;       // Edit_Ser_NR
    QString designation;  // EditModTyp, e.g. Korvel868-10-B3

    // The serial number as the unsigned 32-bit number the module sends (0 to 4294967295);
    // nothing while its query has not succeeded.
    std::optional<quint32> serialNumber() const
    {
        bool ok = false;
        const quint32 value = serial.toUInt(&ok);
        return ok ? std::optional<quint32>(value) : std::nullopt;
    }

    bool operator==(const IdentityRecord &) const = default;
};

// The configuration registers as read, by register number; a register whose read failed (or
// that was not read) holds nothing.
using RegisterRead = std::array<std::optional<quint8>, 0x20>;

// The register reads of a configuration, in the order the module is asked.
// B: 0x09 .. 0x0C, the RX/TX switch 0x10 before the coding 0x0D, then 0x0E, 0x0F, 0x11 .. 0x14.
// C and the calibration software: nothing for "x", 0x09 .. 0x10 for C.
QList<quint8> configurationRegisters(const QString &typeLetter);

// Reads the registers in order, one frame each; the first failed read ends the pass, and it and
// the registers after it hold nothing.
RegisterRead readRegisters(ModuleLink &link, const QList<quint8> &registers);

// What the read-out reports to the front end while it runs.
class ReadoutObserver
{
public:
    virtual ~ReadoutObserver() = default;
    // The type query told a letter the program does not serve.
    virtual void unknownSoftwareType(const QString &letter) { Q_UNUSED(letter); }
    // The identification queries of a pass succeeded: the record is complete.
    virtual void identified(const IdentityRecord &record) { Q_UNUSED(record); }
    // The configuration registers of the pass were read (those that failed hold nothing).
    virtual void configurationRead(const IdentityRecord &record, const RegisterRead &registers)
    {
        Q_UNUSED(record);
        Q_UNUSED(registers);
    }
    // The retries are used up; called before RTS is raised again.
    virtual void communicationFailed() {}
};

// The start-up of a connection: the port is opened, the module restarted by the reopening and
// its start-up report read. The window and the command line connect this way. sleepMs waits
// while the front end stays responsive.
void powerUpModule(ComPort &port, ModuleLink &link, const std::function<void(int)> &sleepMs);

// The end of the start-up, after powerUpModule: true when the module sent its start-up report (the
// dispatcher has shown its calibration status); the port then gets the connected read timeout
// and RTS on. False leaves the port as it is, for the front end to let go of the module.
bool finishConnection(ComPort &port, const DispatchHost &host);

// One identification pass: the software version, command set, hardware, speed, band and serial
// queries, each updating its field of the record when it succeeded.
void identificationQueries(ModuleLink &link, IdentityRecord &record, bool german);

// The read-out: the type query once, then identification and configuration passes with the
// usual five attempts. True when the last pass succeeded; false once the retries are used up.
bool readOutModule(ModuleLink &link, IdentityRecord &record, bool german, ReadoutObserver &observer,
                   const std::function<void(int)> &sleepMs);
