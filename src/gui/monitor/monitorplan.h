#pragma once

#include "monitor/monitorenvironment.h"
#include "monitor/monitorpage.h"

#include <QList>
#include <QObject>

class TDlg_frq;

// The frequency plan of the monitor: Autoset lays the band's fixed 30-channel plan, FrqSet asks
// for a centre and span and lays channels over it, FrqClear empties every slot.
class MonitorPlan : public QObject
{
    Q_OBJECT
public:
    MonitorPlan(MonitorControls &controls, const MonitorEnvironment &environment, TDlg_frq *dialog,
                QObject *parent = nullptr);

    void BtnMonitor_AutosetClick();
    void BtnMonitor_FrqSetClick();
    void BtnMonitor_FrqClearClick();

    // Selects the items in the channel boxes of slots 1, 2, ..., sets the monitor step to the
    // spacing and rewrites the bandwidth/step line.
    void placePlan(const QList<int> &items, double spacing);

private:
    void message(const QString &german, const QString &english);

    MonitorControls &c;
    MonitorEnvironment env;
    TDlg_frq *m_dialog;
};
