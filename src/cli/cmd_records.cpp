// korvel-cli records: the station's records, listed or exported, by serial number, time range,
// station or result.

#include "commands.h"
#include "failure.h"
#include "options.h"
#include "output.h"

#include "station/recorddatabase.h"
#include "station/recordwriter.h"

#include <QDate>

namespace
{

// A time as the records keep it (ISO 8601 UTC with milliseconds): a date is its midnight, a
// time without zone the station's local time.
QString recordTime(Cli::CommandParser &parser, const QString &option)
{
    const QString text = parser.parser().value(option);
    QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!time.isValid()) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        if (date.isValid())
            time = date.startOfDay();
    }
    if (!time.isValid())
        parser.usage(QStringLiteral("--%1 \"%2\": a date (2024-05-31) or a time "
                                    "(2024-05-31T14:00, 2024-05-31T12:00:00Z) is expected")
                         .arg(option, text));
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QStringList unitFields(const Station::UnitRecord &unit)
{
    return {unit.uuid,
            unit.serialNumber ? QString::number(*unit.serialNumber) : QString(),
            unit.designation,
            unit.type,
            unit.softwareVersion,
            unit.hardware,
            unit.band,
            unit.port,
            unit.station,
            unit.operatorName,
            unit.startedAt.toUTC().toString(Qt::ISODateWithMs),
            unit.endedAt.toUTC().toString(Qt::ISODateWithMs),
            unit.toolVersion,
            unit.planName,
            unit.planSha256,
            unit.configurationSha256,
            Station::resultText(unit.result),
            unit.failure};
}

int runRecords(const QStringList &arguments)
{
    Cli::CommandParser parser(
        QStringLiteral("records"),
        QStringLiteral("records [--db URL] [--serial N] [--from TIME] [--to TIME] [--station "
                       "NAME] [--result passed|failed] [--limit N] [--csv | --json]"),
        QStringLiteral("Lists the units the station recorded, newest first: as a table, as CSV "
                       "(one row per unit) or as JSON (one line per unit with its steps and "
                       "measurements). Records that wait in the spool are sent to the database "
                       "first."));
    parser.parser().addOptions({
        {QStringLiteral("db"), QStringLiteral("The record database (as for station)."),
         QStringLiteral("URL")},
        {QStringLiteral("spool"), QStringLiteral("The spool (as for station)."),
         QStringLiteral("FILE")},
        {QStringLiteral("serial"), QStringLiteral("Only the module with this serial number."),
         QStringLiteral("N")},
        {QStringLiteral("from"), QStringLiteral("Only units started at or after TIME."),
         QStringLiteral("TIME")},
        {QStringLiteral("to"), QStringLiteral("Only units started before TIME."),
         QStringLiteral("TIME")},
        {QStringLiteral("station"), QStringLiteral("Only units of this station."),
         QStringLiteral("NAME")},
        {QStringLiteral("result"), QStringLiteral("Only passed or only failed units."),
         QStringLiteral("RESULT")},
        {QStringLiteral("limit"), QStringLiteral("At most N units."), QStringLiteral("N")},
        {QStringLiteral("csv"), QStringLiteral("One CSV row per unit, with a header.")},
    });
    parser.addJsonOption();
    parser.process(arguments);
    QCommandLineParser &p = parser.parser();
    const Cli::CommonOptions common = parser.common(false);
    if (!p.positionalArguments().isEmpty())
        parser.usage(QStringLiteral("unexpected \"%1\"").arg(p.positionalArguments().join(' ')));
    if (p.isSet(QStringLiteral("port")))
        parser.usage(QStringLiteral("records reads the database, no port"));
    if (common.json && p.isSet(QStringLiteral("csv")))
        parser.usage(QStringLiteral("give either --csv or --json"));

    Station::RecordFilter filter;
    if (p.isSet(QStringLiteral("serial"))) {
        bool ok = false;
        const qulonglong serial = p.value(QStringLiteral("serial")).toULongLong(&ok);
        if (!ok || serial > 0xFFFFFFFFull)
            parser.usage(QStringLiteral("--serial \"%1\": a serial number from 0 to 4294967295")
                             .arg(p.value(QStringLiteral("serial"))));
        filter.serialNumber = quint32(serial);
    }
    if (p.isSet(QStringLiteral("from")))
        filter.from = recordTime(parser, QStringLiteral("from"));
    if (p.isSet(QStringLiteral("to")))
        filter.to = recordTime(parser, QStringLiteral("to"));
    filter.station = p.value(QStringLiteral("station"));
    if (p.isSet(QStringLiteral("result"))) {
        const auto result = Station::resultOfText(p.value(QStringLiteral("result")));
        if (!result || *result == Station::Result::Skipped)
            parser.usage(QStringLiteral("--result \"%1\": passed or failed")
                             .arg(p.value(QStringLiteral("result"))));
        filter.result = result;
    }
    if (p.isSet(QStringLiteral("limit")))
        filter.limit = parser.intValue(QStringLiteral("limit"), 1, 100000000);

    QString error;
    const auto address = Station::parseDatabaseAddress(p.isSet(QStringLiteral("db"))
                                                           ? p.value(QStringLiteral("db"))
                                                           : Station::defaultDatabasePath(),
                                                       &error);
    if (!address)
        parser.usage(QStringLiteral("--db: ") + error);
    const QString spool = p.isSet(QStringLiteral("spool")) ? p.value(QStringLiteral("spool"))
                                                           : Station::defaultSpoolPath(*address);
    {
        // What waits in the spool belongs in the list.
        Station::RecordWriter writer(*address, spool);
        QObject::connect(&writer, &Station::RecordWriter::note, &writer, [](const QString &text) {
            Cli::progress(QStringLiteral("note: ") + text);
        });
        writer.start();
    }
    Station::RecordDatabase database(*address);
    const auto units = database.query(filter);
    if (!units)
        Cli::fail(Cli::UsageError, database.lastError());

    if (common.json) {
        for (const Station::UnitRecord &unit : *units)
            Cli::writeJson(Station::unitJson(unit));
    } else if (p.isSet(QStringLiteral("csv"))) {
        Cli::writeLine(QStringLiteral("uuid,serialNumber,designation,type,softwareVersion,"
                                      "hardware,band,port,station,operator,startedAt,endedAt,"
                                      "toolVersion,plan,planSha256,configurationSha256,result,"
                                      "failure"));
        for (const Station::UnitRecord &unit : *units) {
            QStringList fields = unitFields(unit);
            for (QString &field : fields)
                field = csvField(field);
            Cli::writeLine(fields.join(QLatin1Char(',')));
        }
    } else {
        for (const Station::UnitRecord &unit : *units) {
            Cli::writeLine(
                QStringLiteral("%1  %2  %3  %4  %5  %6%7")
                    .arg(unit.startedAt.toLocalTime().toString(
                             QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                         (unit.serialNumber ? QString::number(*unit.serialNumber)
                                            : QStringLiteral("-"))
                             .rightJustified(10),
                         unit.designation.leftJustified(16), unit.station, unit.port,
                         Station::resultText(unit.result),
                         unit.failure.isEmpty() ? QString() : QStringLiteral(": ") + unit.failure));
        }
        Cli::progress(
            QStringLiteral("%1 unit(s) in %2").arg(units->size()).arg(address->display()));
    }
    return Cli::Success;
}

const Cli::Registration registration{{QStringLiteral("records"),
                                      QStringLiteral("list and export the station's records"),
                                      runRecords}};

} // namespace
