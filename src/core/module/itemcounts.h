#pragma once

#include "module/moduleidentity.h"
#include "module/storedconfig.h"

#include <QString>

#include <optional>

// The rates of the PC's baud selector, item by item.
std::optional<qint32> pcBaudRate(int item);
// The selector's item of a rate, or -1.
int pcBaudItem(qint32 baud);

// Places of the configuration pages' boxes in the item counts, in the order of the stored lines.
namespace BBox
{
enum {
    FrqRx,
    FrqTx,
    HfBaud,
    KBreite,
    Code,
    RxTx,
    ModArt,
    ConfigBaud,
    PwrupB2,
    PwrupB0,
    PwrupB4,
    PwrupB5,
    PwrContB1,
    PwrContB0,
    Recal,
    Rssi
};
}
namespace CBox
{
enum {
    FrqRx,
    FrqTx,
    HfBaud,
    Rs232Baud,
    PwrupC2,
    PwrupC0,
    PwrupC5,
    PwrContC1,
    PwrContC0,
    Recal,
    Data0
};
}

// The B page's lists that read the same in every language, each as one comma-separated text.
QString channelWidthItemsB(); // kHz
QString codingItemsB();
QString modulationItemsB();
// The B page's boxes whose items the window words per language hold this many items: the RX/TX
// switch, the power-up and power-control bits and the auto-RSSI two, the recalibration three.
constexpr int kTwoWayItemsB = 2;
constexpr int kRecalibrationItems = 3; // off, on temperature change, every n minutes

// The item counts of the page's boxes once the module has been identified: the channel lists of
// its band, the rate lists of its type, command set and speed, and the fixed lists.
BItemCounts bItemCounts(const IdentityRecord &identity);
CItemCounts cItemCounts(const IdentityRecord &identity);
