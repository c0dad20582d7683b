#pragma once

#include "rf/linkhistory.h"
#include "rf/linkhistorycsv.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class Activities;
class LinkControl;
class LinkHistoryWindow;
class QPushButton;
class QWidget;

// Keeps what LinkControl measures beyond the current values: the history behind the "Verlauf"
// window and the CSV export of "Export CSV". A cycle only stores its values here. The drawing
// (at most twice a second) and the writing (once a second) wait until the next cycle has sent
// "L" and purged the port: from then to the read nothing depends on the moment, whereas a purge
// made late would throw the answer away. A failing export ends with a message that does not
// wait, so the run goes on.
class LinkRecorder : public QObject
{
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 500;
    static constexpr int kFlushMs = 1000;

    // window is the parent of the history window and of the messages.
    LinkRecorder(LinkControl &linkControl, QPushButton *BtnLinkControl_Verlauf,
                 QPushButton *BtnLinkControl_Export, const int *languageIndex,
                 const Activities &activities, QWidget *window);
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
    void afterPurge();
    void statisticsCleared();
    void startExport(const QString &path);
    void flushExport();
    void stopExport();
    void showExportCaption();
    void notify(const QString &german, const QString &english) const;

    LinkControl &m_linkControl;
    QPushButton *m_historyButton;
    QPushButton *m_exportButton;
    const int *m_languageIndex;
    const Activities &m_activities;
    QWidget *m_window;
    LinkHistory m_history;
    LinkCsvFile m_csv;
    QTimer m_afterPurge;
    QElapsedTimer m_clock;
    qint64 m_lastRefreshMs = -kRefreshMs;
    qint64 m_lastFlushMs = 0;
    QPointer<LinkHistoryWindow> m_view;
};
