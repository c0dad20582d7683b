#include "module/moduleconfig.h"

#include "link/catalogue.h"
#include "link/comport.h"
#include "link/modulelink.h"
#include "module/tables.h"

#include <iterator>

namespace
{

constexpr qint32 kPcBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

// Places of the boxes in the item counts, in the order of the stored lines.
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

RegisterRead readBack(ModuleLink &link, const QList<quint8> &registers)
{
    RegisterRead read;
    for (const quint8 reg : registers) {
        link.transaction(Frame::ReadRegister, reg);
        if (link.state().errorFlag)
            break;
        read[reg] = link.answerByte(1);
    }
    return read;
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

BItemCounts bItemCounts(const IdentityRecord &identity)
{
    const auto lists =
        rateListsFor(identity.typeLetter, identity.commandSet.toInt(), identity.speed);
    const int channels = channelListSize(identity.band);
    BItemCounts counts{};
    counts[BBox::FrqRx] = channels;
    counts[BBox::FrqTx] = channels;
    counts[BBox::HfBaud] = listSize(lists ? lists->hfBaudB : designHfBaudB());
    counts[BBox::KBreite] = 7; // 12.5 to 500.0 kHz
    counts[BBox::Code] = 3;    // NRZ, Manchester, UART
    counts[BBox::RxTx] = 2;
    counts[BBox::ModArt] = 3; // ASK, GFSK, FSK
    counts[BBox::ConfigBaud] = listSize(lists ? lists->configBaudB : designConfigBaudB());
    for (int box : {BBox::PwrupB2, BBox::PwrupB0, BBox::PwrupB4, BBox::PwrupB5, BBox::PwrContB1,
                    BBox::PwrContB0, BBox::Rssi})
        counts[box] = 2;
    counts[BBox::Recal] = 3; // off, on temperature change, every n minutes
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
    counts[CBox::Recal] = 3;
    return counts;
}

std::optional<BPageValues> bPageAfterReadout(const IdentityRecord &identity,
                                             const RegisterRead &registers)
{
    if (identity.typeLetter == QLatin1String("x"))
        return calibrationPreset(identity);
    if (!identity.typeLetter.startsWith(QLatin1Char('B')))
        return std::nullopt;
    BPageValues page;
    decodeBRegisters(registers, bItemCounts(identity)).applyTo(page);
    return page;
}

std::optional<CPageValues> cPageAfterReadout(const IdentityRecord &identity,
                                             const RegisterRead &registers)
{
    if (!identity.typeLetter.startsWith(QLatin1Char('C')))
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

WriteMessage storedConfigTooLarge()
{
    return {QStringLiteral("Gespeicherte Konfiguration beschädigt (größer als 64 KiB)!\r\n"
                           "Nichts wurde geändert."),
            QStringLiteral("Stored configuration damaged (larger than 64 KiB)!\r\n"
                           "Nothing was changed.")};
}

StoredConfigUse useStoredConfig(const QByteArray &bytes, bool readOk, const QString &moduleLetter,
                                bool bPage, bool cPage, const BItemCounts &bCounts,
                                const CItemCounts &cCounts)
{
    StoredConfigUse use;
    const QStringList lines = storedConfigLines(bytes);
    if (!readOk || lines.size() < 2) {
        use.refusal = {QStringLiteral("Speicherplatz leer oder File nicht gefunden!"),
                       QStringLiteral("Memory cell empty or file not found!")};
        return use;
    }
    const QString stored = storedTypeLetter(lines);
    if (stored != moduleLetter) {
        use.refusal = {
            QStringLiteral("Gespeicherte Konfiguration kan nur für gleiche Modul-Typen verwendet "
                           "werden\r\n\r\nGespeicherte Konfiguration von ") +
                stored + QStringLiteral("-Version\r\nAngeschlossenes Modul = ") + moduleLetter +
                QStringLiteral("-Version"),
            QStringLiteral("Saved configuration is only valid for same module typ\r\n\r\n"
                           "Configuration was saved with ") +
                stored + QStringLiteral("-version\r\nConnected module = ") + moduleLetter +
                QStringLiteral("-version")};
        return use;
    }
    // The whole file is checked before anything changes.
    int damagedLine = 0;
    if (bPage)
        use.b = parseStoredBLines(lines, bCounts, &damagedLine);
    if (cPage && (!bPage || use.b))
        use.c = parseStoredCLines(lines, cCounts, &damagedLine);
    if ((bPage && !use.b) || (cPage && !use.c)) {
        use.b.reset();
        use.c.reset();
        use.refusal = {
            QStringLiteral(
                "Gespeicherte Konfiguration beschädigt (Zeile %1)!\r\nNichts wurde geändert.")
                .arg(damagedLine),
            QStringLiteral("Stored configuration damaged (line %1)!\r\nNothing was changed.")
                .arg(damagedLine)};
    }
    return use;
}

bool executeWritePlan(ModuleLink &link, const WritePlan &plan, WriteObserver &observer,
                      const std::function<void(int)> &sleepMs)
{
    LinkState &state = link.state();
    state.retryCounter = 5;
    do {
        state.errorFlag = false;
        for (const WriteStep &step : plan.steps) {
            switch (step.kind) {
            case WriteStep::Kind::Frame:
                link.transaction(step.code, step.value);
                break;
            case WriteStep::Kind::SwitchPcBaud:
                // The following frames go out at the module's new rate.
                if (!state.errorFlag)
                    observer.switchPcBaud(step.pcBaudItem);
                break;
            case WriteStep::Kind::SetRxTxSwitchByCommand:
                observer.setRxTxSwitchByCommand(step.flag);
                break;
            case WriteStep::Kind::Rts:
                link.port().setRts(step.flag);
                break;
            }
        }
        sleepMs(200);
        observer.passEnded();
    } while (state.errorFlag && state.retryCounter != 0);
    return !state.errorFlag;
}

QList<std::pair<quint8, quint8>> plannedRegisters(const WritePlan &plan)
{
    QList<std::pair<quint8, quint8>> registers;
    for (const WriteStep &step : plan.steps) {
        if (step.kind == WriteStep::Kind::Frame)
            registers.append({quint8(step.code & ~Frame::EepromBit), step.value});
    }
    return registers;
}

QList<RegisterMismatch> verifyWrite(ModuleLink &link, const WritePlan &plan,
                                    const QString &typeLetter,
                                    const std::function<void(int)> &sleepMs)
{
    const auto planned = plannedRegisters(plan);
    QList<quint8> registers;
    for (const auto &[reg, value] : planned)
        registers.append(reg);

    LinkState &state = link.state();
    const bool cModule = typeLetter == QLatin1String("C");
    RegisterRead read;
    state.retryCounter = 5;
    do {
        state.errorFlag = false;
        // A C module takes commands only while RTS is off.
        if (cModule)
            link.port().setRts(false);
        read = readBack(link, registers);
        if (cModule)
            link.port().setRts(true);
        if (state.errorFlag)
            sleepMs(200);
    } while (state.errorFlag && state.retryCounter != 0);

    QList<RegisterMismatch> mismatches;
    for (const auto &[reg, value] : planned) {
        if (read.at(reg) != value)
            mismatches.append({reg, value, read.at(reg)});
    }
    return mismatches;
}
