#include "module/configwriter.h"

#include "link/comport.h"
#include "link/modulelink.h"
#include "module/identification.h"
#include "module/modulecontext.h"
#include "module/readout.h"
#include "module/writeexecution.h"
#include "module/writeplan.h"
#include "widgets/controls.h"
#include "window/activities.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace
{

// The window's part of the write: the PC baud selector follows the module's new rate, the
// buttons come back after every pass.
class WindowWrite : public WriteObserver
{
public:
    WindowWrite(ModuleContext &ctx, bool calibration) : m_ctx(ctx), m_calibration(calibration) {}

    void switchPcBaud(int item) override
    {
        if (!m_ctx.app.CBox_RS232_baud)
            return;
        selectComboItem(m_ctx.app.CBox_RS232_baud, item);
        m_ctx.host.applyBaudSelection(true);
    }
    void setRxTxSwitchByCommand(bool byCommand) override
    {
        m_ctx.shared.RxTxSwitchByCommand = byCommand;
    }
    void passEnded() override
    {
        setButtonEnabled(m_ctx.app.BtnKonfigurieren, true);
        if (!m_calibration)
            setButtonEnabled(m_ctx.app.BtnAuslesen, true);
    }

private:
    ModuleContext &m_ctx;
    bool m_calibration;
};

QLineEdit *intervalEdit(ModuleContext &ctx, bool cPage, IntervalEdit edit)
{
    if (cPage)
        return ctx.c.Edit_Recal_C;
    return edit == IntervalEdit::Recalibration ? ctx.b.Edit_Recal_B : ctx.b.Edit_RSSI_B;
}

} // namespace

bool writeConfiguration(ModuleContext &ctx)
{
    const QString letter = ctx.typeLetter();
    const FirmwareType type = firmwareType(letter);
    WritePlan plan;
    switch (type) {
    case FirmwareType::B:
        plan = planBWrite(readKonfigB(ctx.b));
        break;
    case FirmwareType::C:
        plan = planCWrite(readKonfigC(ctx.c));
        break;
    case FirmwareType::Calibration:
        plan = planCalibrationWrite(readKonfigB(ctx.b));
        break;
    case FirmwareType::Unknown:
        ctx.host.showMessage(
            QStringLiteral("Nichts zu konfigurieren: Software-Typ \"%1\" unbekannt!").arg(letter),
            QStringLiteral("Nothing to configure: unknown software type \"%1\"!").arg(letter));
        return false;
    }
    if (plan.refused()) {
        const WriteMessage message = plan.unselectedMessage();
        ctx.host.showMessage(message.german, message.english);
        return false;
    }

    const bool carrierWasStreaming = ctx.activities.carrierStreaming();
    if (carrierWasStreaming) {
        ctx.host.performClick(ctx.app.BtnStartHF_Test);
        ctx.link.port().clearBuffers(true, true);
        ctx.host.sleepMs(20);
    }

    // The typed intervals are checked once; a refused one is skipped in every pass.
    for (const IntervalRefusal &refusal : plan.refusals) {
        if (refusal.clearEdit)
            intervalEdit(ctx, type == FirmwareType::C, refusal.edit)->clear();
        ctx.host.showMessage(refusal.message.german, refusal.message.english);
    }

    setButtonEnabled(ctx.app.BtnKonfigurieren, false);
    setButtonEnabled(ctx.app.BtnAuslesen, false);
    WindowWrite observer(ctx, type == FirmwareType::Calibration);
    const bool written =
        executeWritePlan(ctx.link, plan, observer, [&ctx](int ms) { ctx.host.sleepMs(ms); });
    if (!written)
        ctx.reportCommunicationError();
    if (carrierWasStreaming)
        ctx.host.performClick(ctx.app.BtnStartHF_Test);
    computeRbw(ctx);
    return written;
}
