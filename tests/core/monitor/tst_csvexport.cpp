#include "monitor/csvexport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>

// The sweep export file against what a user may choose and a disk that fills up.
class TestCsvExport : public QObject
{
    Q_OBJECT
private slots:
    void whatIsNoRegularFileIsRefusedAtOnce_data();
    void whatIsNoRegularFileIsRefusedAtOnce();
    void fullFileSystemKeepsWholeRowsAndSaysWhy();
};

namespace
{

QList<SlotReading> sweep(int slotCount)
{
    QList<SlotReading> readings;
    for (int n = 1; n <= slotCount; ++n)
        readings << SlotReading{n, 2 + 4 * n, 433.0625 + 0.05 * n, -100 + n, -90 + n};
    return readings;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A lower limit on the size of the files this process writes, for the length of a test: a write
// beyond it fails as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool set() const { return m_set; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
    bool m_set = false;
};

} // namespace

void TestCsvExport::whatIsNoRegularFileIsRefusedAtOnce_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("folder") << "folder";
    QTest::newRow("device") << "device";
}

void TestCsvExport::whatIsNoRegularFileIsRefusedAtOnce()
{
    QFETCH(QString, kind);
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("sweeps.csv"));
    if (kind == QLatin1String("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sweeps.csv")));
    else
        path = QStringLiteral("/dev/null");
    SweepCsvFile file;
    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY(!file.open(path));
    QVERIFY(!file.isOpen());
    QVERIFY(!file.errorString().isEmpty());
    // Not waited on, and nothing put in its place.
    QVERIFY(elapsed.elapsed() < 5000);
    QVERIFY(!QFileInfo(path).isFile());
}

void TestCsvExport::fullFileSystemKeepsWholeRowsAndSaysWhy()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sweeps.csv"));
    const QDateTime when =
        QDateTime::fromString(QStringLiteral("2026-12-07T14:00:00Z"), Qt::ISODate);
    const int rowBytes = int(csvLine(when, sweep(1).first()).toUtf8().size()) + 1;
    SweepCsvFile file;
    int written = 0;
    {
        // Room for the header, two sweeps of ten slots and half of a third.
        FileSizeLimit limit(rlim_t(csvHeader().size() + 1 + 25 * rowBytes));
        QVERIFY(limit.set());
        QVERIFY(file.open(path));
        while (written < 10 && file.writeSweep(when, sweep(10)))
            ++written;
    }
    QCOMPARE(written, 2);
    QCOMPARE(file.errorString(), QString::fromLocal8Bit(std::strerror(EFBIG)));
    file.close();
    const QList<QByteArray> lines = contents(path).split('\n');
    // One header, twenty rows, and the end of the last row: nothing torn.
    QCOMPARE(lines.size(), 1 + 20 + 1);
    QCOMPARE(lines.first(), csvHeader().toUtf8());
    QCOMPARE(lines.last(), QByteArray());
    for (int i = 1; i <= 20; ++i)
        QCOMPARE(lines[i].count(','), 5);
}

QTEST_GUILESS_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
