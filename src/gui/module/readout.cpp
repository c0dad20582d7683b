#include "module/readout.h"

#include "link/catalogue.h"
#include "link/comport.h"
#include "link/linewait.h"
#include "link/modulelink.h"
#include "module/identification.h"
#include "module/modulecontext.h"
#include "module/registerdecoding.h"
#include "module/tables.h"
#include "widgets/controls.h"
#include "window/activities.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace
{

IdentityRecord recordOf(const ModulinfoControls &info)
{
    IdentityRecord r;
    r.typeLetter = info.Edit_SW_Typ->text();
    r.swVersion = info.Edit_SW_Version->text();
    r.commandSet = info.Edit_Bef_Version->text();
    r.hardware = info.Edit_HW_Version->text();
    r.hardwareText = info.Edit_HW_Version_Klartext->text();
    r.speed = info.Edit_SW_Speed->text();
    r.band = info.Edit_Frq_Version->text();
    r.serial = info.Edit_Ser_NR->text();
    r.designation = info.EditModTyp->text();
    return r;
}

void setText(QLineEdit *edit, const QString &text)
{
    if (edit->text() != text)
        edit->setText(text);
}

void showRecord(ModulinfoControls &info, const IdentityRecord &r)
{
    setText(info.Edit_SW_Typ, r.typeLetter);
    setText(info.Edit_SW_Version, r.swVersion);
    setText(info.Edit_Bef_Version, r.commandSet);
    setText(info.Edit_HW_Version, r.hardware);
    if (info.Edit_HW_Version_Klartext->text() != r.hardwareText) {
        info.Edit_HW_Version_Klartext->setText(r.hardwareText);
        // Long descriptions show from their beginning.
        info.Edit_HW_Version_Klartext->setCursorPosition(0);
    }
    setText(info.Edit_SW_Speed, r.speed);
    setText(info.Edit_Frq_Version, r.band);
    setText(info.Edit_Ser_NR, r.serial);
    setText(info.EditModTyp, r.designation);
}

// The window's part of the read-out: the Modulinfo fields follow the record, the lists follow
// the identification and the configuration page follows the registers.
class WindowReadout : public ReadoutObserver
{
public:
    WindowReadout(ModuleContext &ctx, const IdentityRecord &record) : m_ctx(ctx), m_record(record)
    {
    }

    void unknownSoftwareType(const QString &letter) override
    {
        // Such a module gets no answers read and no configuration page: say why.
        m_ctx.host.showMessage(
            QStringLiteral("Unbekannter Software-Typ \"%1\"!\r\n(Modul wird nicht "
                           "unterstützt)")
                .arg(letter),
            QStringLiteral("Unknown software type \"%1\"!\r\n(Module not supported)").arg(letter));
    }
    void identified(const IdentityRecord &record) override
    {
        showRecord(m_ctx.info, record);
        buildRateLists(m_ctx);
        buildChannelLists(m_ctx);
    }
    void configurationRead(const IdentityRecord &record, const RegisterRead &registers) override
    {
        // Only a module of known type has its configuration read.
        const FirmwareType type = firmwareType(record.typeLetter);
        if (type == FirmwareType::B)
            decodeBConfiguration(m_ctx, registers);
        else if (type == FirmwareType::C)
            decodeCConfiguration(m_ctx, registers);
        else
            applyCalibrationPreset(m_ctx);
    }
    void communicationFailed() override
    {
        // Fields of the queries that succeeded before the failure stay shown.
        showRecord(m_ctx.info, m_record);
        m_ctx.reportCommunicationError();
    }

private:
    ModuleContext &m_ctx;
    const IdentityRecord &m_record; // the record the read-out fills
};

void pick(QComboBox *box, const std::optional<int> &item)
{
    if (item)
        selectComboItem(box, *item);
}

void setEnabled(QWidget *widget, bool enabled)
{
    if (widget)
        widget->setEnabled(enabled);
}

void showConfigurationTab(ModuleContext &ctx, bool cPage)
{
    setTabShown(ctx.app.PageControl1, ctx.app.Konfig_B, !cPage);
    setTabShown(ctx.app.PageControl1, ctx.app.Konfig_C, cPage);
}

} // namespace

