#include "module/konfigcpage.h"

#include "module/tables.h"
#include "widgets/controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#define C_LABEL(member, caption) form.label(c.member, #member, QStringLiteral(caption))
#define C_COMBO(member, items) form.combo(c.member, #member, QStringLiteral(items))

void buildKonfigC(QWidget *page, KonfigCControls &c)
{
    PageGrid form(page);

    form.channelCombo(c.CBox_Frq_RX_C, "CBox_Frq_RX_C");
    form.channelCombo(c.CBox_Frq_TX_C, "CBox_Frq_TX_C");
    form.addRow(C_LABEL(Label_Frq_RX_C, "Empfangsfrequenz"), c.CBox_Frq_RX_C,
                C_LABEL(Label_E_RX_C, "MHz"));
    form.addRow(C_LABEL(Label_Frq_TX_C, "Sendefrequenz"), c.CBox_Frq_TX_C,
                C_LABEL(Label_E_TX_C, "MHz"));
    form.create(c.CBox_HFbaud_C, "CBox_HFbaud_C");
    setComboItems(c.CBox_HFbaud_C, designHfBaudC());
    form.addRow(C_LABEL(Label_HFbaud_C, "Funkdatenrate"), c.CBox_HFbaud_C,
                C_LABEL(Label_E_RX_baud_C, "baud"));
    form.create(c.CBox_RS232_baud_C, "CBox_RS232_baud_C");
    setComboItems(c.CBox_RS232_baud_C, designRs232BaudC());
    form.addRow(C_LABEL(Label_RS232_baud_C, "RS232-Baudrate"), c.CBox_RS232_baud_C,
                C_LABEL(Label_E_Config_baud_C, "baud"));
    form.addRow(
        C_LABEL(Label_pwrup_mode_C, "Powerup-Mode"),
        form.stack({C_COMBO(CBox_pwrup_mode_C2, "Sleep nach PWR-up,Run nach PWR-up"),
                    C_COMBO(CBox_pwrup_mode_C0, "Reset nach Wakeup,Continue nach Wakeup"),
                    C_COMBO(CBox_pwrup_mode_C5, "Restliche Pins Output,Restliche Pins Normal")}));
    form.addRow(C_LABEL(Label_pwr_cont_C, "Power-Control"),
                form.stack({C_COMBO(CBox_pwr_cont_C1, "HF aus,HF ein"),
                            C_COMBO(CBox_pwr_cont_C0, "LED aus,LED ein")}));
    form.create(c.Edit_Recal_C, "Edit_Recal_C");
    form.addRow(C_LABEL(Label_Recal_C, "Auto-Recalibration"),
                form.stack({C_COMBO(CBox_Recal_C, "aus,bei dT >= 20°C,alle 5 bis 150 min."),
                            c.Edit_Recal_C}),
                C_LABEL(Label_E_Recal_C, "min."));
    form.addRow(C_LABEL(Label_Data_format_C, "Daten-Format"),
                form.stack({C_COMBO(CBox_Data_C0, "CRC16 = aus,CRC16 = ein"),
                            C_COMBO(CBox_Data_C1, "Handshake aus,Handshake ein"),
                            C_COMBO(CBox_Data_C2, "Fast-send aus,Fast-send ein"),
                            C_COMBO(CBox_Data_C3, "ohne RSSI-TLG,mit RSSI-TLG"),
                            C_COMBO(CBox_Data_C4, "ohne RSSI-RUHE,mit RSSI-RUHE")}));
    form.create(c.CheckBox_EEPROM_C, "CheckBox_EEPROM_C")
        ->setText(QStringLiteral("Daten ins EEPROM"));
    form.finish(c.CheckBox_EEPROM_C);

    c.Edit_Recal_C->setVisible(false);
    c.Label_E_Recal_C->setVisible(false);
    c.CBox_pwrup_mode_C0->setEnabled(false);
    c.CBox_pwrup_mode_C5->setEnabled(false);
}

