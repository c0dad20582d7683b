#include "rf/linkhistory.h"
#include "rf/linkhistorycsv.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>

namespace
{

// 2026-12-07 14:00:00.000 UTC
constexpr qint64 kStart = 1796652000000;

LinkCycle received(qint64 number, int s1, int n1, qint64 ms = 0)
{
    LinkCycle c;
    c.number = number;
    c.received = true;
    c.module2 = true;
    c.s1 = s1;
    c.n1 = n1;
    c.s2 = s1 - 2;
    c.n2 = n1 - 2;
    c.msecsSinceEpoch = kStart + ms;
    return c;
}

LinkCycle lost(qint64 number, qint64 ms = 0)
{
    LinkCycle c;
    c.number = number;
    c.msecsSinceEpoch = kStart + ms;
    return c;
}

QStringList linesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
}

} // namespace

Q_DECLARE_METATYPE(LinkCycle)

class TestLinkHistory : public QObject
{
    Q_OBJECT
private slots:
    void cycleOfAnAnswer_data();
    void cycleOfAnAnswer();
    void csvLines_data();
    void csvLines();
    void historyKeepsEveryCycleWhileShort();
    void decimationKeepsTotalsAndExtremes();
    void memoryStaysBoundedOverADay();
    void exportWritesWholeLinesOnly();
    void exportRefusesWhatIsNotARegularFile();
};

void TestLinkHistory::cycleOfAnAnswer_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<bool>("isReceived");
    QTest::addColumn<bool>("module2");
    QTest::addColumn<QList<int>>("levels"); // s1, n1, s2, n2

    QTest::newRow("nothing") << QByteArray() << false << false << QList<int>{0, 0, 0, 0};
    QTest::newRow("wrong first byte")
        << QByteArray::fromHex("4DB896") << false << false << QList<int>{0, 0, 0, 0};
    QTest::newRow("4 bytes") << QByteArray::fromHex("4CB896BA") << false << false
                             << QList<int>{0, 0, 0, 0};
    // -70 = BA, -104 = 98, -72 = B8, -106 = 96
    QTest::newRow("3 bytes: module 1 only")
        << QByteArray::fromHex("4CBA98") << true << false << QList<int>{-70, -104, 0, 0};
    QTest::newRow("5 bytes: 4C S2 N2 S1 N1")
        << QByteArray::fromHex("4CB896BA98") << true << true << QList<int>{-70, -104, -72, -106};
    QTest::newRow("7 bytes: 4C S2 x x N2 S1 N1") << QByteArray::fromHex("4CB8000096BA98") << true
                                                 << true << QList<int>{-70, -104, -72, -106};
    QTest::newRow("positive levels stay signed")
        << QByteArray::fromHex("4C0580057F") << true << true << QList<int>{5, 127, 5, -128};
}

void TestLinkHistory::cycleOfAnAnswer()
{
    QFETCH(QByteArray, answer);
    QFETCH(bool, isReceived);
    QFETCH(bool, module2);
    QFETCH(QList<int>, levels);
    const LinkCycle c = linkCycleOf(42, answer, kStart);
    QCOMPARE(c.number, 42);
    QCOMPARE(c.msecsSinceEpoch, kStart);
    QCOMPARE(c.received, isReceived);
    QCOMPARE(c.module2, module2);
    QCOMPARE((QList<int>{c.s1, c.n1, c.s2, c.n2}), levels);
}

void TestLinkHistory::csvLines_data()
{
    QTest::addColumn<LinkCycle>("cycle");
    QTest::addColumn<QString>("line");

    QTest::newRow("received from both")
        << received(7, -70, -104, 1234)
        << QStringLiteral("2026-12-07T14:00:01.234Z,7,received,-70,-104,-72,-106,34,34,0.0");
    LinkCycle lateLoss = lost(8, 60000);
    lateLoss.pcLateMs = 12.34;
    QTest::newRow("lost in a cycle the PC ran late")
        << lateLoss << QStringLiteral("2026-12-07T14:01:00.000Z,8,lost,,,,,,,12.3");
    LinkCycle single = received(9, -60, -110);
    single.module2 = false;
    QTest::newRow("3-byte answer: free module empty")
        << single << QStringLiteral("2026-12-07T14:00:00.000Z,9,received,-60,-110,,,50,,0.0");
    // The ratio is the unsigned difference, as on the gauges: 5 - (-128 = 0x80) gives 5 - 128.
    LinkCycle odd = received(10, 5, -128);
    odd.module2 = false;
    QTest::newRow("ratio taken unsigned")
        << odd << QStringLiteral("2026-12-07T14:00:00.000Z,10,received,5,-128,,,-123,,0.0");
}