void readModule(ModuleContext &ctx)
{
    IdentityRecord record = recordOf(ctx.info);
    WindowReadout readout(ctx, record);
    readOutModule(ctx.link, record, ctx.german(), readout,
                  [&ctx](int ms) { ctx.host.sleepMs(ms); });
    computeRbw(ctx);
}

void readButtonClicked(ModuleContext &ctx)
{
    AppControls &app = ctx.app;
    setEnabled(app.BtnKonfigurieren, false);
    setEnabled(app.BtnAuslesen, false);
    const bool carrierWasStreaming = ctx.activities.carrierStreaming();
    if (carrierWasStreaming) {
        ctx.host.performClick(app.BtnStartHF_Test);
        ctx.link.port().clearBuffers(true, true);
        ctx.host.sleepMs(20);
    }
    readModule(ctx);
    if (app.BtnVerbinden && app.BtnVerbinden->isEnabled())
        return;
    setEnabled(app.BtnKonfigurieren, true);
    setEnabled(app.BtnAuslesen, true);
    if (carrierWasStreaming)
        ctx.host.performClick(app.BtnStartHF_Test);
}

void buildRateLists(ModuleContext &ctx)
{
    const QString letter = ctx.typeLetter();
    const bool extended = isExtendedCModule(letter, ctx.info.Edit_Bef_Version->text().toInt());
    if (ctx.app.GBox_VCC)
        ctx.app.GBox_VCC->setVisible(extended);
    if (extended) {
        const QString item = ctx.german() ? QStringLiteral("bei dT > 20°C oder dU > 0.2V")
                                          : QStringLiteral("if dT > 20°C or dU > 0.2V");
        for (QComboBox *box : {ctx.b.CBox_Recal_B, ctx.c.CBox_Recal_C}) {
            if (box->count() > 1)
                box->setItemText(1, item);
        }
    }
    const auto lists = rateListsFor(letter, ctx.info.Edit_Bef_Version->text().toInt(),
                                    ctx.info.Edit_SW_Speed->text());
    if (!lists)
        return;
    setComboItems(ctx.b.CBox_HFbaud_B, lists->hfBaudB);
    setComboItems(ctx.b.CBox_Config_baud_B, lists->configBaudB);
    setComboItems(ctx.c.CBox_HFbaud_C, lists->hfBaudC);
    setComboItems(ctx.c.CBox_RS232_baud_C, lists->rs232BaudC);
}

void buildChannelLists(ModuleContext &ctx)
{
    constexpr int kListsBetweenPaints = 6;
    QComboBox *source = ctx.b.CBox_Frq_RX_B;
    const QString band = ctx.info.Edit_Frq_Version->text();
    if (band == QLatin1String("868") || band == QLatin1String("433")) {
        source->clear();
        source->addItems(channelItems(band.toInt()));
    }
    selectComboItem(source, -1);
    QStringList items;
    for (int i = 0; i < source->count(); ++i)
        items.append(source->itemText(i));
    QList<QComboBox *> copies{ctx.b.CBox_Frq_TX_B, ctx.c.CBox_Frq_TX_C, ctx.c.CBox_Frq_RX_C};
    for (QComboBox *monitor : ctx.app.CBoxMonitor)
        copies.append(monitor);
    int filled = 0;
    for (QComboBox *box : copies) {
        if (!box)
            continue;
        box->clear();
        box->addItems(items);
        selectComboItem(box, -1);
        box->setEditText(QString());
        // Some 30 lists of 160 channels take a while: the window paints in between.
        if (++filled % kListsBetweenPaints == 0)
            LineWait::runPendingEvents();
    }
}

