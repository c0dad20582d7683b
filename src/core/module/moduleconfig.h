#pragma once

#include "module/moduleidentity.h"
#include "module/registers.h"
#include "module/storedconfig.h"
#include "module/writeplan.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The rates of the PC's baud selector, item by item.
std::optional<qint32> pcBaudRate(int item);
// The selector's item of a rate, or -1.
int pcBaudItem(qint32 baud);

// The items a register read selects on the configuration page. A register that was not read
// selects nothing and leaves its box as it was.
struct BRegisterItems {
    std::optional<int> frqRx, frqTx, hfBaud, kBreite, code, modArt, configBaud;
    std::optional<int> rxTx; // with the coding: the switch means something in UART coding only
    std::optional<int> pwrupB0, pwrupB2, pwrupB4, pwrupB5, pwrContB0, pwrContB1;
    std::optional<int> recal, rssi;
    std::optional<QString> recalText, rssiText; // only when the interval's edit is shown

    void applyTo(BPageValues &page) const;
};
struct CRegisterItems {
    std::optional<int> frqRx, frqTx, hfBaud, rs232Baud;
    std::optional<int> pwrupC0, pwrupC2, pwrupC5, pwrContC0, pwrContC1, recal;
    std::optional<QString> recalText;
    std::optional<std::array<int, 5>> data;

    void applyTo(CPageValues &page) const;
};
// counts: the item counts of the page's boxes, in the order of the stored lines.
BRegisterItems decodeBRegisters(const RegisterRead &registers, const BItemCounts &counts);
CRegisterItems decodeCRegisters(const RegisterRead &registers, const CItemCounts &counts);

// The item counts of the page's boxes once the module has been identified: the channel lists of
// its band, the rate lists of its type, command set and speed, and the fixed lists.
BItemCounts bItemCounts(const IdentityRecord &identity);
CItemCounts cItemCounts(const IdentityRecord &identity);

// The configuration page as a read-out leaves a freshly started window: every register that was
// read selects its item, the rest shows no selection.
std::optional<BPageValues> bPageAfterReadout(const IdentityRecord &identity,
                                             const RegisterRead &registers);
std::optional<CPageValues> cPageAfterReadout(const IdentityRecord &identity,
                                             const RegisterRead &registers);
// The calibration software's fixed configuration, as the read-out shows it.
BPageValues calibrationPreset(const IdentityRecord &identity);

// What a stored configuration means for the connected module: the page values, or why it cannot
// be used (German and English, as the window says it).
struct StoredConfigUse {
    std::optional<BPageValues> b;
    std::optional<CPageValues> c;
    WriteMessage refusal; // empty when the file can be used
    bool usable() const { return refusal.english.isEmpty(); }
};
// bytes: the file as read; readOk false when the file is missing or unreadable. bPage, cPage:
// which configuration page the module shows (neither before a read-out).
StoredConfigUse useStoredConfig(const QByteArray &bytes, bool readOk, const QString &moduleLetter,
                                bool bPage, bool cPage, const BItemCounts &bCounts,
                                const CItemCounts &cCounts);
WriteMessage storedConfigTooLarge();

// What the write does beside sending frames.
class WriteObserver
{
public:
    virtual ~WriteObserver() = default;
    // The module's serial rate changes: the PC follows with the selector's item.
    virtual void switchPcBaud(int item) = 0;
    virtual void setRxTxSwitchByCommand(bool byCommand) { Q_UNUSED(byCommand); }
    // A pass over the plan has ended (successfully or not).
    virtual void passEnded() {}
};

// Carries out a write plan with the usual five attempts: every pass sends all its steps, then
// waits 200 ms. True when the last pass succeeded.
bool executeWritePlan(ModuleLink &link, const WritePlan &plan, WriteObserver &observer,
                      const std::function<void(int)> &sleepMs);

// The register values a plan writes, by register number (the EEPROM bit taken off).
QList<std::pair<quint8, quint8>> plannedRegisters(const WritePlan &plan);

struct RegisterMismatch {
    quint8 reg = 0;
    quint8 expected = 0;
    std::optional<quint8> actual; // nothing when the read failed
};
// Reads the written registers back (RTS off for a C module, as the read-out does) with the usual
// five attempts and lists every register that differs from the plan.
QList<RegisterMismatch> verifyWrite(ModuleLink &link, const WritePlan &plan,
                                    const QString &typeLetter,
                                    const std::function<void(int)> &sleepMs);
