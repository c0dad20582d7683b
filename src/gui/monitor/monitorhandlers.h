#pragma once

#include "monitor/csvexport.h"
#include "monitor/monitorenvironment.h"
#include "monitor/monitorpage.h"

#include <QObject>

#include <functional>

class Activities;
class MonitorPlan;
class MonitorSweep;
class SpectrumView;
class TDlg_frq;

// The monitor page's behaviour: the sweep, the frequency plan with its dialog, the CSV export
// and the spectrum picture, connected to the page's controls.
class MonitorHandlers : public QObject
{
    Q_OBJECT
public:
    // Runs a handler so that failures of the serial port reach the user (the window's guard).
    using Guard = std::function<void(const std::function<void()> &)>;
    using FileChooser = std::function<QString()>;

    // window is the parent of the page's dialogs and the spectrum picture. startGuard runs the
    // start button's click: the window's guard and its rule for the line.
    MonitorHandlers(MonitorControls &controls, const MonitorEnvironment &environment,
                    Activities &activities, QWidget *window, const Guard &guard,
                    const Guard &startGuard);
    ~MonitorHandlers() override;

    // Captions of the export, the spectrum view and the dialog for the language. A running
    // sweep keeps its "Stop" caption, which the window's text tables would reset to "Start".
    void applyLanguage(int languageIndex, bool sweepRunning = false);

    // Replaces the save-file dialog of the export (tests); an empty chooser restores it.
    static void setExportFileChooserForTest(FileChooser chooser);

    // The window disconnected: an empty plan, the start button usable again.
    void disconnected();

    void BtnMonitor_ExportClick();
    void BtnMonitor_SpektrumClick();

    MonitorSweep *sweep() const { return m_sweep; }
    MonitorPlan *plan() const { return m_plan; }
    TDlg_frq *dialog() const { return m_dialog; }
    SpectrumView *spectrumView() const { return m_spectrum; }
    bool exporting() const { return m_csv.isOpen(); }

    // The active slots with their shown level and peak, slot 1 first.
    QList<SlotReading> activeReadings() const;

private:
    void sweepCompleted();
    void showExportCaption();
    void stopExport();

    MonitorControls &c;
    MonitorEnvironment env;
    QWidget *m_window;
    TDlg_frq *m_dialog;
    MonitorSweep *m_sweep;
    MonitorPlan *m_plan;
    SpectrumView *m_spectrum = nullptr;
    SweepCsvFile m_csv;
};
