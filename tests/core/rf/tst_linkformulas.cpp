#include "rf/linkformulas.h"

#include <QTest>

#include <limits>

using namespace LinkFormulas;

class TestLinkFormulas : public QObject
{
    Q_OBJECT
private slots:
    void answerWaitMilliseconds_data();
    void answerWaitMilliseconds();
    void minimumIntervalTable_data();
    void minimumIntervalTable();
    void typedIntervalAgainstTheMinimum_data();
    void typedIntervalAgainstTheMinimum();
    void percentagesInGeneralFormat_data();
    void percentagesInGeneralFormat();
    void percentagesOfRunsBeyondTwoBillionCycles();
    void answersGiveSamples_data();
    void answersGiveSamples();
    void averagingFollowsTheTrackBar_data();
    void averagingFollowsTheTrackBar();
    void peakHoldOverTheWindow_data();
    void peakHoldOverTheWindow();
    void peakHoldSharesTheWriteSlot();
};

void TestLinkFormulas::answerWaitMilliseconds_data()
{
    QTest::addColumn<int>("hf");
    QTest::addColumn<int>("rs");
    QTest::addColumn<bool>("sensitive");
    QTest::addColumn<int>("expected");
    QTest::newRow("9600/9600") << 9600 << 9600 << false << 25;
    QTest::newRow("1200/1200") << 1200 << 1200 << false << 201;
    QTest::newRow("38400/115200") << 38400 << 115200 << false << 4;
    QTest::newRow("9600/19200") << 9600 << 19200 << false << 20;
    QTest::newRow("sensitive 9600/9600") << 9600 << 9600 << true << 11;
    QTest::newRow("sensitive 1200/1200") << 1200 << 1200 << true << 90;
}

void TestLinkFormulas::answerWaitMilliseconds()
{
    QFETCH(int, hf);
    QFETCH(int, rs);
    QFETCH(bool, sensitive);
    QFETCH(int, expected);
    QCOMPARE(answerWait(hf, rs, sensitive), expected);
}

void TestLinkFormulas::minimumIntervalTable_data()
{
    QTest::addColumn<int>("hf");
    QTest::addColumn<int>("rs");
    QTest::addColumn<int>("hfPosition");
    QTest::addColumn<int>("rsPosition");
    QTest::addColumn<bool>("sensitive");
    QTest::addColumn<int>("expected");
    const int hfRates[] = {1200, 2400, 4800, 9600, 19200, 38400};
    const int rsRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    const int table[6][8] = {
        {324, 251, 214, 279, 270, 265, 263, 262}, {240, 167, 130, 153, 144, 139, 137, 136},
        {198, 125, 88, 69, 81, 76, 74, 73},       {177, 104, 67, 48, 49, 45, 43, 42},
        {167, 93, 56, 38, 33, 29, 27, 26},        {162, 88, 51, 32, 26, 22, 20, 19},
    };
    for (int h = 0; h < 6; ++h) {
        for (int r = 0; r < 8; ++r) {
            QTest::addRow("%d/%d", hfRates[h], rsRates[r])
                << hfRates[h] << rsRates[r] << h << r << false << table[h][r];
        }
    }
    QTest::newRow("sensitive 9600/9600") << 9600 << 9600 << 3 << 3 << true << 23;
    QTest::newRow("sensitive 1200/1200") << 1200 << 1200 << 0 << 0 << true << 122;
    QTest::newRow("sensitive 38400/115200") << 38400 << 115200 << 5 << 7 << true << 12;
}

void TestLinkFormulas::minimumIntervalTable()
{
    QFETCH(int, hf);
    QFETCH(int, rs);
    QFETCH(int, hfPosition);
    QFETCH(int, rsPosition);
    QFETCH(bool, sensitive);
    QFETCH(int, expected);
    QCOMPARE(minLinkInterval(hf, rs, hfPosition, rsPosition, sensitive), expected);
}

void TestLinkFormulas::typedIntervalAgainstTheMinimum_data()
{
    QTest::addColumn<qint64>("typed");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<int>("raised"); // the run's interval on Yes
    QTest::addColumn<int>("kept");   // and on No
    // The minimum is 49 ms here; a run takes 1 to 60000 ms.
    QTest::newRow("the minimum") << qint64(49) << false << false << 49 << 49;
    QTest::newRow("just above a minute") << qint64(60001) << true << false << 0 << 0;
    QTest::newRow("just below the minimum") << qint64(48) << false << true << 49 << 48;
    QTest::newRow("zero") << qint64(0) << false << true << 49 << 1;
    QTest::newRow("negative") << qint64(-5) << false << true << 49 << 1;
    QTest::newRow("far below any int")
        << std::numeric_limits<qint64>::min() << false << true << 49 << 1;
}

void TestLinkFormulas::typedIntervalAgainstTheMinimum()
{
    QFETCH(qint64, typed);
    QFETCH(bool, refused);
    QFETCH(bool, asked);
    QFETCH(int, raised);
    QFETCH(int, kept);
    constexpr int kMinimum = 49;
    QCOMPARE(intervalTooLong(typed), refused);
    if (refused)
        return;
    QCOMPARE(intervalBelowMinimum(typed, kMinimum), asked);
    QCOMPARE(runInterval(typed, kMinimum, true), raised);
    QCOMPARE(runInterval(typed, kMinimum, false), kept);
}

