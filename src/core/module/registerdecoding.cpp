#include "module/registerdecoding.h"

#include "module/identification.h"
#include "module/itemcounts.h"
#include "module/tables.h"

namespace
{

std::optional<int> channelItem(const RegisterRead &r, quint8 reg, int count)
{
    if (const auto v = r.at(reg))
        return channelItemForValue(*v, count);
    return std::nullopt;
}

std::optional<int> item(const RegisterRead &r, quint8 reg, int count)
{
    if (const auto v = r.at(reg))
        return itemForValue(*v, count);
    return std::nullopt;
}

// An interval register: its item, and the edit's text when the item shows the edit.
template <typename Decode>
void interval(const RegisterRead &r, quint8 reg, Decode decode, int itemWithEdit,
              std::optional<int> &item, std::optional<QString> &text)
{
    if (const auto v = r.at(reg)) {
        const IntervalDisplay shown = decode(*v);
        item = shown.item;
        if (shown.item == itemWithEdit)
            text = shown.text;
    }
}

template <typename T> void assign(int &target, const std::optional<T> &value)
{
    if (value)
        target = *value;
}

void assign(QString &target, const std::optional<QString> &value)
{
    if (value)
        target = *value;
}

} // namespace

BRegisterItems decodeBRegisters(const RegisterRead &r, const BItemCounts &counts)
{
    BRegisterItems d;
    d.frqRx = channelItem(r, 0x09, counts[BBox::FrqRx]);
    d.frqTx = channelItem(r, 0x0A, counts[BBox::FrqTx]);
    d.hfBaud = item(r, 0x0B, counts[BBox::HfBaud]);
    d.kBreite = item(r, 0x0C, counts[BBox::KBreite]);
    d.code = item(r, 0x0D, counts[BBox::Code]);
    if (d.code) {
        // In UART coding the switch register says how RX/TX is switched; in every other coding
        // the module is switched by command.
        d.rxTx = *d.code == 2 ? itemForValue(r.at(0x10).value_or(0xFF), 2) : 1;
    }
    d.modArt = item(r, 0x0E, counts[BBox::ModArt]);
    d.configBaud = item(r, 0x0F, counts[BBox::ConfigBaud]);
    if (const auto v = r.at(0x11)) {
        d.pwrupB0 = bitItem(*v, 0);
        d.pwrupB2 = bitItem(*v, 2);
        d.pwrupB4 = bitItem(*v, 4);
        d.pwrupB5 = bitItem(*v, 5);
    }
    if (const auto v = r.at(0x12)) {
        d.pwrContB0 = bitItem(*v, 0);
        d.pwrContB1 = bitItem(*v, 1);
    }
    interval(r, 0x13, decodeRecalibration, 2, d.recal, d.recalText);
    interval(
        r, 0x14, [](quint8 v) { return decodeAutoRssi(v); }, 1, d.rssi, d.rssiText);
    return d;
}

void BRegisterItems::applyTo(BPageValues &page) const
{
    assign(page.frqRx, frqRx);
    assign(page.frqTx, frqTx);
    assign(page.hfBaud, hfBaud);
    assign(page.kBreite, kBreite);
    assign(page.code, code);
    assign(page.rxTx, rxTx);
    assign(page.modArt, modArt);
    assign(page.configBaud, configBaud);
    assign(page.pwrupB0, pwrupB0);
    assign(page.pwrupB2, pwrupB2);
    assign(page.pwrupB4, pwrupB4);
    assign(page.pwrupB5, pwrupB5);
    assign(page.pwrContB0, pwrContB0);
    assign(page.pwrContB1, pwrContB1);
    assign(page.recal, recal);
    assign(page.rssi, rssi);
    assign(page.recalText, recalText);
    assign(page.rssiText, rssiText);
}

CRegisterItems decodeCRegisters(const RegisterRead &r, const CItemCounts &counts)
{
    CRegisterItems d;
    d.frqRx = channelItem(r, 0x09, counts[CBox::FrqRx]);
    d.frqTx = channelItem(r, 0x0A, counts[CBox::FrqTx]);
    d.hfBaud = item(r, 0x0B, counts[CBox::HfBaud]);
    d.rs232Baud = item(r, 0x0C, counts[CBox::Rs232Baud]);
    if (const auto v = r.at(0x0D)) {
        d.pwrupC0 = bitItem(*v, 0);
        d.pwrupC2 = bitItem(*v, 2);
        d.pwrupC5 = bitItem(*v, 5);
    }
    if (const auto v = r.at(0x0E)) {
        d.pwrContC0 = bitItem(*v, 0);
        d.pwrContC1 = bitItem(*v, 1);
    }
    interval(r, 0x0F, decodeRecalibration, 2, d.recal, d.recalText);
    if (const auto v = r.at(0x10)) {
        std::array<int, 5> data{};
        for (int bit = 0; bit < 5; ++bit)
            data[bit] = bitItem(*v, bit);
        d.data = data;
    }
    return d;
}

void CRegisterItems::applyTo(CPageValues &page) const
{
    assign(page.frqRx, frqRx);
    assign(page.frqTx, frqTx);
    assign(page.hfBaud, hfBaud);
    assign(page.rs232Baud, rs232Baud);
    assign(page.pwrupC0, pwrupC0);
    assign(page.pwrupC2, pwrupC2);
    assign(page.pwrupC5, pwrupC5);
    assign(page.pwrContC0, pwrContC0);
    assign(page.pwrContC1, pwrContC1);
    assign(page.recal, recal);
    assign(page.recalText, recalText);
    if (data) {
        for (int bit = 0; bit < 5; ++bit)
            page.data[bit] = (*data)[bit];
    }
}

std::optional<BPageValues> bPageAfterReadout(const IdentityRecord &identity,
                                             const RegisterRead &registers)
{
    const FirmwareType type = firmwareType(identity.typeLetter);
    if (type == FirmwareType::Calibration)
        return calibrationPreset(identity);
    if (type != FirmwareType::B)
        return std::nullopt;
    BPageValues page;
    decodeBRegisters(registers, bItemCounts(identity)).applyTo(page);
    return page;
}

std::optional<CPageValues> cPageAfterReadout(const IdentityRecord &identity,
                                             const RegisterRead &registers)
{
    if (firmwareType(identity.typeLetter) != FirmwareType::C)
        return std::nullopt;
    CPageValues page;
    decodeCRegisters(registers, cItemCounts(identity)).applyTo(page);
    return page;
}

BPageValues calibrationPreset(const IdentityRecord &identity)
{
    BPageValues page;
    const int channel = identity.band == QLatin1String("433") ? 69 : 79;
    page.frqRx = channel;
    page.frqTx = channel;
    page.hfBaud = 0;
    page.kBreite = 0;
    page.code = 1;
    page.modArt = 2;
    page.configBaud = 5;
    page.rxTx = 1;
    page.pwrupB0 = 0;
    page.pwrupB2 = 1;
    page.pwrupB4 = 0;
    page.pwrupB5 = 1;
    page.pwrContB0 = 1;
    page.pwrContB1 = 1;
    page.recal = 0;
    page.rssi = 0;
    page.eeprom = false;
    return page;
}
