#include "support_sim.h"

#include "rf/linkhistorywindow.h"
#include "rf/linkrecorder.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

// A LinkControl run of the real tool against korvel-sim, whose free module loses every fourth
// exchange, with the history window open and the CSV export running.
class TestEndToEndLinkHistory : public QObject
{
    Q_OBJECT
private slots:
    void exportShowsEveryFourthCycleLost();
};

void TestEndToEndLinkHistory::exportShowsEveryFourthCycleLost()
{
    SimProcess sim;
    QVERIFY2(sim.start({"--link", "bytes=5,s1=-70,n1=-104,s2=-72,n2=-106,loss=0.25,delay=100"}),
             qPrintable(SimProcess::program()));
    SimWindow window;
    window.connectTo(sim.devicePath(), QStringLiteral("19200"));
    QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.join('|') + sim.log()));
    window.find<QTabWidget>("PageControl1")->setCurrentWidget(window.find("HF_Test"));
    window.find<QLineEdit>("EditLinkControl_Interval")->setText(QStringLiteral("200"));

    const QString path = window.dir.filePath(QStringLiteral("range-test.csv"));
    LinkRecorder::setExportFileChooserForTest([path] { return path; });
    window.button("BtnLinkControl_Export")->click();
    LinkRecorder::setExportFileChooserForTest({});
    window.button("BtnLinkControl_Verlauf")->click();

    // Stop comes in the wait after the eleventh cycle; the twelfth is the last.
    auto *sent = window.find<QLineEdit>("EditLinkControl_txStatistik");
    auto *start = window.button("BtnStartLinkControl");
    connect(sent, &QLineEdit::textChanged, this, [start](const QString &text) {
        if (text == QLatin1String("11"))
            QTimer::singleShot(0, start, [start] { start->click(); });
    });
    start->click();
    window.button("BtnLinkControl_Export")->click();
    QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.join('|')));
    QCOMPARE(window.text("EditLinkControl_txStatistik"), QStringLiteral("12"));
    QCOMPARE(window.text("EditLinkControl_nokStatistik"), QStringLiteral("3"));

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 13);
    QStringList results;
    for (const QString &line : lines.mid(1)) {
        const QStringList fields = line.split(',');
        QCOMPARE(fields.size(), 9);
        QVERIFY2(QDateTime::fromString(fields[0], Qt::ISODateWithMs).isValid(), qPrintable(line));
        results << fields[1] + ':' + fields[2];
        if (fields[2] == QLatin1String("received"))
            QCOMPARE(fields.mid(3), (QStringList{"-70", "-104", "-72", "-106", "34", "34"}));
        else
            QCOMPARE(fields.mid(3), QStringList(6, QString()));
    }
    QCOMPARE(results, (QStringList{"1:received", "2:received", "3:received", "4:lost", "5:received",
                                   "6:received", "7:received", "8:lost", "9:received",
                                   "10:received", "11:received", "12:lost"}));

    auto *view = window.form->findChild<LinkHistoryWindow *>(QStringLiteral("LinkHistoryWindow"));
    QVERIFY(view && view->isVisible());
    view->refresh();
    QCOMPARE(view->lostMarks().size(), 3);
    QCOMPARE(view->points(LinkHistory::S1).size(), 9);
}

QTEST_MAIN(TestEndToEndLinkHistory)
#include "tst_e2e_linkhistory.moc"
