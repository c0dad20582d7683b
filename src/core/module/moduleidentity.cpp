#include "module/moduleidentity.h"

#include "link/catalogue.h"
#include "link/comport.h"
#include "link/modulelink.h"
#include "link/retryexchange.h"
#include "module/identification.h"
#include "module/tables.h"

namespace
{

// Answer bytes 1 .. count of the last answer, or nothing when fewer were received.
template <int count> std::optional<std::array<quint8, count>> answerBytes(const ModuleLink &link)
{
    std::array<quint8, count> bytes{};
    for (int i = 0; i < count; ++i) {
        const auto byte = link.answerByte(i + 1);
        if (!byte)
            return std::nullopt;
        bytes[i] = *byte;
    }
    return bytes;
}

// Sends one identification query; when it succeeds and the answer holds all its bytes, hands
// them to the decoder. A module of unknown type is not answered for (its dispatcher reads
// nothing), so its stale last answer is not decoded.
template <int count, typename Decode>
void query(ModuleLink &link, quint8 number, bool decodable, Decode decode)
{
    link.transaction(Frame::Identify, number);
    if (link.state().errorFlag || !decodable)
        return;
    if (const auto bytes = answerBytes<count>(link))
        decode(*bytes);
}

// The clear after the reopen is for what the line carried before the module restarted. A PC that
// comes to it later than the module's start-up report (about 50 ms after the open) would throw
// the report away and take a sound module for a silent one: a well-formed report at the end of
// the input stays for the dispatcher.
void clearKeepingStartupReport(ComPort &port)
{
    QByteArray waiting;
    for (QByteArray chunk; !(chunk = port.takeWaiting()).isEmpty();)
        waiting += chunk;
    port.clearBuffers(true, true);
    const QByteArray report = waiting.right(3);
    if (report.size() < 2)
        return;
    const quint8 mark = quint8(report[report.size() - 2]);
    const quint8 status = quint8(report[report.size() - 1]);
    if ((mark == Report::StartupMark0 || mark == Report::StartupMark2) &&
        (status == Report::CalibrationOk || status == Report::SleepAfterPowerUp ||
         status == Report::CalibrationMissing))
        port.giveBack(report);
}

} // namespace

RegisterRead readRegisters(ModuleLink &link, const QList<quint8> &registers)
{
    RegisterRead read;
    for (const quint8 reg : registers) {
        link.transaction(Frame::ReadRegister, reg);
        if (link.state().errorFlag)
            break; // nothing more goes out in this pass
        read[reg] = link.answerByte(1);
    }
    return read;
}

QList<quint8> configurationRegisters(const QString &typeLetter)
{
    switch (firmwareType(typeLetter)) {
    case FirmwareType::B:
        return {0x09, 0x0A, 0x0B, 0x0C, 0x10, 0x0D, 0x0E, 0x0F, 0x11, 0x12, 0x13, 0x14};
    case FirmwareType::C:
        return {0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10};
    case FirmwareType::Calibration:
    case FirmwareType::Unknown:
        break;
    }
    return {};
}

void powerUpModule(ComPort &port, ModuleLink &link, const std::function<void(int)> &sleepMs)
{
    port.setRts(false);
    port.open();
    // The module restarts when the line is reopened and then sends its start-up report; what
    // it answered to the first frame is lost with the close.
    sleepMs(200);
    port.write(Frame::make(Frame::Identify, Frame::QuerySoftwareVersion));
    sleepMs(100);
    port.close();
    sleepMs(100);
    port.open();
    clearKeepingStartupReport(port);
    link.dispatchAnswer();
}

bool finishConnection(ComPort &port, const DispatchHost &host)
{
    if (host.calibrationStatus().isEmpty())
        return false;
    port.setReadTimeout(500);
    port.setRts(true);
    return true;
}

void identificationQueries(ModuleLink &link, IdentityRecord &record, bool german)
{
    const bool decodable = isKnownSoftwareType(record.typeLetter);
    const bool &failed = link.state().errorFlag;

    query<3>(link, Frame::QuerySoftwareVersion, decodable,
             [&](auto a) { record.swVersion = softwareVersionText(a[0], a[1], a[2]); });
    query<1>(link, Frame::QueryCommandSet, decodable,
             [&](auto a) { record.commandSet = QString::number(a[0]); });
    query<1>(link, Frame::QueryHardware, decodable,
             [&](auto a) { record.hardware = QString::number(a[0]); });

    // A command set that is not a number (its query never succeeded) asks for no speed.
    if (isExtendedCModule(record.typeLetter, record.commandSet.toInt())) {
        query<1>(link, Frame::QuerySoftwareSpeed, decodable, [&](auto a) {
            if (const auto speed = softwareSpeedText(a[0]))
                record.speed = *speed;
        });
    } else if (!failed) {
        record.speed = softwareSpeedFromHardware(record.hardware);
    }

    query<1>(link, Frame::QueryBand, decodable,
             [&](auto a) { record.band = frequencyVersionText(a[0]); });
    query<4>(link, Frame::QuerySerialNumber, decodable, [&](auto a) {
        record.serial = QString::number(serialNumber(a[0], a[1], a[2], a[3]));
    });

    if (failed)
        return;
    bool numeric = false;
    const int hardware = record.hardware.toInt(&numeric);
    if (numeric) {
        if (const auto text = hardwareDescription(hardware, german))
            record.hardwareText = *text;
    }
    record.designation =
        moduleTypeDesignation(record.band, record.hardware, record.typeLetter, record.commandSet);
}

bool readOutModule(ModuleLink &link, IdentityRecord &record, bool german, ReadoutObserver &observer,
                   const std::function<void(int)> &sleepMs)
{
    LinkState &state = link.state();
    ComPort &port = link.port();
    port.setRts(false);
    state.errorFlag = false;
    state.retryCounter = kExchangeAttempts;

    // The type query goes out once; a failure keeps the letter of the previous module. The new
    // letter steers the dispatcher from the next frame on, in every front end.
    link.transaction(Frame::Identify, Frame::QuerySoftwareType);
    if (!state.errorFlag) {
        if (const auto a1 = link.answerByte(1)) {
            record.typeLetter = softwareTypeLetter(*a1);
            link.host().setSoftwareTypeLetter(record.typeLetter);
            // Such a module gets no answers read and no configuration page.
            if (!isKnownSoftwareType(record.typeLetter))
                observer.unknownSoftwareType(record.typeLetter);
        }
    }
    // A C module takes commands only while RTS is off.
    if (firmwareType(record.typeLetter) != FirmwareType::C)
        port.setRts(true);

    const bool succeeded = retryExchange(link, [&] {
        identificationQueries(link, record, german);
        if (!state.errorFlag)
            observer.identified(record);
        if (!state.errorFlag && isKnownSoftwareType(record.typeLetter))
            observer.configurationRead(
                record, readRegisters(link, configurationRegisters(record.typeLetter)));
        sleepMs(200);
    });
    if (!succeeded)
        observer.communicationFailed();
    port.setRts(true);
    return succeeded;
}
