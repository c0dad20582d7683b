#include "support_sim.h"

#include "link/comport.h"
#include "monitor/monitorhandlers.h"
#include "monitor/monitorsweep.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTest>

// The monitor of the tool sweeping the synthetic spectrum of korvel-sim's module, in process: a
// reading waits 15 ms for its answer.
class TestEndToEndMonitor : public QObject
{
    Q_OBJECT
private slots:
    void autosetSweepFindsTheCarriers_data();
    void autosetSweepFindsTheCarriers();
};

void TestEndToEndMonitor::autosetSweepFindsTheCarriers_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("baud");
    QTest::addColumn<QList<int>>("carrierSlots"); // slot numbers that lie on a carrier
    QTest::addColumn<QList<int>>("carrierLevels");
    // Autoset puts items 2, 39 and 136 (channels 3, 40 and 137) into slots 1, 9 and 30 in the
    // 433 MHz band, and items 2, 50 and 156 (channels 3, 51, 157) into slots 1, 10 and 30 in the
    // 868 MHz band.
    QTest::newRow("B module, 433 MHz, 19200 baud")
        << QStringList{"--type",    "B",        "--band",    "433",      "--carrier", "K003:-62",
                       "--carrier", "K040:-70", "--carrier", "K137:-80", "--carrier", "K004:-65"}
        << "19200" << QList<int>{1, 9, 30} << QList<int>{-62, -70, -80};
    QTest::newRow("C module, 868 MHz, 19200 baud")
        << QStringList{"--carrier", "K003:-75", "--carrier", "K051:-64", "--carrier", "K157:-90"}
        << "19200" << QList<int>{1, 10, 30} << QList<int>{-75, -64, -90};
    QTest::newRow("B module, 433 MHz, 115200 baud")
        << QStringList{"--type", "B", "--band", "433", "--carrier", "K040:-66"} << "115200"
        << QList<int>{9} << QList<int>{-66};
}

void TestEndToEndMonitor::autosetSweepFindsTheCarriers()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, baud);
    QFETCH(QList<int>, carrierSlots);
    QFETCH(QList<int>, carrierLevels);

    InProcessSim sim;
    QVERIFY2(sim.start(arguments), qPrintable(sim.error()));
    SimWindow window(SimWindow::InProcess);
    TForm1 &form = *window.form;
    window.connectTo(sim.devicePath(), baud);
    QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.join('|') + sim.log()));

    window.button("BtnMonitor_Autoset")->click();
    QPushButton *start = window.button("BtnMonitor_Start");
    int sweeps = 0;
    connect(form.monitorHandlers().sweep(), &MonitorSweep::sweepCompleted, this, [&] {
        if (++sweeps == 3)
            start->click();
    });
    start->click();
    QVERIFY2(window.messages.isEmpty(), qPrintable(window.messages.join('|') + sim.log()));
    QCOMPARE(sweeps, 3);

    // The carriers stand out of the noise floor in exactly their slots; a carrier between two
    // planned channels is not seen.
    QList<int> found;
    for (int n = 0; n < 30; ++n) {
        const QByteArray slot = QByteArray::number(n + 1);
        const int level =
            window.find<QProgressBar>(("GaugeMonitor_akt_C" + slot).constData())->value();
        const int peak =
            window.find<QProgressBar>(("GaugeMonitor_peak_C" + slot).constData())->value();
        QVERIFY(peak >= level);
        if (peak > -100)
            found << n + 1;
        const int k = int(carrierSlots.indexOf(n + 1));
        if (k >= 0) {
            QVERIFY2(qAbs(level - carrierLevels[k]) <= 2, qPrintable(QString::number(level)));
        } else {
            QVERIFY2(level <= -113 && level >= -117, qPrintable(QString::number(level)));
        }
    }
    QCOMPARE(found, carrierSlots);
    QCOMPARE(form.port().readTimeout(), 500);
}

QTEST_MAIN(TestEndToEndMonitor)
#include "tst_e2e_monitor.moc"
