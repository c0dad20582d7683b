#include "support_window.h"

#include "module/storedconfig.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// A B configuration with RX channel K12 and the bytes it is saved as.
QByteArray savedB()
{
    StoredConfig config;
    config.info = QStringLiteral("bench");
    config.typeLetter = QStringLiteral("B");
    BPageValues b;
    b.frqRx = 11;
    b.frqTx = 3;
    b.hfBaud = 1;
    config.b = b;
    return encodeStoredConfig(config);
}

QByteArray withLine(int line, const QByteArray &value)
{
    QList<QByteArray> pieces = savedB().split('\n');
    pieces[line - 1] = value + '\r';
    return pieces.join('\n');
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A tiny file system of its own, mounted for the test's life, that the test can fill up.
class SmallTmpfs
{
public:
    SmallTmpfs()
    {
        if (::geteuid() != 0)
            return;
        m_mounted = ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                            "size=256k") == 0;
    }
    ~SmallTmpfs()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    // Writes a filler file until no byte more fits.
    void fill()
    {
        QFile filler(m_dir.filePath(QStringLiteral("filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("f", 1) == 1) {
        }
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace

// The stored configurations and the settings file as the window uses them, with files a user
// may have put there and a disk that is full.
class TestStoredFiles : public QObject
{
    Q_OBJECT
private slots:
    void locationsAreReadWithCare_data();
    void locationsAreReadWithCare();
    void fullDiskKeepsTheOldFiles();
    void typedSelectorTextsAreWhatIsKept();
    void typingReplacesTheEmptyLocationNote();
};

void TestStoredFiles::locationsAreReadWithCare_data()
{
    const QString empty = QStringLiteral("Memory cell empty or file not found!");
    const QString damaged = QStringLiteral("Stored configuration damaged (line %1)!\r\n"
                                           "Nothing was changed.");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("message"); // empty: loaded
    QTest::newRow("as saved") << "file" << savedB() << "bench" << QString();
    QTest::newRow("type line with trailing CR")
        << "file" << withLine(2, "B\r") << "bench" << QString();
    QTest::newRow("type line with trailing blanks")
        << "file" << withLine(2, "B  ") << "bench" << QString();
    QByteArray crOnly = savedB();
    crOnly.replace("\r\n", "\r");
    QTest::newRow("CR-only line ends") << "file" << crOnly << "bench" << QString();
    QTest::newRow("channel 9999") << "file" << withLine(3, "9999") << "bench" << damaged.arg(3);
    QTest::newRow("channel -5") << "file" << withLine(4, "-5") << "bench" << damaged.arg(4);
    QTest::newRow("data rate -2") << "file" << withLine(5, "-2") << "bench" << damaged.arg(5);
    QTest::newRow("RSSI box 2147483647")
        << "file" << withLine(18, "2147483647") << "bench" << damaged.arg(18);
    QTest::newRow("100 MB file") << "huge" << QByteArray("big one\r\nB\r\n") << "big one"
                                 << QStringLiteral("Stored configuration damaged (larger than "
                                                   "64 KiB)!\r\nNothing was changed.");
    QTest::newRow("FIFO") << "fifo" << QByteArray() << "(leer)" << empty;
    QTest::newRow("link to /dev/zero") << "zero" << QByteArray() << "(leer)" << empty;
}

void TestStoredFiles::locationsAreReadWithCare()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, description);
    QFETCH(QString, message);
    WindowRig rig;
    rig.form->setLanguageIndex(1);
    rig.answerYes = false; // demonstration of the B page
    rig.connectModule(QStringLiteral("DEMO"));
    rig.messages.clear();
    rig.choose("CBox_Frq_RX_B", rig.combo("CBox_Frq_RX_B")->itemText(0));

    const QString path = QDir(rig.programFolder).filePath(QStringLiteral("M1.txt"));
    if (kind == QLatin1String("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind == QLatin1String("zero")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
    } else {
        QVERIFY(writeBytes(path, bytes));
        if (kind == QLatin1String("huge"))
            QVERIFY(QFile::resize(path, 100 * 1024 * 1024));
    }

    rig.choose("CBox_Speicher", QStringLiteral("M1"));
    QCOMPARE(rig.text("Edit_info"), description);
    rig.button("BtnLoad")->click();
    QCOMPARE(rig.messages, message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(rig.combo("CBox_Frq_RX_B")->currentIndex(), message.isEmpty() ? 11 : 0);
}

void TestStoredFiles::fullDiskKeepsTheOldFiles()
{
    SmallTmpfs disk;
    if (!disk.mounted())
        QSKIP("no small file system to fill: needs root and permission to mount tmpfs "
              "(the failing writes are covered by tst_textfile)");
    const QString stored = QDir(disk.path()).filePath(QStringLiteral("M1.txt"));
    const QString ini = QDir(disk.path()).filePath(QStringLiteral("Korvel_ComSetting.ini"));
    const QByteArray oldStored = savedB();
    const QByteArray oldIni("-1\r\n2\r\n4\r\n");
    const QString language = QDir(disk.path()).filePath(QStringLiteral("Korvel_Language.ini"));
    QVERIFY(writeBytes(stored, oldStored));
    QVERIFY(writeBytes(ini, oldIni));
    QVERIFY(writeBytes(language, "0\r\n"));
    disk.fill();

    {
        WindowRig rig({}, disk.path());
        rig.form->setLanguageIndex(1);
        rig.answerYes = false;
        rig.connectModule(QStringLiteral("DEMO"));
        rig.messages.clear();
        rig.choose("CBox_Speicher", QStringLiteral("M1"));
        rig.find<QLineEdit>("Edit_info")->setText(QStringLiteral("a new description"));
        rig.button("BtnSave")->click();
        QCOMPARE(rig.messages.size(), 1);
        QVERIFY2(rig.messages.first().startsWith(
                     QStringLiteral("Could not save the configuration:\r\n") + stored),
                 qPrintable(rig.messages.first()));
        QVERIFY(rig.messages.first().endsWith(QStringLiteral("No space left on device")));
        QCOMPARE(fileBytes(stored), oldStored);

        // The language switch acts; the choice that could not be kept is reported.
        rig.messages.clear();
        QMenu *menu = rig.button("BtnLanguage")->menu();
        emit menu->aboutToShow();
        menu->actions().at(1)->trigger();
        QCOMPARE(rig.form->languageIndex(), 1);
        QCOMPARE(rig.messages, QStringList{QStringLiteral("Could not save the language choice!"
                                                          "\r\nNo space left on device")});
        QCOMPARE(fileBytes(language), QByteArray("0\r\n"));

        rig.messages.clear();
        rig.find<QCheckBox>("CheckBox_ComSave")->setChecked(true);
        rig.form->close();
        QCOMPARE(rig.messages.size(), 1);
        QVERIFY2(rig.messages.first().startsWith(QStringLiteral("Could not write the INI file!")),
                 qPrintable(rig.messages.first()));
        QCOMPARE(fileBytes(ini), oldIni);
    }
    // Nothing half-written is left behind.
    QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"filler", "Korvel_ComSetting.ini", "Korvel_Language.ini", "M1.txt"}));
}

void TestStoredFiles::typedSelectorTextsAreWhatIsKept()
{
    QTemporaryDir folder;
    {
        WindowRig rig({}, folder.path());
        rig.choose("CBox_COM", QStringLiteral("COM3"));
        rig.choose("CBox_RS232_baud", QStringLiteral("57600"));
        // Typed over the chosen items: a listed rate and a port that is in no list.
        for (auto [name, typed] :
             {std::pair{"CBox_RS232_baud", "9600"}, std::pair{"CBox_COM", "/dev/pts/77"}}) {
            QLineEdit *edit = rig.combo(name)->lineEdit();
            edit->selectAll();
            QTest::keyClicks(edit, QString::fromLatin1(typed));
        }
        rig.find<QCheckBox>("CheckBox_ComSave")->setChecked(true);
        rig.form->close();
        QCOMPARE(rig.messages, QStringList());
    }
    QCOMPARE(fileBytes(folder.filePath(QStringLiteral("Korvel_ComSetting.ini"))),
             QByteArray("-1\r\n-1\r\n3\r\n/dev/pts/77\r\n"));
    WindowRig rig({}, folder.path());
    QCOMPARE(rig.combo("CBox_RS232_baud")->currentText(), QStringLiteral("9600"));
    QCOMPARE(rig.form->port().baudRate(), 9600);
    // The typed path is in no list, and it comes back as typed.
    QCOMPARE(rig.combo("CBox_COM")->currentIndex(), -1);
    QCOMPARE(rig.combo("CBox_COM")->currentText(), QStringLiteral("/dev/pts/77"));
    QCOMPARE(rig.form->port().portName(), QStringLiteral("/dev/pts/77"));
}

void TestStoredFiles::typingReplacesTheEmptyLocationNote()
{
    WindowRig rig;
    rig.form->setLanguageIndex(1);
    rig.answerYes = false; // demonstration of the B page
    rig.connectModule(QStringLiteral("DEMO"));
    rig.messages.clear();
    rig.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(rig.form.get()));
    auto *info = rig.find<QLineEdit>("Edit_info");

    rig.choose("CBox_Speicher", QStringLiteral("M4"));
    QCOMPARE(info->text(), QStringLiteral("(leer)"));
    QTest::mouseClick(info, Qt::LeftButton, {}, QPoint(info->width() - 4, info->height() / 2));
    QTest::keyClicks(info, QStringLiteral("Testaufbau Halle 2"));
    QCOMPARE(info->text(), QStringLiteral("Testaufbau Halle 2"));
    rig.button("BtnSave")->click();
    QCOMPARE(
        fileBytes(QDir(rig.programFolder).filePath(QStringLiteral("M4.txt"))).split('\r').first(),
        QByteArray("Testaufbau Halle 2"));

    // Left alone, the note is what an empty location stores.
    rig.choose("CBox_Speicher", QStringLiteral("M5"));
    QCOMPARE(info->text(), QStringLiteral("(leer)"));
    rig.button("BtnSave")->click();
    QCOMPARE(
        fileBytes(QDir(rig.programFolder).filePath(QStringLiteral("M5.txt"))).split('\r').first(),
        QByteArray("(leer)"));
    // Still the note after saving: the first key replaces it.
    QTest::keyClicks(info, QStringLiteral("!"));
    QCOMPARE(info->text(), QStringLiteral("!"));
    QCOMPARE(rig.messages, QStringList());
}

QTEST_MAIN(TestStoredFiles)
#include "tst_storedfiles.moc"
