#include "support_window.h"

#include "rf/linkhistorywindow.h"
#include "rf/linkrecorder.h"

#include <QFile>
#include <QFileInfo>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <functional>

#include <sys/resource.h>

namespace
{

constexpr int kInterval = 200;

// A C module at 19200 baud whose free partner loses every fourth exchange, the RF-tests page
// shown, in English.
struct HistoryRig : WindowRig {
    HistoryRig() : WindowRig(configFor())
    {
        form->setLanguageIndex(1);
        connectModule();
        find<QTabWidget>("PageControl1")->setCurrentWidget(find<QWidget>("HF_Test"));
        find<QLineEdit>("EditLinkControl_Interval")->setText(QString::number(kInterval));
    }
    ~HistoryRig() { LinkRecorder::setExportFileChooserForTest({}); }
    static EmulatorConfig configFor()
    {
        EmulatorConfig config;
        config.link.lossRate = 0.25;
        // Far from the purge and from the read, so a busy machine cannot cut an answer.
        config.link.answerDelayMs = kInterval / 2;
        return config;
    }

    // Runs `cycles` cycles (at least 2); onCycle sees each cycle's number as the sent counter
    // goes up. Stop lands in the wait of the next cycle, which is the last.
    void run(int cycles, const std::function<void(int)> &onCycle = {})
    {
        QLineEdit *sent = find<QLineEdit>("EditLinkControl_txStatistik");
        int cycle = 0;
        auto watch = QObject::connect(sent, &QLineEdit::textChanged, [&](const QString &t) {
            if (t == QLatin1String("0"))
                return;
            ++cycle;
            if (onCycle)
                onCycle(cycle);
            if (cycle == cycles - 1)
                QTimer::singleShot(0, form.get(),
                                   [this] { button("BtnStartLinkControl")->click(); });
        });
        button("BtnStartLinkControl")->click();
        QObject::disconnect(watch);
    }
    QStringList csvLines(const QString &path) const
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
};

} // namespace

class TestLinkHistoryWindow : public QObject
{
    Q_OBJECT
private slots:
    void chartFollowsTheRunAndClearEmptiesIt();
    void exportWritesARowPerCycleMatchingTheCounters();
    void exportFailuresGiveAMessageAndTheRunGoesOn();
};

void TestLinkHistoryWindow::chartFollowsTheRunAndClearEmptiesIt()
{
    HistoryRig rig;
    rig.button("BtnLinkControl_Verlauf")->click();
    auto *view = rig.form->findChild<LinkHistoryWindow *>(QStringLiteral("LinkHistoryWindow"));
    QVERIFY(view);
    QVERIFY(view->isVisible());
    QCOMPARE(view->windowTitle(), QStringLiteral("LinkControl – history"));

    // While the run goes on the chart catches up with it, at most twice a second (every third
    // cycle of 200 ms); when the run has ended it shows every cycle.
    QList<int> shown;
    rig.run(8, [&](int) { shown << view->points(LinkHistory::Share).size(); });
    QCOMPARE(shown.size(), 8);
    QVERIFY2(shown[1] >= 1 && shown[6] > shown[1] && shown[7] < 8,
             qPrintable(QString::number(shown[1]) + ' ' + QString::number(shown[7])));
    QVERIFY(std::is_sorted(shown.begin(), shown.end()));
    QTRY_COMPARE(view->points(LinkHistory::Share).size(), 8);
    QVERIFY(rig.messages.isEmpty());
    QCOMPARE(rig.text("EditLinkControl_nokStatistik"), QStringLiteral("2"));

    // Cycles 4 and 8 are lost: no levels there, a mark on the time axis instead.
    const QList<QPointF> s1 = view->points(LinkHistory::S1);
    QCOMPARE(s1.size(), 6);
    QCOMPARE(s1.first().y(), -70.0);
    QCOMPARE(view->points(LinkHistory::N2).last().y(), -106.0);
    const QList<QPointF> share = view->points(LinkHistory::Share);
    QCOMPARE(share.size(), 8);
    QCOMPARE(share[3].y(), 75.0);
    QCOMPARE(share.last().y(), 75.0);
    const QList<QPointF> lost = view->lostMarks();
    QCOMPARE(lost.size(), 2);
    QCOMPARE(lost[0].x(), share[3].x());
    QCOMPARE(lost[1].x(), share[7].x());
    QVERIFY(s1[2].x() < lost[0].x() && lost[0].x() < s1[3].x());

    // Closed and opened again after the run, it shows the whole run.
    view->close();
    rig.button("BtnLinkControl_Verlauf")->click();
    QCOMPARE(view->points(LinkHistory::Share).size(), 8);

    rig.button("BtnLinkControl_Clear")->click();
    QCOMPARE(rig.form->linkRecorder().history().cycles(), 0);
    QVERIFY(view->points(LinkHistory::Share).isEmpty());
    QVERIFY(view->lostMarks().isEmpty());

    // A language switch renames the buttons and the window.
    rig.form->setLanguageIndex(0);
    QCOMPARE(rig.button("BtnLinkControl_Verlauf")->text(), QStringLiteral("Verlauf"));
    QCOMPARE(rig.button("BtnLinkControl_Export")->text(), QStringLiteral("Export CSV"));
    QCOMPARE(view->windowTitle(), QStringLiteral("LinkControl – Verlauf"));
    rig.form->setLanguageIndex(1);
    QCOMPARE(rig.button("BtnLinkControl_Verlauf")->text(), QStringLiteral("History"));
}