void TestLinkHistory::csvLines()
{
    QFETCH(LinkCycle, cycle);
    QFETCH(QString, line);
    const QString got = linkCsvLine(cycle);
    QCOMPARE(got, line);
    QCOMPARE(linkCsvHeader().count(QLatin1Char(',')), got.count(QLatin1Char(',')));
}

void TestLinkHistory::historyKeepsEveryCycleWhileShort()
{
    LinkHistory history(8, 4);
    // Received, received, lost, received, lost, lost: shares over the last 4.
    const bool results[] = {true, true, false, true, false, false};
    const double shares[] = {100, 100, 200.0 / 3, 75, 50, 25};
    for (int i = 0; i < 6; ++i)
        history.add(results[i] ? received(i + 1, -70 + i, -100 - i, i * 20) : lost(i + 1, i * 20));
    QCOMPARE(history.cycles(), 6);
    QCOMPARE(history.lost(), 3);
    QCOMPARE(history.cyclesPerBucket(), 1);
    QCOMPARE(history.buckets().size(), std::size_t(6));
    for (int i = 0; i < 6; ++i) {
        const LinkHistory::Bucket &b = history.buckets()[std::size_t(i)];
        QCOMPARE(b.firstCycle, i + 1);
        QCOMPARE(b.firstMs, kStart + i * 20);
        QCOMPARE(b.lost, results[i] ? 0 : 1);
        QCOMPARE(b.stats[LinkHistory::S1].count, results[i] ? 1 : 0);
        if (results[i])
            QCOMPARE(b.stats[LinkHistory::N2].mean(), -100.0 - i - 2);
        QCOMPARE(b.stats[LinkHistory::Share].mean(), shares[i]);
    }
    const quint64 revision = history.revision();
    history.clear();
    QVERIFY(history.revision() != revision);
    QCOMPARE(history.cycles(), 0);
    QVERIFY(history.buckets().empty());
    // The share starts afresh after a clear.
    history.add(lost(1));
    QCOMPARE(history.buckets().front().stats[LinkHistory::Share].mean(), 0.0);
}

void TestLinkHistory::decimationKeepsTotalsAndExtremes()
{
    LinkHistory history(8, 1);
    // 20 cycles into 8 buckets: 16 cycles in 4 full buckets of 4, the last 4 in one more.
    for (int i = 1; i <= 20; ++i)
        history.add(i % 5 == 0 ? lost(i, i) : received(i, -50 - i, -100, i));
    QCOMPARE(history.cyclesPerBucket(), 4);
    QCOMPARE(history.buckets().size(), std::size_t(5));
    qint64 cycles = 0;
    qint64 lostCycles = 0;
    for (const LinkHistory::Bucket &b : history.buckets()) {
        cycles += b.cycles;
        lostCycles += b.lost;
        QCOMPARE(b.lastCycle - b.firstCycle + 1, b.cycles);
    }
    QCOMPARE(cycles, 20);
    QCOMPARE(lostCycles, 4);
    const LinkHistory::Bucket &second = history.buckets()[1]; // cycles 5 to 8, 5 lost
    QCOMPARE(second.firstCycle, 5);
    QCOMPARE(second.lost, 1);
    QCOMPARE(second.stats[LinkHistory::S1].count, 3);
    QCOMPARE(second.stats[LinkHistory::S1].min, -58.0f);
    QCOMPARE(second.stats[LinkHistory::S1].max, -56.0f);
    QCOMPARE(second.stats[LinkHistory::S1].mean(), -57.0);
    QCOMPARE(second.stats[LinkHistory::Share].mean(), 75.0);
    // A display of at most 2 points merges neighbours: 3 buckets (12 cycles), then 2 (8).
    const std::vector<LinkHistory::Bucket> shown = history.condensed(2);
    QCOMPARE(shown.size(), std::size_t(2));
    QCOMPARE(shown[0].cycles, 12);
    QCOMPARE(shown[1].lastCycle, 20);
    QCOMPARE(shown[1].lost, 2);
}

