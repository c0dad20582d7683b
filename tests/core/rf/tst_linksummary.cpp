#include "rf/linksummary.h"

#include <QTest>

// The summary of a run from the answers its cycles read, as the command line reports it.
class TestLinkSummary : public QObject
{
    Q_OBJECT
private slots:
    void summaryOfAnswers_data();
    void summaryOfAnswers();
};

namespace
{

using Figures = QList<double>; // count, min, mean, max

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray a;
    for (int v : values)
        a.append(char(quint8(qint8(v))));
    return a;
}

} // namespace

void TestLinkSummary::summaryOfAnswers_data()
{
    QTest::addColumn<QList<QByteArray>>("answers");
    QTest::addColumn<qint64>("lost");
    QTest::addColumn<double>("lostPercent");
    QTest::addColumn<Figures>("signal1");
    QTest::addColumn<Figures>("snr1");
    QTest::addColumn<Figures>("noise2");
    QTest::addColumn<Figures>("snr2");

    const QByteArray none;
    QTest::newRow("no cycle") << QList<QByteArray>{} << qint64(0) << 0.0 << Figures{0, 0, 0, 0}
                              << Figures{0, 0, 0, 0} << Figures{0, 0, 0, 0} << Figures{0, 0, 0, 0};
    // 4C S2 N2 S1 N1: module 1 at -70/-104 then -60/-100, module 2 at -72/-106 then -80/-110.
    QTest::newRow("5 bytes, one of three lost")
        << QList<QByteArray>{bytes({0x4C, -72, -106, -70, -104}), none,
                             bytes({0x4C, -80, -110, -60, -100})}
        << qint64(1) << 100.0 / 3 << Figures{2, -70, -65, -60} << Figures{2, 34, 37, 40}
        << Figures{2, -110, -108, -106} << Figures{2, 30, 32, 34};
    // 7 bytes: 4C S2 x x N2 S1 N1, the filler bytes ignored.
    QTest::newRow("7 bytes as 5") << QList<QByteArray>{bytes({0x4C, -72, 9, 9, -106, -70, -104})}
                                  << qint64(0) << 0.0 << Figures{1, -70, -70, -70}
                                  << Figures{1, 34, 34, 34} << Figures{1, -106, -106, -106}
                                  << Figures{1, 34, 34, 34};
    // A 3-byte answer carries no free module; a wrong first byte or length counts as lost.
    QTest::newRow("3 bytes: no module 2, bad answers lost")
        << QList<QByteArray>{bytes({0x4C, -50, -100}), bytes({0x4D, -50, -100}),
                             bytes({0x4C, -50, -100, 1}), bytes({0x4C, -51, -100})}
        << qint64(2) << 50.0 << Figures{2, -51, -50.5, -50} << Figures{2, 49, 49.5, 50}
        << Figures{0, 0, 0, 0} << Figures{0, 0, 0, 0};
    // Levels above 0 dBm: the ratio is the bytes' difference taken unsigned, as on the gauges.
    QTest::newRow("ratio of unsigned bytes")
        << QList<QByteArray>{bytes({0x4C, 10, -100, 10, -100})} << qint64(0) << 0.0
        << Figures{1, 10, 10, 10} << Figures{1, -146, -146, -146} << Figures{1, -100, -100, -100}
        << Figures{1, -146, -146, -146};
}

void TestLinkSummary::summaryOfAnswers()
{
    QFETCH(QList<QByteArray>, answers);
    QFETCH(qint64, lost);
    QFETCH(double, lostPercent);
    QFETCH(Figures, signal1);
    QFETCH(Figures, snr1);
    QFETCH(Figures, noise2);
    QFETCH(Figures, snr2);

    LinkSummary summary;
    qint64 number = 0;
    for (const QByteArray &answer : answers)
        summary.add(linkCycleOf(++number, answer, 0));

    QCOMPARE(summary.sent(), qint64(answers.size()));
    QCOMPARE(summary.lost(), lost);
    QCOMPARE(summary.received(), qint64(answers.size()) - lost);
    QCOMPARE(summary.lostPercent(), lostPercent);
    const auto check = [&summary](LinkSummary::Quantity q, const Figures &f) {
        const LinkHistory::Stat &s = summary.stat(q);
        QCOMPARE(s.count, qint32(f[0]));
        if (s.count == 0)
            return;
        QCOMPARE(double(s.min), f[1]);
        QCOMPARE(s.mean(), f[2]);
        QCOMPARE(double(s.max), f[3]);
    };
    check(LinkSummary::Signal1, signal1);
    check(LinkSummary::Snr1, snr1);
    check(LinkSummary::Noise2, noise2);
    check(LinkSummary::Snr2, snr2);
    // Noise 1 and signal 2 come from the same answers as their neighbours.
    QCOMPARE(summary.stat(LinkSummary::Noise1).count, summary.stat(LinkSummary::Signal1).count);
    QCOMPARE(summary.stat(LinkSummary::Signal2).count, summary.stat(LinkSummary::Noise2).count);
}

QTEST_MAIN(TestLinkSummary)
#include "tst_linksummary.moc"
