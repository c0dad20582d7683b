#include "module/readout.h"

#include "link/catalogue.h"
#include "link/comport.h"
#include "link/linewait.h"
#include "link/modulelink.h"
#include "module/identification.h"
#include "module/modulecontext.h"
#include "module/tables.h"
#include "module/widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace
{

bool errorFlag(ModuleContext &ctx)
{
    return ctx.link.state().errorFlag;
}

// Answer bytes 1 .. count of the last answer, or nothing when fewer were received.
template <int count> std::optional<std::array<quint8, count>> answerBytes(ModuleContext &ctx)
{
    std::array<quint8, count> bytes{};
    for (int i = 0; i < count; ++i) {
        const auto byte = ctx.link.answerByte(i + 1);
        if (!byte)
            return std::nullopt;
        bytes[i] = *byte;
    }
    return bytes;
}

// Sends one identification query; when it succeeds and the answer holds all its bytes, hands
// them to the decoder. A module of unknown type is not answered for (its dispatcher reads
// nothing), so its stale last answer is not decoded.
template <int count, typename Decode>
void query(ModuleContext &ctx, quint8 number, bool decodable, Decode decode)
{
    ctx.link.transaction(Frame::Identify, number);
    if (errorFlag(ctx) || !decodable)
        return;
    if (const auto bytes = answerBytes<count>(ctx))
        decode(*bytes);
}

void identificationPass(ModuleContext &ctx)
{
    ModulinfoControls &info = ctx.info;
    const QString letter = ctx.typeLetter();
    const QChar first = letter.isEmpty() ? QChar() : letter.at(0);
    const bool decodable =
        first == QLatin1Char('B') || first == QLatin1Char('C') || first == QLatin1Char('x');

    query<3>(ctx, Frame::QuerySoftwareVersion, decodable,
             [&](auto a) { info.Edit_SW_Version->setText(softwareVersionText(a[0], a[1], a[2])); });
    query<1>(ctx, Frame::QueryCommandSet, decodable,
             [&](auto a) { info.Edit_Bef_Version->setText(QString::number(a[0])); });
    query<1>(ctx, Frame::QueryHardware, decodable,
             [&](auto a) { info.Edit_HW_Version->setText(QString::number(a[0])); });

    // A command-set field that is not a number (its query never succeeded) asks for no speed.
    if (isExtendedCModule(letter, info.Edit_Bef_Version->text().toInt())) {
        query<1>(ctx, Frame::QuerySoftwareSpeed, decodable, [&](auto a) {
            if (const auto speed = softwareSpeedText(a[0]))
                info.Edit_SW_Speed->setText(*speed);
        });
    } else if (!errorFlag(ctx)) {
        info.Edit_SW_Speed->setText(softwareSpeedFromHardware(info.Edit_HW_Version->text()));
    }

    query<1>(ctx, Frame::QueryBand, decodable,
             [&](auto a) { info.Edit_Frq_Version->setText(frequencyVersionText(a[0])); });
    query<4>(ctx, Frame::QuerySerialNumber, decodable, [&](auto a) {
        info.Edit_Ser_NR->setText(QString::number(serialNumber(a[0], a[1], a[2], a[3])));
    });

    if (!errorFlag(ctx)) {
        bool numeric = false;
        const int hardware = info.Edit_HW_Version->text().toInt(&numeric);
        if (numeric) {
            if (const auto text = hardwareDescription(hardware, ctx.german())) {
                info.Edit_HW_Version_Klartext->setText(*text);
                // Long descriptions show from their beginning.
                info.Edit_HW_Version_Klartext->setCursorPosition(0);
            }
        }
        buildRateLists(ctx);
        buildChannelLists(ctx);
        info.EditModTyp->setText(moduleTypeDesignation(info.Edit_Frq_Version->text(),
                                                       info.Edit_HW_Version->text(), letter,
                                                       info.Edit_Bef_Version->text()));
    }

    if (!errorFlag(ctx)) {
        if (first == QLatin1Char('B'))
            decodeBConfiguration(ctx);
        else if (first == QLatin1Char('C'))
            decodeCConfiguration(ctx);
        else if (first == QLatin1Char('x'))
            applyCalibrationPreset(ctx);
    }
    ctx.host.sleepMs(200);
}

// Reads one configuration register; the value, or nothing once the pass has failed.
std::optional<quint8> readRegister(ModuleContext &ctx, quint8 reg)
{
    ctx.link.transaction(Frame::ReadRegister, reg);
    if (errorFlag(ctx))
        return std::nullopt;
    return ctx.link.answerByte(1);
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
    LinkState &state = ctx.link.state();
    ComPort &port = ctx.link.port();
    port.setRts(false);
    state.errorFlag = false;
    state.retryCounter = 5;

    // The type query goes out once; a failure keeps the letter of the previous module.
    ctx.link.transaction(Frame::Identify, Frame::QuerySoftwareType);
    if (!state.errorFlag) {
        if (const auto a1 = ctx.link.answerByte(1)) {
            const QString letter = softwareTypeLetter(*a1);
            ctx.info.Edit_SW_Typ->setText(letter);
            // Such a module gets no answers read and no configuration page: say why.
            if (!isKnownSoftwareType(letter))
                ctx.host.showMessage(
                    QStringLiteral("Unbekannter Software-Typ \"%1\"!\r\n(Modul wird nicht "
                                   "unterstützt)")
                        .arg(letter),
                    QStringLiteral("Unknown software type \"%1\"!\r\n(Module not supported)")
                        .arg(letter));
        }
    }
    // A C module takes commands only while RTS is off.
    if (ctx.typeLetter() != QLatin1String("C"))
        port.setRts(true);

    state.retryCounter = 5;
    do {
        state.errorFlag = false;
        identificationPass(ctx);
    } while (state.errorFlag && state.retryCounter != 0);

    if (state.errorFlag)
        ctx.reportCommunicationError();
    port.setRts(true);
    computeRbw(ctx);
}

void readButtonClicked(ModuleContext &ctx)
{
    AppControls &app = ctx.app;
    setEnabled(app.BtnKonfigurieren, false);
    setEnabled(app.BtnAuslesen, false);
    const bool carrierWasStreaming = ctx.shared.CarrierStreaming;
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
    QComboBox *source = letter == QLatin1String("C") ? ctx.c.CBox_HFbaud_C : ctx.b.CBox_K_breite_B;
    if (const auto rbw = rbwForItem(letter, source->currentIndex()))
        ctx.shared.RBW = *rbw;
    if (ctx.app.LabelMonitor_RBW)
        ctx.app.LabelMonitor_RBW->setText(rbwLabelText(ctx.shared.RBW, ctx.shared.monitorStep));
    if (ctx.app.LabelMonitor_Status)
        ctx.app.LabelMonitor_Status->setText(rbwStatusText(ctx.shared.RBW, ctx.shared.monitorStep));
}

void decodeBConfiguration(ModuleContext &ctx)
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

    auto itemRegister = [&](quint8 reg, QComboBox *box, bool channel) {
        if (const auto v = readRegister(ctx, reg))
            selectComboItem(box, channel ? channelItemForValue(*v, box->count())
                                         : itemForValue(*v, box->count()));
    };
    itemRegister(0x09, b.CBox_Frq_RX_B, true);
    itemRegister(0x0A, b.CBox_Frq_TX_B, true);
    itemRegister(0x0B, b.CBox_HFbaud_B, false);
    itemRegister(0x0C, b.CBox_K_breite_B, false);
    // The RX/TX switch only means something in UART coding; it is applied with the coding.
    const auto rxTx = readRegister(ctx, 0x10);
    if (const auto v = readRegister(ctx, 0x0D)) {
        selectComboItem(b.CBox_Code_B, itemForValue(*v, b.CBox_Code_B->count()));
        uartSwitchRuleB(b, ctx.typeLetter());
        if (b.CBox_RX_TX_B->isEnabled()) {
            selectComboItem(b.CBox_RX_TX_B, itemForValue(rxTx.value_or(0xFF), 2));
            ctx.shared.RxTxSwitchByCommand = b.CBox_RX_TX_B->currentIndex() == 1;
        } else {
            selectComboItem(b.CBox_RX_TX_B, 1);
            ctx.shared.RxTxSwitchByCommand = true;
        }
    }
    itemRegister(0x0E, b.CBox_ModArt_B, false);
    itemRegister(0x0F, b.CBox_Config_baud_B, false);
    if (const auto v = readRegister(ctx, 0x11)) {
        selectComboItem(b.CBox_pwrup_mode_B0, bitItem(*v, 0));
        selectComboItem(b.CBox_pwrup_mode_B2, bitItem(*v, 2));
        selectComboItem(b.CBox_pwrup_mode_B4, bitItem(*v, 4));
        selectComboItem(b.CBox_pwrup_mode_B5, bitItem(*v, 5));
        powerUpRuleB(b);
    }
    if (const auto v = readRegister(ctx, 0x12)) {
        selectComboItem(b.CBox_pwr_cont_B0, bitItem(*v, 0));
        selectComboItem(b.CBox_pwr_cont_B1, bitItem(*v, 1));
    }
    if (const auto v = readRegister(ctx, 0x13)) {
        const IntervalDisplay shown = decodeRecalibration(*v);
        selectComboItem(b.CBox_Recal_B, shown.item);
        if (shown.item == 2)
            b.Edit_Recal_B->setText(shown.text);
        recalibrationRuleB(b);
    }
    if (const auto v = readRegister(ctx, 0x14)) {
        const IntervalDisplay shown = decodeAutoRssi(*v);
        selectComboItem(b.CBox_RSSI_B, shown.item);
        if (shown.item == 1)
            b.Edit_RSSI_B->setText(shown.text);
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

    const int channelItem = ctx.info.Edit_Frq_Version->text() == QLatin1String("433") ? 69 : 79;
    selectComboItem(b.CBox_Frq_RX_B, channelItem);
    selectComboItem(b.CBox_Frq_TX_B, channelItem);
    selectComboItem(b.CBox_HFbaud_B, 0);
    selectComboItem(b.CBox_K_breite_B, 0);
    selectComboItem(b.CBox_Code_B, 1);
    selectComboItem(b.CBox_ModArt_B, 2);
    selectComboItem(b.CBox_Config_baud_B, 5);
    b.CBox_Config_baud_B->setEnabled(false);
    b.Label_Config_baud_B->setEnabled(false);
    selectComboItem(b.CBox_RX_TX_B, 1);
    ctx.shared.RxTxSwitchByCommand = true;
    selectComboItem(b.CBox_pwrup_mode_B0, 0);
    selectComboItem(b.CBox_pwrup_mode_B2, 1);
    b.CBox_pwrup_mode_B2->setEnabled(false);
    b.Label_pwrup_mode_B->setEnabled(false);
    selectComboItem(b.CBox_pwrup_mode_B4, 0);
    selectComboItem(b.CBox_pwrup_mode_B5, 1);
    selectComboItem(b.CBox_pwr_cont_B0, 1);
    selectComboItem(b.CBox_pwr_cont_B1, 1);

    selectComboItem(b.CBox_Recal_B, 0);
    recalibrationRuleB(b);
    b.CBox_Recal_B->setEnabled(false);
    b.Label_Recal_B->setEnabled(false);
    selectComboItem(b.CBox_RSSI_B, 0);
    autoRssiRuleB(b);
}

void decodeCConfiguration(ModuleContext &ctx)
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

    auto itemRegister = [&](quint8 reg, QComboBox *box, bool channel) {
        if (const auto v = readRegister(ctx, reg))
            selectComboItem(box, channel ? channelItemForValue(*v, box->count())
                                         : itemForValue(*v, box->count()));
    };
    itemRegister(0x09, c.CBox_Frq_RX_C, true);
    itemRegister(0x0A, c.CBox_Frq_TX_C, true);
    itemRegister(0x0B, c.CBox_HFbaud_C, false);
    itemRegister(0x0C, c.CBox_RS232_baud_C, false);
    if (const auto v = readRegister(ctx, 0x0D)) {
        selectComboItem(c.CBox_pwrup_mode_C0, bitItem(*v, 0));
        selectComboItem(c.CBox_pwrup_mode_C2, bitItem(*v, 2));
        selectComboItem(c.CBox_pwrup_mode_C5, bitItem(*v, 5));
        powerUpRuleC(c);
    }
    if (const auto v = readRegister(ctx, 0x0E)) {
        selectComboItem(c.CBox_pwr_cont_C0, bitItem(*v, 0));
        selectComboItem(c.CBox_pwr_cont_C1, bitItem(*v, 1));
    }
    if (const auto v = readRegister(ctx, 0x0F)) {
        const IntervalDisplay shown = decodeRecalibration(*v);
        selectComboItem(c.CBox_Recal_C, shown.item);
        if (shown.item == 2)
            c.Edit_Recal_C->setText(shown.text);
        recalibrationRuleC(c);
    }
    if (const auto v = readRegister(ctx, 0x10)) {
        for (int bit = 0; bit < 5; ++bit)
            selectComboItem(c.dataBox(bit), bitItem(*v, bit));
    }
    setEnabled(app.BtnAuslesen, true);
}
