// korvel-cli read: the read-out of the configuration, as a stored configuration.

#include "commands.h"
#include "failure.h"
#include "jsonrecord.h"
#include "options.h"
#include "output.h"
#include "session.h"

#include "module/registerdecoding.h"
#include "module/textfile.h"

#include <iterator>

namespace
{

QJsonObject bJson(const BPageValues &v)
{
    return {
        {QStringLiteral("frqRx"), v.frqRx},         {QStringLiteral("frqTx"), v.frqTx},
        {QStringLiteral("hfBaud"), v.hfBaud},       {QStringLiteral("channelWidth"), v.kBreite},
        {QStringLiteral("code"), v.code},           {QStringLiteral("rxTx"), v.rxTx},
        {QStringLiteral("modulation"), v.modArt},   {QStringLiteral("configBaud"), v.configBaud},
        {QStringLiteral("pwrupB0"), v.pwrupB0},     {QStringLiteral("pwrupB2"), v.pwrupB2},
        {QStringLiteral("pwrupB4"), v.pwrupB4},     {QStringLiteral("pwrupB5"), v.pwrupB5},
        {QStringLiteral("pwrContB0"), v.pwrContB0}, {QStringLiteral("pwrContB1"), v.pwrContB1},
        {QStringLiteral("recal"), v.recal},         {QStringLiteral("rssi"), v.rssi},
        {QStringLiteral("recalText"), v.recalText}, {QStringLiteral("rssiText"), v.rssiText}};
}

QJsonObject cJson(const CPageValues &v)
{
    QJsonObject page{
        {QStringLiteral("frqRx"), v.frqRx},         {QStringLiteral("frqTx"), v.frqTx},
        {QStringLiteral("hfBaud"), v.hfBaud},       {QStringLiteral("rs232Baud"), v.rs232Baud},
        {QStringLiteral("pwrupC0"), v.pwrupC0},     {QStringLiteral("pwrupC2"), v.pwrupC2},
        {QStringLiteral("pwrupC5"), v.pwrupC5},     {QStringLiteral("pwrContC0"), v.pwrContC0},
        {QStringLiteral("pwrContC1"), v.pwrContC1}, {QStringLiteral("recal"), v.recal},
        {QStringLiteral("recalText"), v.recalText}};
    // The data option boxes by name, as the power-up ones: bit n of register 0x10 is dataCn.
    for (int n = 0; n < int(std::size(v.data)); ++n)
        page.insert(QStringLiteral("dataC%1").arg(n), v.data[n]);
    return page;
}

int runRead(const QStringList &arguments)
{
    Cli::CommandParser parser(
        QStringLiteral("read"),
        QStringLiteral("read -p PORT [-b BAUD] (-o FILE [--info TEXT] | --json)"),
        QStringLiteral("Reads the module's configuration into a stored-configuration file in the "
                       "window's format (the window loads it), or as JSON on standard output."));
    parser.parser().addOptions({
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral("The stored-configuration file to write."),
         QStringLiteral("FILE")},
        {QStringLiteral("info"),
         QStringLiteral("The file's description line (default: type designation and serial "
                        "number)."),
         QStringLiteral("TEXT")},
    });
    parser.addJsonOption();
    parser.process(arguments);
    const Cli::CommonOptions options = parser.common();
    const QString output = parser.parser().value(QStringLiteral("output"));
    if (output.isEmpty() == !options.json)
        parser.usage(QStringLiteral("give either -o FILE or --json"));

    Cli::Session session(options);
    session.connect();
    session.requireConfigurable();
    const IdentityRecord &id = session.identity();

    StoredConfig config;
    config.typeLetter = id.typeLetter;
    config.info = parser.parser().isSet(QStringLiteral("info"))
                      ? parser.parser().value(QStringLiteral("info"))
                      : id.designation + QLatin1Char(' ') + id.serial;
    config.b = bPageAfterReadout(id, session.registers());
    config.c = cPageAfterReadout(id, session.registers());

    if (options.json) {
        QJsonObject registers;
        for (const quint8 reg : configurationRegisters(id.typeLetter)) {
            if (const auto value = session.registers().at(reg))
                registers.insert(Cli::hexByte(reg), int(*value));
        }
        QJsonObject object = Cli::moduleRecord(QStringLiteral("read"), options.port, id);
        object.insert(QStringLiteral("info"), config.info);
        object.insert(QStringLiteral("registers"), registers);
        if (config.b)
            object.insert(QStringLiteral("b"), bJson(*config.b));
        if (config.c)
            object.insert(QStringLiteral("c"), cJson(*config.c));
        Cli::writeJson(object);
        return Cli::Success;
    }

    // The file is written beside the old one and replaces it only when complete.
    const QString reason = saveFileAtomically(output, encodeStoredConfig(config));
    if (!reason.isEmpty())
        Cli::fail(Cli::UsageError, QStringLiteral("cannot write %1: %2").arg(output, reason));
    Cli::progress(QStringLiteral("%1 (%2) read into %3").arg(id.designation, id.serial, output));
    return Cli::Success;
}

const Cli::Registration registration{
    {QStringLiteral("read"), QStringLiteral("read the configuration into a file"), runRead}};

} // namespace
