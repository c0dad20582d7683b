#include "link/comport.h"
#include "link/qserialportdevice.h"
#include "link/simregistry.h"
#include "window/portlist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using PortDescriptions = QHash<QString, QString>;
Q_DECLARE_METATYPE(PortItem)
Q_DECLARE_METATYPE(SimRegistry::Instance)

// The port selector's list, what it says about each port, the registry through which korvel-sim
// instances are found, and the line that explains a port failure.
class TestPortList : public QObject
{
    Q_OBJECT
private slots:
    void itemsOfTheList_data();
    void itemsOfTheList();
    void descriptionOfASerialPort_data();
    void descriptionOfASerialPort();
    void simInstancesAreFoundAndRemoved();
    void portFailureExplainsItself_data();
    void portFailureExplainsItself();
};

void TestPortList::itemsOfTheList_data()
{
    using Items = QList<PortItem>;
    using Sims = QList<SimRegistry::Instance>;
    using Descriptions = PortDescriptions;
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<Descriptions>("descriptions");
    QTest::addColumn<Sims>("sims");
    QTest::addColumn<Items>("items");
    const PortItem demo{"DEMO", ""};
    QTest::newRow("no ports") << QStringList{} << Descriptions{} << Sims{} << Items{demo};
    QTest::newRow("on-board port and adapter, described where the system can")
        << QStringList{"/dev/ttyS0", "/dev/ttyUSB0"}
        << Descriptions{{"/dev/ttyUSB0", "FT232R USB UART, FTDI"}} << Sims{}
        << Items{{"/dev/ttyS0", ""}, {"/dev/ttyUSB0", "FT232R USB UART, FTDI"}, demo};
    QTest::newRow("running simulators after the ports, DEMO last")
        << QStringList{"/dev/ttyS0"} << Descriptions{}
        << Sims{{"/run/user/1000/korvel-sim/korvel-sim-1", "/dev/pts/3"},
                {"/run/user/1000/korvel-sim/korvel-sim-2", "/dev/pts/5"}}
        << Items{{"/dev/ttyS0", ""},
                 {"/run/user/1000/korvel-sim/korvel-sim-1",
                  "korvel-sim (emulated module) on /dev/pts/3"},
                 {"/run/user/1000/korvel-sim/korvel-sim-2",
                  "korvel-sim (emulated module) on /dev/pts/5"},
                 demo};
    QTest::newRow("a simulator the system lists already comes once")
        << QStringList{"/tmp/sim"} << Descriptions{} << Sims{{"/tmp/sim", "/dev/pts/3"}}
        << Items{{"/tmp/sim", ""}, demo};
}

void TestPortList::itemsOfTheList()
{
    QFETCH(QStringList, ports);
    QFETCH(PortDescriptions, descriptions);
    QFETCH(QList<SimRegistry::Instance>, sims);
    QFETCH(QList<PortItem>, items);
    const QList<PortItem> built = buildPortItems(ports, descriptions, sims);
    QCOMPARE(built.size(), items.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
        QCOMPARE(built[i].text, items[i].text);
        QCOMPARE(built[i].toolTip, items[i].toolTip);
    }
}

void TestPortList::descriptionOfASerialPort_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("manufacturer");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<int>("vendor");
    QTest::addColumn<int>("product");
    QTest::addColumn<QString>("text");
    QTest::newRow("USB adapter") << "FT232R USB UART"
                                 << "FTDI"
                                 << "A10K3ZQ1" << 0x0403 << 0x6001
                                 << "FT232R USB UART, FTDI, serial number A10K3ZQ1, USB 0403:6001";
    QTest::newRow("maker named in the description")
        << "Prolific PL2303 adapter"
        << "prolific"
        << "" << 0x067b << 0x2303 << "Prolific PL2303 adapter, USB 067b:2303";
    QTest::newRow("on-board port") << ""
                                   << ""
                                   << "" << -1 << -1 << "";
    QTest::newRow("blanks only") << "  "
                                 << " "
                                 << "" << -1 << -1 << "";
    QTest::newRow("vendor without product") << "ttyACM"
                                            << ""
                                            << "" << 0x2341 << -1 << "ttyACM";
}

