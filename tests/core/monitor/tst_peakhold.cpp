#include "monitor/peakhold.h"

#include <QtTest>

// A slot fed one reading per sweep, the ring position j running 1 to W and back to 1.
class TestPeakHold : public QObject
{
    Q_OBJECT
private slots:
    void sweeps_data();
    void sweeps();
    void smoothing_data();
    void smoothing();
    void resetState();
};

void TestPeakHold::sweeps_data()
{
    QTest::addColumn<QList<int>>("readings");
    QTest::addColumn<int>("window");
    QTest::addColumn<bool>("keepPeak");
    QTest::addColumn<QList<int>>("peaks"); // peak after each reading
    QTest::addColumn<int>("peakPosition"); // after the last reading

    QTest::newRow("level follows without smoothing")
        << QList<int>{-90, -70, -100, -70} << 20 << false << QList<int>{-90, -70, -70, -70} << 2;

    // A strong reading followed only by weaker ones is the peak for exactly W sweeps.
    {
        QList<int> readings{-60};
        QList<int> peaks{-60};
        for (int sweep = 2; sweep <= 21; ++sweep) {
            readings << -100;
            peaks << (sweep <= 20 ? -60 : -100);
        }
        QTest::newRow("peak held for the window, then dropped")
            << readings << 20 << false << peaks << 1;
    }
    // Once the peak's entry is overwritten, the search finds the next maximum: the lowest
    // position holding it.
    {
        const QList<int> readings{-60, -70, -80, -70, -100, -100, -100, -100, -100, -100, -100};
        QList<int> peaks{-60, -60, -60, -60, -60, -60, -60, -60, -60, -60, -70};
        QTest::newRow("search finds the next maximum") << readings << 10 << false << peaks << 2;
    }
    {
        QList<int> readings{-60, -60, -60};
        QTest::newRow("equal values keep the older position")
            << readings << 20 << false << QList<int>{-60, -60, -60} << 1;
    }
    {
        QList<int> readings{-60};
        QList<int> peaks{-60};
        for (int sweep = 2; sweep <= 45; ++sweep) {
            readings << -100;
            peaks << -60;
        }
        QTest::newRow("kept peak outlives the window") << readings << 20 << true << peaks << 1;
    }
    // W = 400: positions 256 and above are held and found like the others.
    {
        QList<int> readings;
        QList<int> peaks;
        for (int sweep = 1; sweep <= 401; ++sweep) {
            readings << (sweep == 300 ? -65 : sweep == 399 ? -75 : -100);
            peaks << (sweep < 300 ? -100 : -65);
        }
        readings << -100;
        peaks << -65;
        QTest::newRow("window of 400 sweeps") << readings << 400 << false << peaks << 300;
    }
    {
        QList<int> readings;
        QList<int> peaks;
        for (int sweep = 1; sweep <= 700; ++sweep) {
            readings << (sweep == 300 ? -65 : sweep == 399 ? -75 : -100);
            peaks << (sweep < 300 ? -100 : sweep < 700 ? -65 : -75);
        }
        QTest::newRow("position 300 overwritten: 399 found")
            << readings << 400 << false << peaks << 399;
    }
    QTest::newRow("strongest byte shows as 127")
        << QList<int>{127, -128} << 20 << false << QList<int>{127, 127} << 1;
}

void TestPeakHold::sweeps()
{
    QFETCH(QList<int>, readings);
    QFETCH(int, window);
    QFETCH(bool, keepPeak);
    QFETCH(QList<int>, peaks);
    QFETCH(int, peakPosition);

    SlotMeasurement slot;
    int j = 1;
    for (int i = 0; i < readings.size(); ++i) {
        const int v = takeReading(slot, readings[i], 0, j, window, keepPeak);
        QCOMPARE(v, readings[i]);
        QVERIFY2(slot.peak() == peaks[i], qPrintable(QStringLiteral("sweep %1: peak %2, not %3")
                                                         .arg(i + 1)
                                                         .arg(slot.peak())
                                                         .arg(peaks[i])));
        j = j == window ? 1 : j + 1;
    }
    QCOMPARE(slot.peakPosition, peakPosition);
}

void TestPeakHold::smoothing_data()
{
    QTest::addColumn<int>("mean");
    QTest::addColumn<QList<int>>("readings");
    QTest::addColumn<double>("level");
    QTest::addColumn<int>("shown");
    QTest::newRow("off: level equals the reading") << 0 << QList<int>{-70} << -70.0 << -70;
    QTest::newRow("strongest: one eleventh of the way from -128")
        << 10 << QList<int>{-70} << -128.0 + 58.0 / 11.0 << -123;
    QTest::newRow("halves round to even") << 1 << QList<int>{-127} << -127.5 << -128;
    QTest::newRow("half way up rounds to even") << 1 << QList<int>{-125} << -126.5 << -126;
    QTest::newRow("two sweeps at mean 1")
        << 1 << QList<int>{-100, -100} << -128.0 + 14.0 + 7.0 << -107;
}

void TestPeakHold::smoothing()
{
    QFETCH(int, mean);
    QFETCH(QList<int>, readings);
    QFETCH(double, level);
    QFETCH(int, shown);
    SlotMeasurement slot;
    int v = 0;
    for (int j = 1; j <= readings.size(); ++j)
        v = takeReading(slot, readings[j - 1], mean, j, 20, false);
    QCOMPARE(slot.level, level);
    QCOMPARE(v, shown);
    QCOMPARE(slot.peak(), shown);
}

void TestPeakHold::resetState()
{
    SlotMeasurement slot;
    for (int j = 1; j <= 30; ++j)
        takeReading(slot, -61, 3, j, 40, false);
    slot.reset();
    QCOMPARE(slot.level, -128.0);
    QCOMPARE(slot.peakPosition, 1);
    for (int p = 1; p <= SlotMeasurement::kHistorySize; ++p)
        QCOMPARE(int(slot.history[p]), -128);
}

QTEST_APPLESS_MAIN(TestPeakHold)
#include "tst_peakhold.moc"
