#include "module/itemcounts.h"

#include "module/tables.h"

#include <iterator>

namespace
{

constexpr qint32 kPcBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

int channelListSize(const QString &band)
{
    if (band == QLatin1String("868") || band == QLatin1String("433"))
        return int(channelItems(band.toInt()).size());
    return int(designTimeChannelItems().size());
}

int listSize(const QString &commaSeparated)
{
    return int(splitItems(commaSeparated).size());
}

} // namespace

std::optional<qint32> pcBaudRate(int item)
{
    if (item < 0 || item >= int(std::size(kPcBaudRates)))
        return std::nullopt;
    return kPcBaudRates[item];
}

int pcBaudItem(qint32 baud)
{
    for (int i = 0; i < int(std::size(kPcBaudRates)); ++i) {
        if (kPcBaudRates[i] == baud)
            return i;
    }
    return -1;
}

QString channelWidthItemsB()
{
    return QStringLiteral("12.5,25.0,50.0,100.0,150.0,200.0,500.0");
}

QString codingItemsB()
{
    return QStringLiteral("NRZ,Manchester,UART");
}

QString modulationItemsB()
{
    return QStringLiteral("ASK,GFSK,FSK");
}

BItemCounts bItemCounts(const IdentityRecord &identity)
{
    const auto lists =
        rateListsFor(identity.typeLetter, identity.commandSet.toInt(), identity.speed);
    const int channels = channelListSize(identity.band);
    BItemCounts counts{};
    counts[BBox::FrqRx] = channels;
    counts[BBox::FrqTx] = channels;
    counts[BBox::HfBaud] = listSize(lists ? lists->hfBaudB : designHfBaudB());
    counts[BBox::KBreite] = listSize(channelWidthItemsB());
    counts[BBox::Code] = listSize(codingItemsB());
    counts[BBox::ModArt] = listSize(modulationItemsB());
    counts[BBox::ConfigBaud] = listSize(lists ? lists->configBaudB : designConfigBaudB());
    for (int box : {BBox::RxTx, BBox::PwrupB2, BBox::PwrupB0, BBox::PwrupB4, BBox::PwrupB5,
                    BBox::PwrContB1, BBox::PwrContB0, BBox::Rssi})
        counts[box] = kTwoWayItemsB;
    counts[BBox::Recal] = kRecalibrationItems;
    return counts;
}

CItemCounts cItemCounts(const IdentityRecord &identity)
{
    const auto lists =
        rateListsFor(identity.typeLetter, identity.commandSet.toInt(), identity.speed);
    const int channels = channelListSize(identity.band);
    CItemCounts counts{};
    counts[CBox::FrqRx] = channels;
    counts[CBox::FrqTx] = channels;
    counts[CBox::HfBaud] = listSize(lists ? lists->hfBaudC : designHfBaudC());
    counts[CBox::Rs232Baud] = listSize(lists ? lists->rs232BaudC : designRs232BaudC());
    for (int box = CBox::PwrupC2; box < int(counts.size()); ++box)
        counts[box] = 2;
    counts[CBox::Recal] = kRecalibrationItems;
    return counts;
}