void TestLinkHistoryWindow::exportWritesARowPerCycleMatchingTheCounters()
{
    HistoryRig rig;
    const QString path = rig.dir.filePath(QStringLiteral("link.csv"));
    LinkRecorder::setExportFileChooserForTest([path] { return path; });
    QPushButton *exportButton = rig.button("BtnLinkControl_Export");
    exportButton->click();
    QCOMPARE(exportButton->text(), QStringLiteral("Stop export"));
    // The caption keeps the export's state through a language switch.
    rig.form->setLanguageIndex(0);
    QCOMPARE(exportButton->text(), QStringLiteral("Export beenden"));
    rig.form->setLanguageIndex(1);
    QCOMPARE(exportButton->text(), QStringLiteral("Stop export"));

    // The file is written once a second while the run goes on: the first lines are there
    // after 1.4 s, the rest come when the run has ended.
    int linesDuringRun = 0;
    rig.run(9, [&](int cycle) {
        if (cycle == 8)
            linesDuringRun = rig.csvLines(path).size();
    });
    QVERIFY2(linesDuringRun > 1 && linesDuringRun < 9, qPrintable(QString::number(linesDuringRun)));
    QTRY_COMPARE(rig.csvLines(path).size(), 10);
    exportButton->click();
    QCOMPARE(exportButton->text(), QStringLiteral("Export CSV"));
    QVERIFY(rig.messages.isEmpty());

    const QStringList lines = rig.csvLines(path);
    QCOMPARE(lines.first(),
             QStringLiteral(
                 "timestamp,cycle,result,s1_dbm,n1_dbm,s2_dbm,n2_dbm,snr1_db,snr2_db,pc_late_ms"));
    QCOMPARE(lines.size() - 1, rig.text("EditLinkControl_txStatistik").toInt());
    int lostRows = 0;
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(QLatin1Char(','));
        QCOMPARE(fields.size(), 10);
        QCOMPARE(fields[1].toInt(), i);
        if (fields[2] == QLatin1String("lost")) {
            ++lostRows;
            QCOMPARE(i % 4, 0);
        } else {
            QCOMPARE(fields.mid(2, 7),
                     (QStringList{"received", "-70", "-104", "-72", "-106", "34", "34"}));
        }
    }
    QCOMPARE(lostRows, rig.text("EditLinkControl_nokStatistik").toInt());
    QCOMPARE(lines.size() - 1 - lostRows, rig.text("EditLinkControl_rxStatistik").toInt());
}

void TestLinkHistoryWindow::exportFailuresGiveAMessageAndTheRunGoesOn()
{
    HistoryRig rig;
    QPushButton *exportButton = rig.button("BtnLinkControl_Export");
    // A folder is not a file to write to.
    LinkRecorder::setExportFileChooserForTest([&rig] { return rig.dir.path(); });
    exportButton->click();
    QCOMPARE(rig.messages, QStringList{QStringLiteral(
                               "Could not create the export file!\r\nNot a regular file")});
    QCOMPARE(exportButton->text(), QStringLiteral("Export CSV"));
    rig.messages.clear();

    // The disk fills up during the run (a file-size limit stands in for it).
    const QString path = rig.dir.filePath(QStringLiteral("link.csv"));
    LinkRecorder::setExportFileChooserForTest([path] { return path; });
    exportButton->click();
    QCOMPARE(exportButton->text(), QStringLiteral("Stop export"));
    struct rlimit old {
    };
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old;
    limited.rlim_cur = rlim_t(QFileInfo(path).size() + 10);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    int failedAt = 0;
    rig.run(9, [&](int cycle) {
        if (failedAt == 0 && !rig.messages.isEmpty())
            failedAt = cycle;
    });
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);

    QCOMPARE(rig.messages,
             QStringList{QStringLiteral("Could not write the export file!\r\nFile too large")});
    QVERIFY2(failedAt > 0 && failedAt < 9, qPrintable(QString::number(failedAt)));
    QCOMPARE(exportButton->text(), QStringLiteral("Export CSV"));
    QCOMPARE(rig.text("EditLinkControl_txStatistik"), QStringLiteral("9"));
    // Only the header made it; no part of a line is left behind.
    QCOMPARE(rig.csvLines(path), QStringList{rig.csvLines(path).value(0)});
    QVERIFY(rig.csvLines(path).value(0).startsWith(QStringLiteral("timestamp,")));
}

QTEST_MAIN(TestLinkHistoryWindow)
#include "tst_linkhistorywindow.moc"
