#include "station/unitrecord.h"

#include <QJsonArray>

namespace Station
{

namespace
{

QString numberText(double value)
{
    return QString::number(value, 'g', 15);
}

QJsonValue optionalNumber(const std::optional<double> &value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

std::optional<double> numberOf(const QJsonValue &value)
{
    return value.isDouble() ? std::optional(value.toDouble()) : std::nullopt;
}

QString timeText(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

} // namespace

QString resultText(Result result)
{
    switch (result) {
    case Result::Passed:
        return QStringLiteral("passed");
    case Result::Failed:
        return QStringLiteral("failed");
    case Result::Skipped:
        break;
    }
    return QStringLiteral("skipped");
}

std::optional<Result> resultOfText(const QString &text)
{
    for (const Result result : {Result::Passed, Result::Failed, Result::Skipped}) {
        if (resultText(result) == text)
            return result;
    }
    return std::nullopt;
}

Measurement checkNumber(const QString &quantity, double value, const QString &unit,
                        const std::optional<Range> &range)
{
    Measurement m;
    m.quantity = quantity;
    m.value = value;
    m.text = numberText(value) + unit;
    m.unit = unit;
    if (range) {
        m.low = range->min;
        m.high = range->max;
        m.result = range->contains(value) ? Result::Passed : Result::Failed;
    }
    return m;
}

Measurement checkText(const QString &quantity, const QString &value, const QString &expected)
{
    Measurement m;
    m.quantity = quantity;
    m.text = value;
    m.expected = expected;
    m.result = expected.isEmpty() || expected == value ? Result::Passed : Result::Failed;
    return m;
}

QString failureText(const Measurement &m)
{
    if (m.value) {
        if (m.low && *m.value < *m.low)
            return QStringLiteral("%1 %2 below %3%4")
                .arg(m.quantity, m.text, numberText(*m.low), m.unit);
        if (m.high && *m.value > *m.high)
            return QStringLiteral("%1 %2 above %3%4")
                .arg(m.quantity, m.text, numberText(*m.high), m.unit);
    }
    return QStringLiteral("%1 %2, expected %3").arg(m.quantity, m.text, m.expected);
}

QJsonObject unitJson(const UnitRecord &unit)
{
    QJsonArray steps;
    for (const StepRecord &step : unit.steps) {
        QJsonArray measurements;
        for (const Measurement &m : step.measurements) {
            measurements.append(QJsonObject{
                {QStringLiteral("quantity"), m.quantity},
                {QStringLiteral("value"), optionalNumber(m.value)},
                {QStringLiteral("text"), m.text},
                {QStringLiteral("unit"), m.unit},
                {QStringLiteral("low"), optionalNumber(m.low)},
                {QStringLiteral("high"), optionalNumber(m.high)},
                {QStringLiteral("expected"), m.expected},
                {QStringLiteral("result"), resultText(m.result)},
            });
        }
        steps.append(QJsonObject{
            {QStringLiteral("step"), step.name},
            {QStringLiteral("result"), resultText(step.result)},
            {QStringLiteral("reason"), step.reason},
            {QStringLiteral("durationMs"), double(step.durationMs)},
            {QStringLiteral("measurements"), measurements},
        });
    }
    return QJsonObject{
        {QStringLiteral("uuid"), unit.uuid},
        {QStringLiteral("serialNumber"),
         unit.serialNumber ? QJsonValue(double(*unit.serialNumber)) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("designation"), unit.designation},
        {QStringLiteral("type"), unit.type},
        {QStringLiteral("softwareVersion"), unit.softwareVersion},
        {QStringLiteral("hardware"), unit.hardware},
        {QStringLiteral("band"), unit.band},
        {QStringLiteral("port"), unit.port},
        {QStringLiteral("station"), unit.station},
        {QStringLiteral("operator"), unit.operatorName},
        {QStringLiteral("startedAt"), timeText(unit.startedAt)},
        {QStringLiteral("endedAt"), timeText(unit.endedAt)},
        {QStringLiteral("toolVersion"), unit.toolVersion},
        {QStringLiteral("plan"), unit.planName},
        {QStringLiteral("planSha256"), unit.planSha256},
        {QStringLiteral("configurationSha256"), unit.configurationSha256},
        {QStringLiteral("referenceSerialNumber"), unit.referenceSerial},
        {QStringLiteral("result"), resultText(unit.result)},
        {QStringLiteral("failure"), unit.failure},
        {QStringLiteral("steps"), steps},
    };
}

UnitRecord unitFromJson(const QJsonObject &o)
{
    UnitRecord unit;
    unit.uuid = o.value(QStringLiteral("uuid")).toString();
    if (const auto serial = numberOf(o.value(QStringLiteral("serialNumber"))))
        unit.serialNumber = quint32(*serial);
    unit.designation = o.value(QStringLiteral("designation")).toString();
    unit.type = o.value(QStringLiteral("type")).toString();
    unit.softwareVersion = o.value(QStringLiteral("softwareVersion")).toString();
    unit.hardware = o.value(QStringLiteral("hardware")).toString();
    unit.band = o.value(QStringLiteral("band")).toString();
    unit.port = o.value(QStringLiteral("port")).toString();
    unit.station = o.value(QStringLiteral("station")).toString();
    unit.operatorName = o.value(QStringLiteral("operator")).toString();
    unit.startedAt =
        QDateTime::fromString(o.value(QStringLiteral("startedAt")).toString(), Qt::ISODateWithMs);
    unit.endedAt =
        QDateTime::fromString(o.value(QStringLiteral("endedAt")).toString(), Qt::ISODateWithMs);
    unit.toolVersion = o.value(QStringLiteral("toolVersion")).toString();
    unit.planName = o.value(QStringLiteral("plan")).toString();
    unit.planSha256 = o.value(QStringLiteral("planSha256")).toString();
    unit.configurationSha256 = o.value(QStringLiteral("configurationSha256")).toString();
    unit.referenceSerial = o.value(QStringLiteral("referenceSerialNumber")).toString();
    unit.result =
        resultOfText(o.value(QStringLiteral("result")).toString()).value_or(Result::Failed);
    unit.failure = o.value(QStringLiteral("failure")).toString();
    for (const QJsonValue &s : o.value(QStringLiteral("steps")).toArray()) {
        const QJsonObject so = s.toObject();
        StepRecord step;
        step.name = so.value(QStringLiteral("step")).toString();
        step.result =
            resultOfText(so.value(QStringLiteral("result")).toString()).value_or(Result::Failed);
        step.reason = so.value(QStringLiteral("reason")).toString();
        step.durationMs = qint64(so.value(QStringLiteral("durationMs")).toDouble());
        for (const QJsonValue &mv : so.value(QStringLiteral("measurements")).toArray()) {
            const QJsonObject mo = mv.toObject();
            Measurement m;
            m.quantity = mo.value(QStringLiteral("quantity")).toString();
            m.value = numberOf(mo.value(QStringLiteral("value")));
            m.text = mo.value(QStringLiteral("text")).toString();
            m.unit = mo.value(QStringLiteral("unit")).toString();
            m.low = numberOf(mo.value(QStringLiteral("low")));
            m.high = numberOf(mo.value(QStringLiteral("high")));
            m.expected = mo.value(QStringLiteral("expected")).toString();
            m.result = resultOfText(mo.value(QStringLiteral("result")).toString())
                           .value_or(Result::Failed);
            step.measurements << m;
        }
        unit.steps << step;
    }
    return unit;
}

} // namespace Station
