// Any bytes as a stored configuration: the parsers never crash, accept only indexes inside
// their boxes' lists, and what they accept is saved and read back unchanged.
#include "module/storedconfig.h"

#include <cstddef>
#include <cstdint>

namespace
{

// Item counts of a 868 MHz B page and a C page, in line order.
const BItemCounts kBCounts = {160, 160, 4, 4, 3, 2, 2, 9, 2, 2, 2, 2, 2, 2, 3, 3};
const CItemCounts kCCounts = {160, 160, 8, 8, 2, 2, 2, 2, 2, 3, 2, 2, 2, 2, 2};

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

template <typename Counts> void checkItems(std::initializer_list<int> items, const Counts &counts)
{
    size_t i = 0;
    for (int item : items) {
        check(item >= -1 && item < counts[i]);
        ++i;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > size_t(kStoredConfigMaxBytes))
        return 0; // refused unread by the loader
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = storedConfigLines(bytes);
    const QString letter = storedTypeLetter(lines);
    check(letter == letter.trimmed());

    int damagedLine = 0;
    if (const auto b = parseStoredBLines(lines, kBCounts, &damagedLine)) {
        checkItems({b->frqRx, b->frqTx, b->hfBaud, b->kBreite, b->code, b->rxTx, b->modArt,
                    b->configBaud, b->pwrupB2, b->pwrupB0, b->pwrupB4, b->pwrupB5, b->pwrContB1,
                    b->pwrContB0, b->recal, b->rssi},
                   kBCounts);
        StoredConfig config;
        config.info = lines.value(0);
        config.typeLetter = letter;
        config.b = *b;
        int again = 0;
        const auto back =
            parseStoredBLines(storedConfigLines(encodeStoredConfig(config)), kBCounts, &again);
        // Texts lose what the code page cannot hold and their line breaks; the items stay.
        check(back && back->frqRx == b->frqRx && back->rssi == b->rssi &&
              back->eeprom == b->eeprom);
    } else {
        check(damagedLine <= kStoredBLineCount && (lines.size() < 2 || damagedLine >= 3));
    }
    damagedLine = 0;
    if (const auto c = parseStoredCLines(lines, kCCounts, &damagedLine)) {
        checkItems({c->frqRx, c->frqTx, c->hfBaud, c->rs232Baud, c->pwrupC2, c->pwrupC0, c->pwrupC5,
                    c->pwrContC1, c->pwrContC0, c->recal, c->data[0], c->data[1], c->data[2],
                    c->data[3], c->data[4]},
                   kCCounts);
    } else {
        check(damagedLine <= kStoredCLineCount && (lines.size() < 2 || damagedLine >= 3));
    }
    return 0;
}
