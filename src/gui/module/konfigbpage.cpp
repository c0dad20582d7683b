#include "module/konfigbpage.h"

#include "module/identification.h"
#include "module/itemcounts.h"
#include "module/tables.h"
#include "widgets/controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#define B_LABEL(member, caption) form.label(b.member, #member, QStringLiteral(caption))
#define B_COMBO(member, items) form.combo(b.member, #member, QStringLiteral(items))

void buildKonfigB(QWidget *page, KonfigBControls &b)
{
    PageGrid form(page);

    form.channelCombo(b.CBox_Frq_RX_B, "CBox_Frq_RX_B");
    form.channelCombo(b.CBox_Frq_TX_B, "CBox_Frq_TX_B");
    form.addRow(B_LABEL(Label_Frq_RX_B, "Empfangsfrequenz"), b.CBox_Frq_RX_B,
                B_LABEL(Label_E_RX_B, "MHz"));
    form.addRow(B_LABEL(Label_Frq_TX_B, "Sendefrequenz"), b.CBox_Frq_TX_B,
                B_LABEL(Label_E_TX_B, "MHz"));
    form.create(b.CBox_HFbaud_B, "CBox_HFbaud_B");
    setComboItems(b.CBox_HFbaud_B, designHfBaudB());
    form.addRow(B_LABEL(Label_HFbaud_B, "Funkdatenrate"), b.CBox_HFbaud_B,
                B_LABEL(Label_E_RX_baud_B, "baud"));
    form.addRow(B_LABEL(Label_K_breite_B, "Kanalbreite"),
                form.combo(b.CBox_K_breite_B, "CBox_K_breite_B", channelWidthItemsB()),
                B_LABEL(Label_E_K_breite_B, "kHz"));
    form.addRow(B_LABEL(Label_Code_B, "Datencodierung"),
                form.combo(b.CBox_Code_B, "CBox_Code_B", codingItemsB()));
    form.addRow(B_LABEL(Label_Modart_B, "Modulationsart"),
                form.combo(b.CBox_ModArt_B, "CBox_ModArt_B", modulationItemsB()));
    form.create(b.CBox_Config_baud_B, "CBox_Config_baud_B");
    setComboItems(b.CBox_Config_baud_B, designConfigBaudB());
    form.addRow(B_LABEL(Label_Config_baud_B, "Config Baudrate(RS232)"), b.CBox_Config_baud_B,
                B_LABEL(Label_E_Config_baud_B, "baud"));
    form.addRow(B_LABEL(Label_RX_TX_B, "RX/TX-Switch im UART-Mode"),
                B_COMBO(CBox_RX_TX_B, "über TX_EN,über RS232"));
    form.addRow(
        B_LABEL(Label_pwrup_mode_B, "Powerup-Mode"),
        form.stack({B_COMBO(CBox_pwrup_mode_B2, "Sleep nach PWR-up,Run nach PWR-up"),
                    B_COMBO(CBox_pwrup_mode_B0, "Reset nach Wakeup,Continue nach Wakeup"),
                    B_COMBO(CBox_pwrup_mode_B4, "Pin 12 = Wakeuppin,Pin 9   = Wakeuppin"),
                    B_COMBO(CBox_pwrup_mode_B5, "Restliche Pins Output,Restliche Pins Normal")}));
    form.addRow(B_LABEL(Label_pwr_cont_B, "Power-Control"),
                form.stack({B_COMBO(CBox_pwr_cont_B1, "HF aus,HF ein"),
                            B_COMBO(CBox_pwr_cont_B0, "LED aus,LED ein")}));
    form.create(b.Edit_Recal_B, "Edit_Recal_B");
    form.addRow(B_LABEL(Label_Recal_B, "Auto-Recalibration"),
                form.stack({B_COMBO(CBox_Recal_B, "aus,bei dT >= 20°C,alle 5 bis 150 min."),
                            b.Edit_Recal_B}),
                B_LABEL(Label_E_Recal_B, "min."));
    form.create(b.Edit_RSSI_B, "Edit_RSSI_B");
    form.addRow(B_LABEL(Label_RSSI_B, "Auto-RSSI-Ausgabe"),
                form.stack({B_COMBO(CBox_RSSI_B, "aus,alle 0.1 bis 15 sec."), b.Edit_RSSI_B}),
                B_LABEL(Label_E_RSSI_B, "sec."));
    form.create(b.CheckBox_EEPROM, "CheckBox_EEPROM")->setText(QStringLiteral("Daten ins EEPROM"));
    form.finish(b.CheckBox_EEPROM);

    b.Edit_Recal_B->setVisible(false);
    b.Label_E_Recal_B->setVisible(false);
    b.Edit_RSSI_B->setVisible(false);
    b.Label_E_RSSI_B->setVisible(false);
    b.CBox_RX_TX_B->setEnabled(false);
    b.Label_RX_TX_B->setEnabled(false);
    b.CBox_pwrup_mode_B0->setEnabled(false);
    b.CBox_pwrup_mode_B4->setEnabled(false);
    b.CBox_pwrup_mode_B5->setEnabled(false);
}

void recalibrationRuleB(KonfigBControls &b)
{
    const bool interval = b.CBox_Recal_B->currentIndex() == 2;
    b.Edit_Recal_B->setVisible(interval);
    b.Label_E_Recal_B->setVisible(interval);
}

