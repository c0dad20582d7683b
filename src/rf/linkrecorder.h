#pragma once

#include "rf/linkhistory.h"
#include "rf/linkhistorycsv.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class LinkControl;
class LinkHistoryWindow;
class QPushButton;
class QWidget;

// Keeps what LinkControl measures beyond the current values: the history behind the "Verlauf"
// window and the CSV export of "Export CSV". Each cycle only stores its values here; the window
// redraws on its own timer and the export writes once a second, outside the cycles' timing. A
// failing export ends with a message that does not wait, so the run goes on.
class LinkRecorder : public QObject
{
    Q_OBJECT
public:
    static constexpr int kFlushMs = 1000;

    LinkRecorder(LinkControl &linkControl, QPushButton *BtnLinkControl_Verlauf,
                 QPushButton *BtnLinkControl_Export, const int *languageIndex, QWidget *window);
    ~LinkRecorder() override;

    // Tests name the export file instead of the save dialog.
    using FileChooser = std::function<QString()>;
    static void setExportFileChooserForTest(FileChooser chooser);

    void BtnLinkControl_VerlaufClick();
    void BtnLinkControl_ExportClick();
    // Sets the texts that depend on the state (the export button's caption, the window's).
    void applyLanguage();

    const LinkHistory &history() const { return m_history; }
    LinkHistoryWindow *historyWindow() const;
    bool exporting() const { return m_csv.isOpen(); }

private:
    void cycleFinished(const LinkCycle &cycle);
    void statisticsCleared();
    void startExport(const QString &path);
    void flushExport();
    void stopExport();
    void showExportCaption();
    void notify(const QString &german, const QString &english) const;

    QPushButton *m_historyButton;
    QPushButton *m_exportButton;
    const int *m_languageIndex;
    QWidget *m_window;
    LinkHistory m_history;
    LinkCsvFile m_csv;
    QTimer m_flushTimer;
    QPointer<LinkHistoryWindow> m_view;
};
