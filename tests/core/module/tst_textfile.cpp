#include "module/textfile.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace
{

constexpr qint64 kLimit = 64 * 1024;

enum class Make { Small, Missing, Empty, Fifo, DevZeroLink, Folder, AtLimit, OverLimit, Huge };

// Creates the named kind of file at path.
void make(Make kind, const QString &path)
{
    const auto write = [&path](const QByteArray &bytes, qint64 size = -1) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
        if (size >= 0)
            QVERIFY(file.resize(size)); // a sparse tail: large but quick to make
    };
    switch (kind) {
    case Make::Small:
        write("info\r\nB\r\n");
        break;
    case Make::Missing:
        break;
    case Make::Empty:
        write("");
        break;
    case Make::Fifo:
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        break;
    case Make::DevZeroLink:
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        break;
    case Make::Folder:
        QVERIFY(QDir().mkdir(path));
        break;
    case Make::AtLimit:
        write("first\r\n", kLimit);
        break;
    case Make::OverLimit:
        write("first\r\n", kLimit + 1);
        break;
    case Make::Huge:
        write("big one\r\n", 100 * 1024 * 1024);
        break;
    }
}

// A save file whose disk fills up after a number of bytes.
class FillingSaveFile : public QSaveFile
{
public:
    FillingSaveFile(const QString &path, qint64 room) : QSaveFile(path), m_room(room) {}

protected:
    qint64 writeData(const char *data, qint64 len) override
    {
        if (m_room >= 0 && len > m_room) {
            if (m_room == 0) {
                setErrorString(QStringLiteral("No space left on device"));
                return -1;
            }
            len = m_room; // a short write, then the next one fails
        }
        const qint64 written = QSaveFile::writeData(data, len);
        if (m_room >= 0)
            m_room -= written;
        return written;
    }

private:
    qint64 m_room;
};

QStringList folderEntries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

Q_DECLARE_METATYPE(Make)
Q_DECLARE_METATYPE(SmallFileStatus)
Q_DECLARE_METATYPE(LinkAtPath)

// Files a user may have put in place of the program's own, and saves that fail half-way.
class TestTextFile : public QObject
{
    Q_OBJECT
private slots:
    void hostileFiles_data();
    void hostileFiles();
    void failedSaveKeepsTheOldFile_data();
    void failedSaveKeepsTheOldFile();
    void saveRefusesToReplaceWhatIsNoFile();
    void linkAtThePathIsFollowedOrReplaced_data();
    void linkAtThePathIsFollowedOrReplaced();
};

void TestTextFile::hostileFiles_data()
{
    QTest::addColumn<Make>("kind");
    QTest::addColumn<SmallFileStatus>("status");
    QTest::addColumn<QByteArray>("firstLine");
    QTest::addColumn<bool>("hasFirstLine");
    QTest::newRow("small file") << Make::Small << SmallFileStatus::Read << QByteArray("info")
                                << true;
    QTest::newRow("missing") << Make::Missing << SmallFileStatus::Missing << QByteArray() << false;
    QTest::newRow("empty") << Make::Empty << SmallFileStatus::Read << QByteArray() << true;
    QTest::newRow("FIFO does not block")
        << Make::Fifo << SmallFileStatus::NotRegular << QByteArray() << false;
    QTest::newRow("link to /dev/zero")
        << Make::DevZeroLink << SmallFileStatus::NotRegular << QByteArray() << false;
    QTest::newRow("folder") << Make::Folder << SmallFileStatus::NotRegular << QByteArray() << false;
    QTest::newRow("exactly 64 KiB")
        << Make::AtLimit << SmallFileStatus::Read << QByteArray("first") << true;
    QTest::newRow("one byte over 64 KiB")
        << Make::OverLimit << SmallFileStatus::TooLarge << QByteArray("first") << true;
    QTest::newRow("100 MB") << Make::Huge << SmallFileStatus::TooLarge << QByteArray("big one")
                            << true;
}