void autoRssiRuleB(KonfigBControls &b)
{
    const bool interval = b.CBox_RSSI_B->currentIndex() == 1;
    b.Edit_RSSI_B->setVisible(interval);
    b.Label_E_RSSI_B->setVisible(interval);
}

void powerUpRuleB(KonfigBControls &b)
{
    const bool sleepAfterPowerUp = b.CBox_pwrup_mode_B2->currentIndex() == 0;
    b.CBox_pwrup_mode_B0->setEnabled(sleepAfterPowerUp);
    b.CBox_pwrup_mode_B4->setEnabled(sleepAfterPowerUp);
    b.CBox_pwrup_mode_B5->setEnabled(sleepAfterPowerUp);
}

void uartSwitchRuleB(KonfigBControls &b, const QString &typeLetter)
{
    if (b.CBox_Code_B->currentIndex() == 2) {
        if (firmwareType(typeLetter) == FirmwareType::Calibration) {
            selectComboItem(b.CBox_RX_TX_B, 0);
        } else {
            b.Label_RX_TX_B->setEnabled(true);
            b.CBox_RX_TX_B->setEnabled(true);
        }
        return;
    }
    b.Label_RX_TX_B->setEnabled(false);
    b.CBox_RX_TX_B->setEnabled(false);
    selectComboItem(b.CBox_RX_TX_B, 1);
}

BPageValues readKonfigB(const KonfigBControls &b)
{
    BPageValues v;
    v.frqRx = b.CBox_Frq_RX_B->currentIndex();
    v.frqTx = b.CBox_Frq_TX_B->currentIndex();
    v.hfBaud = b.CBox_HFbaud_B->currentIndex();
    v.kBreite = b.CBox_K_breite_B->currentIndex();
    v.code = b.CBox_Code_B->currentIndex();
    v.rxTx = b.CBox_RX_TX_B->currentText().isEmpty() ? -1 : b.CBox_RX_TX_B->currentIndex();
    v.modArt = b.CBox_ModArt_B->currentIndex();
    v.configBaud = b.CBox_Config_baud_B->currentIndex();
    v.pwrupB0 = b.CBox_pwrup_mode_B0->currentIndex();
    v.pwrupB2 = b.CBox_pwrup_mode_B2->currentIndex();
    v.pwrupB4 = b.CBox_pwrup_mode_B4->currentIndex();
    v.pwrupB5 = b.CBox_pwrup_mode_B5->currentIndex();
    v.pwrContB0 = b.CBox_pwr_cont_B0->currentIndex();
    v.pwrContB1 = b.CBox_pwr_cont_B1->currentIndex();
    v.recal = b.CBox_Recal_B->currentIndex();
    v.rssi = b.CBox_RSSI_B->currentIndex();
    v.recalText = b.Edit_Recal_B->text();
    v.rssiText = b.Edit_RSSI_B->text();
    v.eeprom = b.CheckBox_EEPROM->isChecked();
    return v;
}

void applyKonfigB(KonfigBControls &b, const BPageValues &v)
{
    selectComboItem(b.CBox_Frq_RX_B, v.frqRx);
    selectComboItem(b.CBox_Frq_TX_B, v.frqTx);
    selectComboItem(b.CBox_HFbaud_B, v.hfBaud);
    selectComboItem(b.CBox_K_breite_B, v.kBreite);
    selectComboItem(b.CBox_Code_B, v.code);
    selectComboItem(b.CBox_RX_TX_B, v.rxTx);
    selectComboItem(b.CBox_ModArt_B, v.modArt);
    selectComboItem(b.CBox_Config_baud_B, v.configBaud);
    selectComboItem(b.CBox_pwrup_mode_B2, v.pwrupB2);
    selectComboItem(b.CBox_pwrup_mode_B0, v.pwrupB0);
    selectComboItem(b.CBox_pwrup_mode_B4, v.pwrupB4);
    selectComboItem(b.CBox_pwrup_mode_B5, v.pwrupB5);
    selectComboItem(b.CBox_pwr_cont_B1, v.pwrContB1);
    selectComboItem(b.CBox_pwr_cont_B0, v.pwrContB0);
    selectComboItem(b.CBox_Recal_B, v.recal);
    selectComboItem(b.CBox_RSSI_B, v.rssi);
    b.Edit_Recal_B->setText(v.recalText);
    b.Edit_RSSI_B->setText(v.rssiText);
    b.CheckBox_EEPROM->setChecked(v.eeprom);
}

BItemCounts bItemCounts(const KonfigBControls &b)
{
    const std::array<QComboBox *, 16> boxes = {
        b.CBox_Frq_RX_B,      b.CBox_Frq_TX_B,      b.CBox_HFbaud_B,      b.CBox_K_breite_B,
        b.CBox_Code_B,        b.CBox_RX_TX_B,       b.CBox_ModArt_B,      b.CBox_Config_baud_B,
        b.CBox_pwrup_mode_B2, b.CBox_pwrup_mode_B0, b.CBox_pwrup_mode_B4, b.CBox_pwrup_mode_B5,
        b.CBox_pwr_cont_B1,   b.CBox_pwr_cont_B0,   b.CBox_Recal_B,       b.CBox_RSSI_B};
    BItemCounts counts{};
    for (size_t i = 0; i < boxes.size(); ++i)
        counts[i] = boxes[i]->count();
    return counts;
}