void TestLinkHistory::memoryStaysBoundedOverADay()
{
    // A day at 20 ms.
    constexpr qint64 kDay = 4'320'000;
    LinkHistory history;
    const std::size_t empty = history.bytesHeld();
    for (qint64 i = 1; i <= kDay; ++i)
        history.add(i % 4 == 0 ? lost(i, i * 20) : received(i, -70, -104, i * 20));
    QCOMPARE(history.cycles(), kDay);
    QCOMPARE(history.lost(), kDay / 4);
    QVERIFY(history.buckets().size() <= 2048);
    QCOMPARE(history.bytesHeld(), empty);
    QVERIFY2(history.bytesHeld() < 1024 * 1024, qPrintable(QString::number(history.bytesHeld())));
    QCOMPARE(history.buckets().front().firstMs, kStart + 20);
    QCOMPARE(history.buckets().back().lastMs, kStart + kDay * 20);
}

void TestLinkHistory::exportWritesWholeLinesOnly()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("link.csv"));
    LinkCsvFile csv;
    QVERIFY2(csv.open(path), qPrintable(csv.errorString()));
    csv.append(received(1, -70, -104));
    csv.append(lost(2, 20));
    QVERIFY(csv.flush());
    QCOMPARE(csv.queued(), std::size_t(0));
    QCOMPARE(linesOf(path), (QStringList{linkCsvHeader(), linkCsvLine(received(1, -70, -104)),
                                         linkCsvLine(lost(2, 20)), QString()}));

    // A file-size limit stands in for a full disk: the write stops part-way through a line.
    const qint64 full = QFileInfo(path).size() + 100;
    struct rlimit old {
    };
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = old;
    limited.rlim_cur = rlim_t(full);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    for (int i = 3; i < 10; ++i)
        csv.append(received(i, -70, -104, i * 20));
    const bool flushed = csv.flush();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);
    QVERIFY(!flushed);
    QVERIFY2(csv.errorString().contains(QStringLiteral("too large")),
             qPrintable(csv.errorString()));
    csv.close();
    const QStringList lines = linesOf(path);
    QCOMPARE(lines.size(), 4); // header, two lines, the empty end: nothing of the failed block
    QCOMPARE(lines.last(), QString());
}

void TestLinkHistory::exportRefusesWhatIsNotARegularFile()
{
    QTemporaryDir dir;
    LinkCsvFile csv;
    QVERIFY(!csv.open(dir.path()));
    QCOMPARE(csv.errorString(), QStringLiteral("Not a regular file"));
    // A FIFO without a reader would block an ordinary open.
    const QString fifo = dir.filePath(QStringLiteral("pipe"));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QVERIFY(!csv.open(fifo));
    QCOMPARE(csv.errorString(), QStringLiteral("Not a regular file"));
    QVERIFY(!csv.open(QStringLiteral("/dev/null")));
    QVERIFY(!csv.open(dir.filePath(QStringLiteral("missing/link.csv"))));
    QCOMPARE(csv.errorString(), QStringLiteral("No such file or directory"));
    QVERIFY(!csv.isOpen());
    // An existing file is truncated.
    const QString path = dir.filePath(QStringLiteral("old.csv"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(1000, 'x'));
    old.close();
    QVERIFY(csv.open(path));
    QVERIFY(csv.close());
    QCOMPARE(linesOf(path), (QStringList{linkCsvHeader(), QString()}));
}

QTEST_GUILESS_MAIN(TestLinkHistory)
#include "tst_linkhistory.moc"
