#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

// Splits a comma-separated item list: a comma ends the piece unless exactly one double quote has
// been seen since the piece began; pieces are trimmed of blanks and control characters, empty
// pieces are dropped, quotes stay in the item.
QStringList splitItems(const QString &commaSeparated);

// Channel raster of the two bands: channel n (from 1) lies at base + (n - 1) * 12.5 kHz. A band
// other than 868 is treated as the 433 band.
double channelBaseMHz(int band);
int channelCount(int band);
double channelFrequencyMHz(int band, int channel);

// The items the channel selectors show before the first read-out: "K1.......433.0625" ...
QStringList designTimeChannelItems();
// The items after a read-out: "K001   433.0625" ... for band 433 or 868.
QStringList channelItems(int band);

// The four rate selectors' item lists, each as one comma-separated text.
struct RateLists {
    QString hfBaudB;     // CBox_HFbaud_B
    QString configBaudB; // CBox_Config_baud_B
    QString hfBaudC;     // CBox_HFbaud_C
    QString rs232BaudC;  // CBox_RS232_baud_C
};

// A C module with command set 3 or higher has the fast clock options and the supply-voltage query.
bool isExtendedCModule(const QString &typeLetter, int commandSet);

// The rate lists that fit the module, or nothing for a combination without lists (the selectors
// then keep what they hold).
std::optional<RateLists> rateListsFor(const QString &typeLetter, int commandSet,
                                      const QString &softwareSpeed);

// Item lists the rate selectors are created with.
QString designHfBaudB();
QString designConfigBaudB();
QString designHfBaudC();
QString designRs232BaudC();

// Receiver bandwidth in kHz for the selected item: of the channel width box for every module but
// C, of the radio rate box for C. Nothing when the item has no bandwidth (RBW stays as it was).
std::optional<double> rbwForItem(const QString &typeLetter, int item);

// Text of the monitor's bandwidth label, e.g. "9.6kHz / 12.5kHz".
QString rbwLabelText(double rbw, double monitorStep, const QLocale &locale = QLocale());
// Text of the monitor's status label: "Step > RBW!" when the step is wider than the bandwidth.
QString rbwStatusText(double rbw, double monitorStep);
