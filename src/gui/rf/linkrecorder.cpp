#include "rf/linkrecorder.h"

#include "rf/linkcontrol.h"
#include "rf/linkhistorywindow.h"
#include "texts/languagetexts.h"
#include "texts/messages.h"
#include "window/activities.h"

#include <QFileDialog>
#include <QPushButton>

namespace
{

LinkRecorder::FileChooser &fileChooser()
{
    static LinkRecorder::FileChooser chooser;
    return chooser;
}

} // namespace

LinkRecorder::LinkRecorder(LinkControl &linkControl, QPushButton *BtnLinkControl_Verlauf,
                           QPushButton *BtnLinkControl_Export, const int *languageIndex,
                           const Activities &activities, QWidget *window)
    : m_linkControl(linkControl), m_historyButton(BtnLinkControl_Verlauf),
      m_exportButton(BtnLinkControl_Export), m_languageIndex(languageIndex),
      m_activities(activities), m_window(window)
{
    connect(&linkControl, &LinkControl::cycleFinished, this, &LinkRecorder::cycleFinished);
    connect(&linkControl, &LinkControl::statisticsCleared, this, &LinkRecorder::statisticsCleared);
    connect(m_historyButton, &QPushButton::clicked, this,
            &LinkRecorder::BtnLinkControl_VerlaufClick);
    connect(m_exportButton, &QPushButton::clicked, this, &LinkRecorder::BtnLinkControl_ExportClick);
    m_afterPurge.setSingleShot(true);
    m_afterPurge.setTimerType(Qt::PreciseTimer);
    connect(&m_afterPurge, &QTimer::timeout, this, &LinkRecorder::afterPurge);
    m_clock.start();
}

LinkRecorder::~LinkRecorder()
{
    // The window reads the history kept here.
    delete m_view;
    m_csv.close();
}

LinkHistoryWindow *LinkRecorder::historyWindow() const
{
    return m_view;
}

void LinkRecorder::setExportFileChooserForTest(FileChooser chooser)
{
    fileChooser() = std::move(chooser);
}

void LinkRecorder::cycleFinished(const LinkCycle &cycle)
{
    m_history.add(cycle);
    if (m_csv.isOpen())
        m_csv.append(cycle);
    // The next "L" follows at once; one tick after its answer wait the port has been purged.
    m_afterPurge.start(m_linkControl.answerWaitMs() + 1);
}

void LinkRecorder::afterPurge()
{
    // After the last cycle of a run everything is brought up to date.
    const bool ended = !m_activities.linkControlRunning();
    const qint64 now = m_clock.elapsed();
    if (m_view && m_view->isVisible() && (ended || now - m_lastRefreshMs >= kRefreshMs)) {
        m_lastRefreshMs = now;
        m_view->refresh();
    }
    if (m_csv.isOpen() && (ended || now - m_lastFlushMs >= kFlushMs)) {
        m_lastFlushMs = now;
        flushExport();
    }
}

void LinkRecorder::statisticsCleared()
{
    m_history.clear();
    if (m_view)
        m_view->refresh();
}

void LinkRecorder::BtnLinkControl_VerlaufClick()
{
    if (!m_view) {
        m_view = new LinkHistoryWindow(m_history, m_window);
        m_view->applyLanguage(*m_languageIndex);
    }
    m_view->show();
    m_view->raise();
    m_view->activateWindow();
}

void LinkRecorder::BtnLinkControl_ExportClick()
{
    if (m_csv.isOpen()) {
        stopExport();
        return;
    }
    if (fileChooser()) {
        const QString path = fileChooser()();
        if (!path.isEmpty())
            startExport(path);
        return;
    }
    // The dialog does not wait in a loop of its own, so that a running measurement goes on
    // while the user picks the file.
    const bool german = *m_languageIndex == 0;
    auto *dialog = new QFileDialog(
        m_window, QStringLiteral("Export CSV"), QStringLiteral("linkcontrol.csv"),
        german ? QStringLiteral("CSV-Dateien (*.csv)") : QStringLiteral("CSV files (*.csv)"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("csv"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, &LinkRecorder::startExport);
    dialog->open();
}

void LinkRecorder::startExport(const QString &path)
{
    if (path.isEmpty() || m_csv.isOpen())
        return;
    if (!m_csv.open(path)) {
        const QString reason = m_csv.errorString();
        notify(QString::fromUtf8(Messages::kExportNotCreated.german) + reason,
               QString::fromUtf8(Messages::kExportNotCreated.english) + reason);
        return;
    }
    m_lastFlushMs = m_clock.elapsed();
    showExportCaption();
}

void LinkRecorder::flushExport()
{
    if (!m_csv.isOpen() || m_csv.flush())
        return;
    const QString reason = m_csv.errorString();
    stopExport();
    notify(QString::fromUtf8(Messages::kExportNotWritten.german) + reason,
           QString::fromUtf8(Messages::kExportNotWritten.english) + reason);
}

void LinkRecorder::stopExport()
{
    const bool written = m_csv.close();
    showExportCaption();
    if (!written) {
        const QString reason = m_csv.errorString();
        notify(QString::fromUtf8(Messages::kExportNotWritten.german) + reason,
               QString::fromUtf8(Messages::kExportNotWritten.english) + reason);
    }
}

void LinkRecorder::showExportCaption()
{
    const MessageText &caption = m_csv.isOpen() ? kLinkExportStopCaption : kLinkExportCaption;
    m_exportButton->setText(
        QString::fromUtf8(*m_languageIndex == 0 ? caption.german : caption.english));
}

void LinkRecorder::applyLanguage()
{
    showExportCaption();
    if (m_view)
        m_view->applyLanguage(*m_languageIndex);
}

void LinkRecorder::notify(const QString &german, const QString &english) const
{
    Messages::notify(m_window, Messages::choose(*m_languageIndex, german, english));
}
