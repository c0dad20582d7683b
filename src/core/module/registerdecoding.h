#pragma once

#include "module/moduleidentity.h"
#include "module/registers.h"
#include "module/storedconfig.h"

#include <QString>

#include <array>
#include <optional>

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

// The configuration page as a read-out leaves a freshly started window: every register that was
// read selects its item, the rest shows no selection.
std::optional<BPageValues> bPageAfterReadout(const IdentityRecord &identity,
                                             const RegisterRead &registers);
std::optional<CPageValues> cPageAfterReadout(const IdentityRecord &identity,
                                             const RegisterRead &registers);
// The calibration software's fixed configuration, as the read-out shows it.
BPageValues calibrationPreset(const IdentityRecord &identity);
