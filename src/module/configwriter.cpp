#include "module/configwriter.h"

#include "link/comport.h"
#include "link/modulelink.h"
#include "module/modulecontext.h"
#include "module/readout.h"
#include "module/widgets.h"
#include "module/writeplan.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace
{

void runStep(ModuleContext &ctx, const WriteStep &step)
{
    switch (step.kind) {
    case WriteStep::Kind::Frame:
        ctx.link.transaction(step.code, step.value);
        break;
    case WriteStep::Kind::SwitchPcBaud:
        // The following frames go out at the module's new rate.
        if (!ctx.link.state().errorFlag && ctx.app.CBox_RS232_baud) {
            selectComboItem(ctx.app.CBox_RS232_baud, step.pcBaudItem);
            ctx.host.applyBaudSelection(true);
        }
        break;
    case WriteStep::Kind::SetRxTxSwitchByCommand:
        ctx.shared.RxTxSwitchByCommand = step.flag;
        break;
    case WriteStep::Kind::Rts:
        ctx.link.port().setRts(step.flag);
        break;
    }
}

QLineEdit *intervalEdit(ModuleContext &ctx, bool cPage, IntervalEdit edit)
{
    if (cPage)
        return ctx.c.Edit_Recal_C;
    return edit == IntervalEdit::Recalibration ? ctx.b.Edit_Recal_B : ctx.b.Edit_RSSI_B;
}

} // namespace

void writeConfiguration(ModuleContext &ctx)
{
    const QString letter = ctx.typeLetter();
    WritePlan plan;
    if (letter == QLatin1String("B"))
        plan = planBWrite(readKonfigB(ctx.b));
    else if (letter == QLatin1String("C"))
        plan = planCWrite(readKonfigC(ctx.c));
    else if (letter == QLatin1String("x"))
        plan = planCalibrationWrite(readKonfigB(ctx.b));
    else {
        ctx.host.showMessage(
            QStringLiteral("Nichts zu konfigurieren: Software-Typ \"%1\" unbekannt!").arg(letter),
            QStringLiteral("Nothing to configure: unknown software type \"%1\"!").arg(letter));
        return;
    }
    if (plan.refused()) {
        const WriteMessage message = plan.unselectedMessage();
        ctx.host.showMessage(message.german, message.english);
        return;
    }

    const bool carrierWasStreaming = ctx.shared.CarrierStreaming;
    if (carrierWasStreaming) {
        ctx.host.performClick(ctx.app.BtnStartHF_Test);
        ctx.link.port().clearBuffers(true, true);
        ctx.host.sleepMs(20);
    }

    // The typed intervals are checked once; a refused one is skipped in every pass.
    for (const IntervalRefusal &refusal : plan.refusals) {
        if (refusal.clearEdit)
            intervalEdit(ctx, letter == QLatin1String("C"), refusal.edit)->clear();
        ctx.host.showMessage(refusal.message.german, refusal.message.english);
    }

    setButtonEnabled(ctx.app.BtnKonfigurieren, false);
    setButtonEnabled(ctx.app.BtnAuslesen, false);
    LinkState &state = ctx.link.state();
    state.retryCounter = 5;
    do {
        state.errorFlag = false;
        for (const WriteStep &step : plan.steps)
            runStep(ctx, step);
        ctx.host.sleepMs(200);
        setButtonEnabled(ctx.app.BtnKonfigurieren, true);
        if (letter != QLatin1String("x"))
            setButtonEnabled(ctx.app.BtnAuslesen, true);
    } while (state.errorFlag && state.retryCounter != 0);

    if (state.errorFlag)
        ctx.reportCommunicationError();
    if (carrierWasStreaming)
        ctx.host.performClick(ctx.app.BtnStartHF_Test);
    computeRbw(ctx);
}
