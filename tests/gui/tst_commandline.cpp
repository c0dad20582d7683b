#include "korvel_version.h"
#include "texts/abouttexts.h"
#include "window/commandline.h"

#include <QtTest>

// What Korvel_Config does with the arguments QApplication leaves it.
class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void actions_data();
    void actions();
    void informationNeedsNoWindowSystem_data();
    void informationNeedsNoWindowSystem();
    void versionIsTheOneTheAboutBoxShows();
};

void TestCommandLine::actions_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("error");

    QTest::newRow("nothing opens the window")
        << QStringList{} << int(CommandLine::OpenWindow) << "";
    QTest::newRow("self-check") << QStringList{"--self-check"} << int(CommandLine::SelfCheck) << "";
    QTest::newRow("--help") << QStringList{"--help"} << int(CommandLine::Help) << "";
    QTest::newRow("-h") << QStringList{"-h"} << int(CommandLine::Help) << "";
    QTest::newRow("--version") << QStringList{"--version"} << int(CommandLine::Version) << "";
    QTest::newRow("help wins over version")
        << QStringList{"--version", "--help"} << int(CommandLine::Help) << "";
    QTest::newRow("help wins over an unknown option")
        << QStringList{"--verbose", "--help"} << int(CommandLine::Help) << "";
    QTest::newRow("unknown option")
        << QStringList{"--verbose"} << int(CommandLine::Refused) << "unknown option: --verbose";
    QTest::newRow("a file name") << QStringList{"M1.txt"} << int(CommandLine::Refused)
                                 << "unexpected argument: M1.txt";
    QTest::newRow("--help after -- is an argument")
        << QStringList{"--", "--help"} << int(CommandLine::Refused) << "unknown option: --";
}

void TestCommandLine::actions()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, error);

    const CommandLine line = parseCommandLine(arguments);
    QCOMPARE(int(line.action), action);
    QCOMPARE(line.error, error);
}

void TestCommandLine::informationNeedsNoWindowSystem_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");

    // Qt's options are still in the raw arguments and must not hide --help or --version.
    QTest::newRow("Qt option before --version")
        << QStringList{"-platform", "offscreen", "--version"} << int(CommandLine::Version);
    QTest::newRow("--self-check is left to the window")
        << QStringList{"--self-check"} << int(CommandLine::OpenWindow);
    QTest::newRow("unknown options are left to the second reading")
        << QStringList{"-style", "Fusion"} << int(CommandLine::OpenWindow);
}

void TestCommandLine::informationNeedsNoWindowSystem()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);

    QCOMPARE(int(informationRequest(arguments).action), action);
}

// --version shows the project's version; the about box keeps its fixed "2.1", which must stay
// the project's major and minor version.
void TestCommandLine::versionIsTheOneTheAboutBoxShows()
{
    const QString version = QStringLiteral(KORVEL_VERSION);
    QVERIFY(versionText(QStringLiteral("Korvel_Config"))
                .startsWith(QStringLiteral("Korvel_Config ") + version + QLatin1Char('\n')));
    for (int language : {0, 1}) {
        const QString shown = QString::fromUtf8(aboutTexts(language).version);
        QCOMPARE(version.section(QLatin1Char('.'), 0, 1), shown);
    }
}

QTEST_APPLESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