void TestTextFile::hostileFiles()
{
    QFETCH(Make, kind);
    QFETCH(SmallFileStatus, status);
    QFETCH(QByteArray, firstLine);
    QFETCH(bool, hasFirstLine);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("M1.txt"));
    make(kind, path);
    if (QTest::currentTestFailed())
        return;

    const SmallFileRead read = readSmallFile(path, kLimit);
    QCOMPARE(read.status, status);
    if (status == SmallFileStatus::Read)
        QCOMPARE(read.bytes.size(), QFileInfo(path).size());
    else
        QVERIFY(read.bytes.isEmpty());

    const auto line = readFirstLine(path, kLimit);
    QCOMPARE(line.has_value(), hasFirstLine);
    if (line)
        QCOMPARE(*line, firstLine);
}

void TestTextFile::failedSaveKeepsTheOldFile_data()
{
    QTest::addColumn<qint64>("room");
    QTest::addColumn<bool>("saved");
    QTest::newRow("no room at all") << qint64(0) << false;
    QTest::newRow("room for half the file") << qint64(200) << false;
    QTest::newRow("room for all but the last byte") << qint64(399) << false;
    QTest::newRow("room enough") << qint64(-1) << true;
}

void TestTextFile::failedSaveKeepsTheOldFile()
{
    QFETCH(qint64, room);
    QFETCH(bool, saved);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("M1.txt"));
    const QByteArray old("old\r\nB\r\n");
    const QByteArray fresh(400, 'n');
    QVERIFY(saveFileAtomically(path, old).isEmpty());

    FillingSaveFile file(path, room);
    const QString reason = saveFileAtomically(file, fresh);
    QCOMPARE(reason.isEmpty(), saved);
    if (!saved)
        QCOMPARE(reason, QStringLiteral("No space left on device"));
    QFile back(path);
    QVERIFY(back.open(QIODevice::ReadOnly));
    QCOMPARE(back.readAll(), saved ? fresh : old);
    // Nothing half-written is left beside it.
    QCOMPARE(folderEntries(dir.path()), QStringList{QStringLiteral("M1.txt")});
}

void TestTextFile::saveRefusesToReplaceWhatIsNoFile()
{
    QTemporaryDir dir;
    for (Make kind : {Make::Fifo, Make::DevZeroLink, Make::Folder}) {
        const QString path = dir.filePath(QStringLiteral("M%1.txt").arg(int(kind)));
        make(kind, path);
        QVERIFY(!saveFileAtomically(path, "x\r\n").isEmpty());
        QVERIFY(!QFileInfo(path).isFile());
    }
    QVERIFY(QFileInfo(QStringLiteral("/dev/zero")).exists());
}

void TestTextFile::linkAtThePathIsFollowedOrReplaced_data()
{
    QTest::addColumn<LinkAtPath>("link");
    QTest::addColumn<QString>("target"); // what the link leads to, beside it
    QTest::addColumn<bool>("targetWritten");
    QTest::newRow("followed to a file") << LinkAtPath::Follow << "other.txt" << true;
    QTest::newRow("link to a file replaced") << LinkAtPath::Replace << "other.txt" << false;
    QTest::newRow("dangling link replaced") << LinkAtPath::Replace << "missing.txt" << false;
}

void TestTextFile::linkAtThePathIsFollowedOrReplaced()
{
    QFETCH(LinkAtPath, link);
    QFETCH(QString, target);
    QFETCH(bool, targetWritten);
    QTemporaryDir dir;
    const QString targetPath = dir.filePath(target);
    const QByteArray precious("precious\r\n");
    if (target != QLatin1String("missing.txt"))
        QVERIFY(saveFileAtomically(targetPath, precious).isEmpty());
    const QString path = dir.filePath(QStringLiteral("settings.ini"));
    QVERIFY(QFile::link(target, path));

    QCOMPARE(saveFileAtomically(path, "fresh\r\n", link), QString());
    QCOMPARE(QFileInfo(path).isSymLink(), targetWritten);
    QCOMPARE(readSmallFile(path, kLimit).bytes, QByteArray("fresh\r\n"));
    if (!targetWritten && QFileInfo(targetPath).isFile())
        QCOMPARE(readSmallFile(targetPath, kLimit).bytes, precious);
    if (target == QLatin1String("missing.txt"))
        QVERIFY(!QFileInfo::exists(targetPath));
    // Nothing half-written is left beside them.
    QStringList entries{QStringLiteral("settings.ini")};
    if (QFileInfo(targetPath).isFile())
        entries.prepend(target);
    QCOMPARE(folderEntries(dir.path()), entries);
}

QTEST_APPLESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