void computeRbw(ModuleContext &ctx)
{
    const QString letter = ctx.typeLetter();
    QComboBox *source =
        firmwareType(letter) == FirmwareType::C ? ctx.c.CBox_HFbaud_C : ctx.b.CBox_K_breite_B;
    if (const auto rbw = rbwForItem(letter, source->currentIndex()))
        ctx.shared.RBW = *rbw;
    if (ctx.app.LabelMonitor_RBW)
        ctx.app.LabelMonitor_RBW->setText(rbwLabelText(ctx.shared.RBW, ctx.shared.monitorStep));
    if (ctx.app.LabelMonitor_Status)
        ctx.app.LabelMonitor_Status->setText(rbwStatusText(ctx.shared.RBW, ctx.shared.monitorStep));
}

void decodeBConfiguration(ModuleContext &ctx, const RegisterRead &registers)
{
    KonfigBControls &b = ctx.b;
    AppControls &app = ctx.app;
    showConfigurationTab(ctx, false);
    ctx.info.Edit_SW_Typ_Klartext->setText(QStringLiteral("Directmode"));
    for (QWidget *widget : std::initializer_list<QWidget *>{
             b.CBox_Config_baud_B, b.Label_Config_baud_B, b.CBox_pwrup_mode_B2,
             b.Label_pwrup_mode_B, b.CBox_Recal_B, b.Label_Recal_B, app.CBox_sleep_4,
             app.Label_sleep_4, b.CheckBox_EEPROM})
        setEnabled(widget, true);
    setEnabled(app.BtnStartLinkControl, false);
    setEnabled(app.BtnLinkControl_konfig, false);

    const BRegisterItems d = decodeBRegisters(registers, bItemCounts(b));
    pick(b.CBox_Frq_RX_B, d.frqRx);
    pick(b.CBox_Frq_TX_B, d.frqTx);
    pick(b.CBox_HFbaud_B, d.hfBaud);
    pick(b.CBox_K_breite_B, d.kBreite);
    if (d.code) {
        selectComboItem(b.CBox_Code_B, *d.code);
        uartSwitchRuleB(b, ctx.typeLetter());
        pick(b.CBox_RX_TX_B, d.rxTx);
        ctx.shared.RxTxSwitchByCommand = b.CBox_RX_TX_B->currentIndex() == 1;
    }
    pick(b.CBox_ModArt_B, d.modArt);
    pick(b.CBox_Config_baud_B, d.configBaud);
    if (d.pwrupB0) {
        pick(b.CBox_pwrup_mode_B0, d.pwrupB0);
        pick(b.CBox_pwrup_mode_B2, d.pwrupB2);
        pick(b.CBox_pwrup_mode_B4, d.pwrupB4);
        pick(b.CBox_pwrup_mode_B5, d.pwrupB5);
        powerUpRuleB(b);
    }
    pick(b.CBox_pwr_cont_B0, d.pwrContB0);
    pick(b.CBox_pwr_cont_B1, d.pwrContB1);
    if (d.recal) {
        selectComboItem(b.CBox_Recal_B, *d.recal);
        if (d.recalText)
            b.Edit_Recal_B->setText(*d.recalText);
        recalibrationRuleB(b);
    }
    if (d.rssi) {
        selectComboItem(b.CBox_RSSI_B, *d.rssi);
        if (d.rssiText)
            b.Edit_RSSI_B->setText(*d.rssiText);
        autoRssiRuleB(b);
    }
    setEnabled(app.BtnAuslesen, true);
}

