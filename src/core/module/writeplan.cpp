#include "module/writeplan.h"

#include "link/catalogue.h"

namespace
{

struct SettingName {
    const char *german;
    const char *english;
};

constexpr SettingName kReceive{"Empfangsfrequenz", "Receive frequency"};
constexpr SettingName kTransmit{"Sendefrequenz", "Transmit frequency"};
constexpr SettingName kRadioRate{"Funkdatenrate", "Radio datarate"};
constexpr SettingName kWidth{"Kanalbandbreite", "Channel bandwith"};
constexpr SettingName kCoding{"Datencodierung", "Data codeing"};
constexpr SettingName kModulation{"Modulationsart", "Modulation"};
constexpr SettingName kConfigBaud{"Config Baudrate (RS232)", "Configuration baudrate (RS232)"};
constexpr SettingName kRs232Baud{"RS232-Baudrate", "RS232 baudrate"};
constexpr SettingName kPowerUp{"Powerup-Mode", "Powerup mode"};
constexpr SettingName kPowerControl{"Power-Control", "Power control"};
constexpr SettingName kRecal{"Auto-Recalibration", "Auto recalibration"};
constexpr SettingName kRssi{"Auto-RSSI-Ausgabe", "Auto RSSI output"};
constexpr SettingName kDataFormat{"Daten-Format", "Data format"};

void require(WritePlan &plan, int item, const SettingName &name)
{
    if (item >= 0)
        return;
    const QString german = QString::fromUtf8(name.german);
    if (plan.unselectedGerman.contains(german))
        return;
    plan.unselectedGerman.append(german);
    plan.unselectedEnglish.append(QString::fromUtf8(name.english));
}

WriteMessage notANumber(const SettingName &name, const QString &text)
{
    return {QStringLiteral("%1: \"%2\" ist keine gültige Zahl!")
                .arg(QString::fromUtf8(name.german), text),
            QStringLiteral("%1: \"%2\" is not a valid number!")
                .arg(QString::fromUtf8(name.english), text)};
}

// Recalibration register: items 0 and 1 are sent as they are, item 2 sends the typed minutes.
void addRecalibration(WritePlan &plan, quint8 code, int item, const QString &text)
{
    if (item == 0 || item == 1) {
        plan.steps.append(WriteStep::frame(code, quint8(item)));
        return;
    }
    const IntervalResult result = checkRecalibrationMinutes(text);
    switch (result.check) {
    case IntervalCheck::Accepted:
        plan.steps.append(WriteStep::frame(code, result.value));
        break;
    case IntervalCheck::OutOfRange:
        plan.refusals.append(
            {IntervalEdit::Recalibration,
             true,
             {QStringLiteral("Auto-Recalibration muss zwischen 5 und 150 min. sein!"),
              QStringLiteral("Auto recalibration must be between 5 and 150 min.!")}});
        break;
    case IntervalCheck::NotANumber:
        plan.refusals.append({IntervalEdit::Recalibration, false, notANumber(kRecal, text)});
        break;
    }
}

// Auto-RSSI register: item 0 sends 0, otherwise the typed seconds in tenths.
void addAutoRssi(WritePlan &plan, quint8 code, int item, const QString &text, const QLocale &locale)
{
    if (item == 0) {
        plan.steps.append(WriteStep::frame(code, 0));
        return;
    }
    const IntervalResult result = checkAutoRssiSeconds(text, locale);
    switch (result.check) {
    case IntervalCheck::Accepted:
        plan.steps.append(WriteStep::frame(code, result.value));
        break;
    case IntervalCheck::OutOfRange:
        plan.refusals.append({IntervalEdit::AutoRssi,
                              true,
                              {QStringLiteral("Auto-RSSI muss zwischen 0.1s und 15s sein!"),
                               QStringLiteral("Auto RSSI must be between 0.1s and 15s!")}});
        break;
    case IntervalCheck::NotANumber:
        plan.refusals.append({IntervalEdit::AutoRssi, false, notANumber(kRssi, text)});
        break;
    }
}

} // namespace

WriteMessage WritePlan::unselectedMessage() const
{
    return {QStringLiteral("Keine Auswahl bei: %1\r\nEs wurde nichts gesendet.")
                .arg(unselectedGerman.join(QStringLiteral(", "))),
            QStringLiteral("Nothing selected for: %1\r\nNothing was sent.")
                .arg(unselectedEnglish.join(QStringLiteral(", ")))};
}

