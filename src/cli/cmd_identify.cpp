// korvel-cli identify: power-up and identification, as the window's connect.

#include "commands.h"
#include "failure.h"
#include "jsonrecord.h"
#include "options.h"
#include "output.h"
#include "session.h"

namespace
{

int number(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : -1;
}

int runIdentify(const QStringList &arguments)
{
    Cli::CommandParser parser(
        QStringLiteral("identify"), QStringLiteral("identify -p PORT [-b BAUD] [--json]"),
        QStringLiteral("Restarts the module as the window's connect does and reads its "
                       "identification: type, versions, command set, hardware, band and serial "
                       "number."));
    parser.addJsonOption();
    parser.process(arguments);
    const Cli::CommonOptions options = parser.common();

    Cli::Session session(options);
    session.connect();
    const IdentityRecord &id = session.identity();
    if (options.json) {
        QJsonObject object = Cli::moduleRecord(QStringLiteral("identify"), options.port, id);
        object.insert(QStringLiteral("softwareVersion"), id.swVersion);
        object.insert(QStringLiteral("commandSet"), number(id.commandSet));
        object.insert(QStringLiteral("hardware"), number(id.hardware));
        object.insert(QStringLiteral("hardwareText"), id.hardwareText);
        object.insert(QStringLiteral("speed"), id.speed);
        object.insert(QStringLiteral("band"), number(id.band));
        object.insert(QStringLiteral("calibration"), session.calibrationText());
        Cli::writeJson(object);
    } else {
        const QList<std::pair<QString, QString>> lines = {
            {QStringLiteral("type"), id.typeLetter},
            {QStringLiteral("designation"), id.designation},
            {QStringLiteral("software version"), id.swVersion},
            {QStringLiteral("command set"), id.commandSet},
            {QStringLiteral("hardware"),
             id.hardwareText.isEmpty()
                 ? id.hardware
                 : id.hardware + QStringLiteral(" (") + id.hardwareText + QLatin1Char(')')},
            {QStringLiteral("speed"), id.speed},
            {QStringLiteral("band"), id.band},
            {QStringLiteral("serial number"), id.serial},
            {QStringLiteral("calibration"), session.calibrationText()},
        };
        for (const auto &[key, value] : lines)
            Cli::writeLine(key + QStringLiteral(": ") + value);
    }
    return Cli::Success;
}

const Cli::Registration registration{
    {QStringLiteral("identify"), QStringLiteral("power-up and identification"), runIdentify}};

} // namespace