void TestLinkFormulas::percentagesInGeneralFormat_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("sent");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("lost");
    // Both columns format count out of sent: received with 4 digits, lost with 3.
    QTest::newRow("all") << 3 << 3 << "C"
                         << "100%"
                         << "100%";
    QTest::newRow("two of three") << 2 << 3 << "C"
                                  << "66.67%"
                                  << "66.7%";
    QTest::newRow("one of three") << 1 << 3 << "C"
                                  << "33.33%"
                                  << "33.3%";
    QTest::newRow("one in a thousand") << 1 << 1000 << "C"
                                       << "0.1%"
                                       << "0.1%";
    QTest::newRow("one of seven") << 1 << 7 << "C"
                                  << "14.29%"
                                  << "14.3%";
    QTest::newRow("999 of 1000") << 999 << 1000 << "C"
                                 << "99.9%"
                                 << "99.9%";
    QTest::newRow("9999 of 10000") << 9999 << 10000 << "C"
                                   << "99.99%"
                                   << "100%";
    QTest::newRow("none") << 0 << 5 << "C"
                          << "0%"
                          << "0%";
    QTest::newRow("German comma") << 2 << 3 << "de_DE"
                                  << "66,67%"
                                  << "66,7%";
    QTest::newRow("below 0.00001: exponent") << 1 << 30000000 << "C"
                                             << "3.333E-06%"
                                             << "3.33E-06%";
}

void TestLinkFormulas::percentagesInGeneralFormat()
{
    QFETCH(int, count);
    QFETCH(int, sent);
    QFETCH(QString, locale);
    QFETCH(QString, received);
    QFETCH(QString, lost);
    const QLocale l(locale);
    QCOMPARE(receivedPercentText(count, sent, l), received);
    QCOMPARE(lostPercentText(count, sent, l), lost);
}

void TestLinkFormulas::percentagesOfRunsBeyondTwoBillionCycles()
{
    // Four weeks at the shortest interval: the counters pass the range of a 32-bit integer.
    const qint64 sent = 2419200000LL;
    QCOMPARE(receivedPercentText(sent - sent / 4, sent, QLocale::c()), QStringLiteral("75%"));
    QCOMPARE(lostPercentText(sent / 4, sent, QLocale::c()), QStringLiteral("25%"));
}

void TestLinkFormulas::answersGiveSamples_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QByteArray>("logged");
    QTest::addColumn<int>("channels");
    QTest::addColumn<QList<int>>("values");
    // -80 dBm = B0, -104 dBm = 98, -70 dBm = BA, -100 dBm = 9C
    QTest::newRow("3 bytes: module 1 only")
        << QByteArray::fromHex("4CB098") << true << QByteArray::fromHex("4CB098") << 2
        << QList<int>{24, -104};
    QTest::newRow("5 bytes: both modules")
        << QByteArray::fromHex("4CBA9CB098") << true << QByteArray::fromHex("4CBA9CB098") << 4
        << QList<int>{24, -104, 30, -100};
    QTest::newRow("7 bytes compacted")
        << QByteArray::fromHex("4CBA11229CB098") << true << QByteArray::fromHex("4CBA9CB098") << 4
        << QList<int>{24, -104, 30, -100};
    QTest::newRow("signal below noise: negative ratio")
        << QByteArray::fromHex("4C98B0") << true << QByteArray::fromHex("4C98B0") << 2
        << QList<int>{-24, -80};
    QTest::newRow("positive bytes taken as they are")
        << QByteArray::fromHex("4C0580") << true << QByteArray::fromHex("4C0580") << 2
        << QList<int>{5 - 128, -128};
    QTest::newRow("empty") << QByteArray() << false << QByteArray() << 0 << QList<int>{};
    QTest::newRow("4 bytes") << QByteArray::fromHex("4CBA9CB0") << false
                             << QByteArray::fromHex("4CBA9CB0") << 0 << QList<int>{};
    QTest::newRow("wrong first byte") << QByteArray::fromHex("4DB098") << false
                                      << QByteArray::fromHex("4DB098") << 0 << QList<int>{};
    QTest::newRow("6 bytes are not compacted")
        << QByteArray::fromHex("4CBA11229CB0") << false << QByteArray::fromHex("4CBA11229CB0") << 0
        << QList<int>{};
}

void TestLinkFormulas::answersGiveSamples()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, valid);
    QFETCH(QByteArray, logged);
    QFETCH(int, channels);
    QFETCH(QList<int>, values);
    QCOMPARE(isValidAnswer(answer), valid);
    QCOMPARE(compactAnswer(answer), logged);
    if (!valid)
        return;
    const LinkSamples samples = samplesOf(answer);
    QCOMPARE(samples.channels, channels);
    for (int c = 0; c < channels; ++c)
        QCOMPARE(samples.values[c], values[c]);
}