WritePlan planBWrite(const BPageValues &page, const QLocale &locale)
{
    WritePlan plan;
    require(plan, page.frqRx, kReceive);
    require(plan, page.frqTx, kTransmit);
    require(plan, page.hfBaud, kRadioRate);
    require(plan, page.kBreite, kWidth);
    require(plan, page.code, kCoding);
    require(plan, page.modArt, kModulation);
    require(plan, page.configBaud, kConfigBaud);
    for (int item : {page.pwrupB0, page.pwrupB2, page.pwrupB4, page.pwrupB5})
        require(plan, item, kPowerUp);
    require(plan, page.pwrContB0, kPowerControl);
    require(plan, page.pwrContB1, kPowerControl);
    require(plan, page.recal, kRecal);
    require(plan, page.rssi, kRssi);
    if (plan.refused())
        return plan;

    const quint8 e = page.eeprom ? Frame::EepromBit : 0;
    plan.steps = {
        WriteStep::frame(0x09 | e, quint8(page.frqRx + 1)),
        WriteStep::frame(0x0A | e, quint8(page.frqTx + 1)),
        WriteStep::frame(0x0B | e, quint8(page.hfBaud)),
        WriteStep::frame(0x0C | e, quint8(page.kBreite)),
        WriteStep::frame(0x0D | e, quint8(page.code)),
        WriteStep::frame(0x0E | e, quint8(page.modArt)),
        WriteStep::frame(0x0F | e, quint8(page.configBaud)),
    };
    // A fixed module rate (not "Autobaud") is followed by the PC: the PC list starts at 1200.
    if (page.configBaud > 0)
        plan.steps.append(WriteStep::switchPcBaud(page.configBaud - 1));
    if (page.rxTx >= 0) {
        plan.steps.append(WriteStep::frame(0x10 | e, quint8(page.rxTx)));
        plan.steps.append(WriteStep::rxTxSwitchByCommand(page.rxTx == 1));
    } else {
        plan.steps.append(WriteStep::rxTxSwitchByCommand(true));
    }
    plan.steps.append(WriteStep::frame(
        0x11 | e, encodePowerUpB(page.pwrupB0, page.pwrupB2, page.pwrupB4, page.pwrupB5)));
    plan.steps.append(
        WriteStep::frame(0x12 | e, encodePowerControl(page.pwrContB0, page.pwrContB1)));
    addRecalibration(plan, 0x13 | e, page.recal, page.recalText);
    addAutoRssi(plan, 0x14 | e, page.rssi, page.rssiText, locale);
    return plan;
}

WritePlan planCalibrationWrite(const BPageValues &page, const QLocale &locale)
{
    WritePlan plan;
    require(plan, page.frqRx, kReceive);
    require(plan, page.frqTx, kTransmit);
    require(plan, page.hfBaud, kRadioRate);
    require(plan, page.kBreite, kWidth);
    require(plan, page.code, kCoding);
    require(plan, page.modArt, kModulation);
    require(plan, page.pwrContB0, kPowerControl);
    require(plan, page.pwrContB1, kPowerControl);
    require(plan, page.rssi, kRssi);
    if (plan.refused())
        return plan;

    plan.steps = {
        WriteStep::frame(0x09, quint8(page.frqRx + 1)),
        WriteStep::frame(0x0A, quint8(page.frqTx + 1)),
        WriteStep::frame(0x0B, quint8(page.hfBaud)),
        WriteStep::frame(0x0C, quint8(page.kBreite)),
        WriteStep::frame(0x0D, quint8(page.code)),
        // In UART coding the calibration software switches RX/TX by the RTS line.
        WriteStep::rxTxSwitchByCommand(page.code != 2),
        WriteStep::frame(0x0E, quint8(page.modArt)),
        WriteStep::frame(0x0F, encodePowerControl(page.pwrContB0, page.pwrContB1)),
    };
    addAutoRssi(plan, 0x10, page.rssi, page.rssiText, locale);
    return plan;
}

WritePlan planCWrite(const CPageValues &page)
{
    WritePlan plan;
    require(plan, page.frqRx, kReceive);
    require(plan, page.frqTx, kTransmit);
    require(plan, page.hfBaud, kRadioRate);
    require(plan, page.rs232Baud, kRs232Baud);
    for (int item : {page.pwrupC0, page.pwrupC2, page.pwrupC5})
        require(plan, item, kPowerUp);
    require(plan, page.pwrContC0, kPowerControl);
    require(plan, page.pwrContC1, kPowerControl);
    require(plan, page.recal, kRecal);
    for (int item : page.data)
        require(plan, item, kDataFormat);
    if (plan.refused())
        return plan;

    const quint8 e = page.eeprom ? Frame::EepromBit : 0;
    // A C module takes commands only while RTS is off.
    plan.steps = {
        WriteStep::rts(false),
        WriteStep::frame(0x09 | e, quint8(page.frqRx + 1)),
        WriteStep::frame(0x0A | e, quint8(page.frqTx + 1)),
        WriteStep::frame(0x0B | e, quint8(page.hfBaud)),
        WriteStep::frame(0x0C | e, quint8(page.rs232Baud)),
        WriteStep::frame(0x0D | e, encodePowerUpC(page.pwrupC0, page.pwrupC2, page.pwrupC5)),
        WriteStep::frame(0x0E | e, encodePowerControl(page.pwrContC0, page.pwrContC1)),
    };
    addRecalibration(plan, 0x0F | e, page.recal, page.recalText);
    plan.steps.append(WriteStep::frame(0x10 | e, encodeDataFormat(page.data)));
    plan.steps.append(WriteStep::rts(true));
    return plan;
}
