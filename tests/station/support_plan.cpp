#include "support_plan.h"

#include <QDir>
#include <QFile>

namespace StationPlan
{

QByteArray storedConfigC(const QByteArray &name)
{
    return name + "\r\nC\r\n10\r\n10\r\n3\r\n4\r\n1\r\n0\r\n1\r\n1\r\n"
                  "1\r\n1\r\n0\r\n0\r\n0\r\n0\r\n0\r\n\r\n0\r\n";
}

QByteArray moduleSteps(const QByteArray &identify, const QByteArray &between)
{
    return "[[step]]\n"
           "run = \"identify\"\n"
           "type = \"C\"\n" +
           identify + "calibration = \"OK\"\n" + between +
           "[[step]]\n"
           "run = \"write\"\n"
           "file = \"M1.txt\"\n" +
           between +
           "[[step]]\n"
           "run = \"test\"\n"
           "temperature = [10, 45]\n"
           "voltage = [3.0, 3.6]\n"
           "rssi = [-120, -40]\n"
           "recalibration = true\n";
}

QString writeFile(const QString &folder, const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

} // namespace StationPlan