void TestPortList::descriptionOfASerialPort()
{
    QFETCH(QString, description);
    QFETCH(QString, manufacturer);
    QFETCH(QString, serial);
    QFETCH(int, vendor);
    QFETCH(int, product);
    QTEST(describeSerialPort(description, manufacturer, serial, vendor, product), "text");
}

void TestPortList::simInstancesAreFoundAndRemoved()
{
    QTemporaryDir runtime;
    const QString folder = runtime.filePath(QStringLiteral("korvel-sim"));
    QCOMPARE(SimRegistry::running(folder).size(), 0);
    // /dev/null stands for a pseudo-terminal: a character device that is there.
    QString error;
    auto first = std::make_unique<SimRegistry::Registration>();
    QVERIFY2(first->registerDevice(QStringLiteral("/dev/null"), 4711, &error, folder),
             qPrintable(error));
    QCOMPARE(first->path(), folder + QStringLiteral("/korvel-sim-4711"));
    SimRegistry::Registration second;
    QVERIFY(second.registerDevice(QStringLiteral("/dev/zero"), 4711, &error, folder));
    QCOMPARE(second.path(), folder + QStringLiteral("/korvel-sim-4711-2"));
    // A link left by an instance that was killed leads nowhere: not offered, and taken over.
    QVERIFY(QFile::link(runtime.filePath(QStringLiteral("gone")),
                        folder + QStringLiteral("/korvel-sim-99")));

    const QList<SimRegistry::Instance> found = SimRegistry::running(folder);
    QCOMPARE(found.size(), 2);
    QCOMPARE(found[0].path, first->path());
    QCOMPARE(found[0].device, QStringLiteral("/dev/null"));
    QCOMPARE(found[1].device, QStringLiteral("/dev/zero"));

    SimRegistry::Registration revived;
    QVERIFY(revived.registerDevice(QStringLiteral("/dev/null"), 99, &error, folder));
    QCOMPARE(revived.path(), folder + QStringLiteral("/korvel-sim-99"));

    first.reset();
    QVERIFY(!QFileInfo(folder + QStringLiteral("/korvel-sim-4711")).isSymLink());
    QCOMPARE(SimRegistry::running(folder).size(), 2);
}

void TestPortList::portFailureExplainsItself_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("no permission")
        << int(PortOperation::Open) << 13
        << "Unable to open com port (win error code: 13)\r\nPermission denied: add your user to "
           "the group dialout and log in again";
    QTest::newRow("adapter pulled")
        << int(PortOperation::AsyncStatus) << 19
        << "Unable to get async status (win error code: 19)\r\nNo such device: the adapter was "
           "unplugged; plug it in and connect again";
    QTest::newRow("port in use")
        << int(PortOperation::Open) << 16
        << "Unable to open com port (win error code: 16)\r\nDevice or resource busy: another "
           "program uses the port; close it and connect again";
    QTest::newRow("no such port")
        << int(PortOperation::Open) << 2
        << "Unable to open com port (win error code: 2)\r\nNo such file or directory: check the "
           "port name; the list shows the ports present";
    QTest::newRow("no error number")
        << int(PortOperation::ListPorts) << 0 << "EnumPorts function failed (win error code: 0)";
    QTest::newRow("number the system does not know")
        << int(PortOperation::Read) << 99999 << "ReadFile function failed (win error code: 99999)";
}

void TestPortList::portFailureExplainsItself()
{
    QFETCH(int, operation);
    QFETCH(int, code);
    QTEST(PortError(PortOperation(operation), code).text(), "text");
}

QTEST_MAIN(TestPortList)
#include "tst_portlist.moc"