void TestLinkFormulas::averagingFollowsTheTrackBar_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<int>("strength");
    QTest::addColumn<QList<int>>("samples");
    QTest::addColumn<double>("average");
    QTest::addColumn<int>("shown");
    QTest::newRow("off: the latest sample") << 0.0 << 0 << QList<int>{20, 35} << 35.0 << 35;
    QTest::newRow("1 from cleared ratio") << 0.0 << 1 << QList<int>{20} << 10.0 << 10;
    QTest::newRow("1, two samples: half to even") << 0.0 << 1 << QList<int>{20, 21} << 15.5 << 16;
    QTest::newRow("1, 14.5 goes down to even") << 0.0 << 1 << QList<int>{20, 19} << 14.5 << 14;
    QTest::newRow("strongest from cleared noise")
        << -128.0 << 10 << QList<int>{-95} << -125.0 << -125;
    QTest::newRow("negative half to even") << -100.0 << 1 << QList<int>{-101} << -100.5 << -100;
}

void TestLinkFormulas::averagingFollowsTheTrackBar()
{
    QFETCH(double, start);
    QFETCH(int, strength);
    QFETCH(QList<int>, samples);
    QFETCH(double, average);
    QFETCH(int, shown);
    double a = start;
    for (int x : samples)
        a = averaged(a, x, strength);
    QCOMPARE(a, average);
    QCOMPARE(roundHalfEven(a), shown);
}

void TestLinkFormulas::peakHoldOverTheWindow_data()
{
    QTest::addColumn<int>("window");
    // Pairs of value and repeat count, fed to channel 0 (cleared value 0) in order.
    QTest::addColumn<QList<int>>("runs");
    QTest::addColumn<int>("peak");
    QTest::addColumn<int>("slot");
    QTest::newRow("a higher sample takes over") << 20 << QList<int>{10, 1, 30, 1} << 30 << 2;
    QTest::newRow("an equal sample keeps the older peak") << 20 << QList<int>{10, 2} << 10 << 1;
    QTest::newRow("peak kept across the wrap until overwritten")
        << 20 << QList<int>{10, 1, 30, 1, 5, 19} << 30 << 2;
    QTest::newRow("overwritten peak: rescan finds the next highest")
        << 20 << QList<int>{30, 1, 5, 10, 12, 1, 5, 8, 4, 1} << 12 << 12;
    QTest::newRow("rescan tie: the slot just written wins")
        << 20 << QList<int>{30, 1, 10, 19, 10, 1} << 10 << 1;
    QTest::newRow("rescan tie elsewhere: the lowest slot")
        << 20 << QList<int>{30, 1, 7, 1, 10, 18, 5, 1} << 10 << 3;
    QTest::newRow("cleared slots take part in the rescan") << 20 << QList<int>{-5, 1} << 0 << 2;
    QTest::newRow("window 400: sample 300 held for 400 samples")
        << 400 << QList<int>{1, 299, 50, 1, 1, 399} << 50 << 300;
    QTest::newRow("window 400: gone when its slot is overwritten")
        << 400 << QList<int>{1, 299, 50, 1, 1, 400} << 1 << 300;
}

void TestLinkFormulas::peakHoldOverTheWindow()
{
    QFETCH(int, window);
    QFETCH(QList<int>, runs);
    QFETCH(int, peak);
    QFETCH(int, slot);
    PeakHold hold;
    int writeSlot = 1;
    for (int i = 0; i + 1 < runs.size(); i += 2) {
        for (int n = 0; n < runs[i + 1]; ++n)
            hold.add({double(runs[i]), -128.0, 0.0, -128.0}, 2, window, writeSlot);
    }
    QCOMPARE(int(hold.peak(0)), peak);
    QCOMPARE(hold.peakSlot(0), slot);
}

void TestLinkFormulas::peakHoldSharesTheWriteSlot()
{
    PeakHold hold;
    // A write slot beyond a shortened window starts over at slot 1.
    int writeSlot = 25;
    hold.add({12.5, -90.4, 20.0, -95.0}, 2, 20, writeSlot);
    QCOMPARE(writeSlot, 2);
    QCOMPARE(int(hold.sample(0, 1)), 12); // rounded half to even
    QCOMPARE(int(hold.sample(1, 1)), -90);
    // A 3-byte answer leaves module 2's channels at their cleared values.
    QCOMPARE(int(hold.sample(2, 1)), 0);
    QCOMPARE(int(hold.sample(3, 1)), -128);
    hold.add({13.0, -91.0, 20.0, -95.0}, 4, 20, writeSlot);
    QCOMPARE(int(hold.peak(2)), 20);
    QCOMPARE(hold.peakSlot(2), 2);
    QCOMPARE(int(hold.peak(1)), -90);

    // Peak Reset clears the history and the peaks, not the write slot.
    hold.reset();
    QCOMPARE(writeSlot, 3);
    for (int c = 0; c < kChannels; ++c) {
        QCOMPARE(hold.peakSlot(c), 1);
        QCOMPARE(double(hold.peak(c)), kClearedAverage[c]);
    }
}

QTEST_GUILESS_MAIN(TestLinkFormulas)
#include "tst_linkformulas.moc"