void recalibrationRuleC(KonfigCControls &c)
{
    const bool interval = c.CBox_Recal_C->currentIndex() == 2;
    c.Edit_Recal_C->setVisible(interval);
    c.Label_E_Recal_C->setVisible(interval);
}

void powerUpRuleC(KonfigCControls &c)
{
    const bool sleepAfterPowerUp = c.CBox_pwrup_mode_C2->currentIndex() == 0;
    c.CBox_pwrup_mode_C0->setEnabled(sleepAfterPowerUp);
    c.CBox_pwrup_mode_C5->setEnabled(sleepAfterPowerUp);
}

CPageValues readKonfigC(const KonfigCControls &c)
{
    CPageValues v;
    v.frqRx = c.CBox_Frq_RX_C->currentIndex();
    v.frqTx = c.CBox_Frq_TX_C->currentIndex();
    v.hfBaud = c.CBox_HFbaud_C->currentIndex();
    v.rs232Baud = c.CBox_RS232_baud_C->currentIndex();
    v.pwrupC0 = c.CBox_pwrup_mode_C0->currentIndex();
    v.pwrupC2 = c.CBox_pwrup_mode_C2->currentIndex();
    v.pwrupC5 = c.CBox_pwrup_mode_C5->currentIndex();
    v.pwrContC0 = c.CBox_pwr_cont_C0->currentIndex();
    v.pwrContC1 = c.CBox_pwr_cont_C1->currentIndex();
    v.recal = c.CBox_Recal_C->currentIndex();
    for (int bit = 0; bit < 5; ++bit)
        v.data[bit] = c.dataBox(bit)->currentIndex();
    v.recalText = c.Edit_Recal_C->text();
    v.eeprom = c.CheckBox_EEPROM_C->isChecked();
    return v;
}

void applyKonfigC(KonfigCControls &c, const CPageValues &v)
{
    selectComboItem(c.CBox_Frq_RX_C, v.frqRx);
    selectComboItem(c.CBox_Frq_TX_C, v.frqTx);
    selectComboItem(c.CBox_HFbaud_C, v.hfBaud);
    selectComboItem(c.CBox_RS232_baud_C, v.rs232Baud);
    selectComboItem(c.CBox_pwrup_mode_C2, v.pwrupC2);
    selectComboItem(c.CBox_pwrup_mode_C0, v.pwrupC0);
    selectComboItem(c.CBox_pwrup_mode_C5, v.pwrupC5);
    selectComboItem(c.CBox_pwr_cont_C1, v.pwrContC1);
    selectComboItem(c.CBox_pwr_cont_C0, v.pwrContC0);
    selectComboItem(c.CBox_Recal_C, v.recal);
    for (int bit = 0; bit < 5; ++bit)
        selectComboItem(c.dataBox(bit), v.data[bit]);
    c.Edit_Recal_C->setText(v.recalText);
    c.CheckBox_EEPROM_C->setChecked(v.eeprom);
}

CItemCounts cItemCounts(const KonfigCControls &c)
{
    const std::array<QComboBox *, 15> boxes = {
        c.CBox_Frq_RX_C,      c.CBox_Frq_TX_C,      c.CBox_HFbaud_C,      c.CBox_RS232_baud_C,
        c.CBox_pwrup_mode_C2, c.CBox_pwrup_mode_C0, c.CBox_pwrup_mode_C5, c.CBox_pwr_cont_C1,
        c.CBox_pwr_cont_C0,   c.CBox_Recal_C,       c.CBox_Data_C0,       c.CBox_Data_C1,
        c.CBox_Data_C2,       c.CBox_Data_C3,       c.CBox_Data_C4};
    CItemCounts counts{};
    for (size_t i = 0; i < boxes.size(); ++i)
        counts[i] = boxes[i]->count();
    return counts;
}