void applyCalibrationPreset(ModuleContext &ctx)
{
    KonfigBControls &b = ctx.b;
    AppControls &app = ctx.app;
    showConfigurationTab(ctx, false);
    setEnabled(app.BtnAuslesen, false);
    ctx.info.Edit_SW_Typ_Klartext->setText(QStringLiteral("Kalibrationssoftware"));
    setEnabled(app.CBox_sleep_4, true);
    setEnabled(app.Label_sleep_4, true);
    b.CheckBox_EEPROM->setEnabled(false);
    b.CheckBox_EEPROM->setChecked(false);
    setEnabled(app.BtnStartLinkControl, false);
    setEnabled(app.BtnLinkControl_konfig, false);

    IdentityRecord identity;
    identity.band = ctx.info.Edit_Frq_Version->text();
    const BPageValues preset = calibrationPreset(identity);
    selectComboItem(b.CBox_Frq_RX_B, preset.frqRx);
    selectComboItem(b.CBox_Frq_TX_B, preset.frqTx);
    selectComboItem(b.CBox_HFbaud_B, preset.hfBaud);
    selectComboItem(b.CBox_K_breite_B, preset.kBreite);
    selectComboItem(b.CBox_Code_B, preset.code);
    selectComboItem(b.CBox_ModArt_B, preset.modArt);
    selectComboItem(b.CBox_Config_baud_B, preset.configBaud);
    b.CBox_Config_baud_B->setEnabled(false);
    b.Label_Config_baud_B->setEnabled(false);
    selectComboItem(b.CBox_RX_TX_B, preset.rxTx);
    ctx.shared.RxTxSwitchByCommand = true;
    selectComboItem(b.CBox_pwrup_mode_B0, preset.pwrupB0);
    selectComboItem(b.CBox_pwrup_mode_B2, preset.pwrupB2);
    b.CBox_pwrup_mode_B2->setEnabled(false);
    b.Label_pwrup_mode_B->setEnabled(false);
    selectComboItem(b.CBox_pwrup_mode_B4, preset.pwrupB4);
    selectComboItem(b.CBox_pwrup_mode_B5, preset.pwrupB5);
    selectComboItem(b.CBox_pwr_cont_B0, preset.pwrContB0);
    selectComboItem(b.CBox_pwr_cont_B1, preset.pwrContB1);

    selectComboItem(b.CBox_Recal_B, preset.recal);
    recalibrationRuleB(b);
    b.CBox_Recal_B->setEnabled(false);
    b.Label_Recal_B->setEnabled(false);
    selectComboItem(b.CBox_RSSI_B, preset.rssi);
    autoRssiRuleB(b);
}

void decodeCConfiguration(ModuleContext &ctx, const RegisterRead &registers)
{
    KonfigCControls &c = ctx.c;
    AppControls &app = ctx.app;
    showConfigurationTab(ctx, true);
    ctx.info.Edit_SW_Typ_Klartext->setText(ctx.german() ? QStringLiteral("RS232 Bytemode")
                                                        : QStringLiteral("RS232 bytemode"));
    selectComboItem(app.CBox_sleep_4, 0);
    setEnabled(app.CBox_sleep_4, false);
    setEnabled(app.Label_sleep_4, false);
    setEnabled(app.BtnStartLinkControl, true);
    setEnabled(app.BtnLinkControl_konfig, true);

    const CRegisterItems d = decodeCRegisters(registers, cItemCounts(c));
    pick(c.CBox_Frq_RX_C, d.frqRx);
    pick(c.CBox_Frq_TX_C, d.frqTx);
    pick(c.CBox_HFbaud_C, d.hfBaud);
    pick(c.CBox_RS232_baud_C, d.rs232Baud);
    if (d.pwrupC0) {
        pick(c.CBox_pwrup_mode_C0, d.pwrupC0);
        pick(c.CBox_pwrup_mode_C2, d.pwrupC2);
        pick(c.CBox_pwrup_mode_C5, d.pwrupC5);
        powerUpRuleC(c);
    }
    pick(c.CBox_pwr_cont_C0, d.pwrContC0);
    pick(c.CBox_pwr_cont_C1, d.pwrContC1);
    if (d.recal) {
        selectComboItem(c.CBox_Recal_C, *d.recal);
        if (d.recalText)
            c.Edit_Recal_C->setText(*d.recalText);
        recalibrationRuleC(c);
    }
    if (d.data) {
        for (int bit = 0; bit < 5; ++bit)
            selectComboItem(c.dataBox(bit), (*d.data)[bit]);
    }
    setEnabled(app.BtnAuslesen, true);
}
