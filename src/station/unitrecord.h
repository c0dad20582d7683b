#pragma once

#include "station/plan.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

namespace Station
{

enum class Result { Passed, Failed, Skipped };
QString resultText(Result result); // "passed", "failed", "skipped"
std::optional<Result> resultOfText(const QString &text);

// One value a step measured or read, with the limits it was held against.
struct Measurement {
    QString quantity;            // "temperature", "lostPercent", "type", ...
    std::optional<double> value; // a number, or nothing when the value is a text
    QString text;                // the value as shown ("23°C", "C", "1/4/12")
    QString unit;                // "°C", "V", "dBm", "dB", "%", or empty
    std::optional<double> low;   // limits of a number
    std::optional<double> high;
    QString expected; // the expected text, or the lowest version
    Result result = Result::Passed;
};

struct StepRecord {
    QString name; // "identify", "write", ...
    Result result = Result::Passed;
    QString reason; // why it failed
    qint64 durationMs = 0;
    QList<Measurement> measurements;
};

// Everything known of one unit (one module on one port, one run of the plan).
struct UnitRecord {
    QString uuid;
    std::optional<quint32> serialNumber; // nothing when the module never told it
    QString designation;
    QString type;
    QString softwareVersion;
    QString hardware;
    QString band;
    QString port;
    QString station;
    QString operatorName;
    QDateTime startedAt; // UTC
    QDateTime endedAt;
    QString toolVersion;
    QString planName;
    QString planSha256;
    QString configurationSha256; // empty without a write step
    QString referenceSerial;     // the reference module of a LinkControl step
    Result result = Result::Passed;
    QString failure; // the first failure: "test: temperature 70°C above 60°C"
    QList<StepRecord> steps;
};

// A record as one JSON object (the line a line controller reads, and the export).
QJsonObject unitJson(const UnitRecord &unit);
UnitRecord unitFromJson(const QJsonObject &object);

// A measured number held against a range, and a text against its expected value.
Measurement checkNumber(const QString &quantity, double value, const QString &unit,
                        const std::optional<Range> &range);
Measurement checkText(const QString &quantity, const QString &value, const QString &expected);
// Why a measurement failed, for the unit's failure: "temperature 70°C above 60°C".
QString failureText(const Measurement &measurement);

} // namespace Station
