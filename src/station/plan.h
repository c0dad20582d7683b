#pragma once

#include "rf/carrier.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

namespace Station
{

// A closed range of a measured value; either end may be open.
struct Range {
    std::optional<double> min;
    std::optional<double> max;
    bool contains(double value) const { return (!min || value >= *min) && (!max || value <= *max); }
};

// What the identification must show; a field left out is recorded but not checked.
struct IdentifyStep {
    std::optional<QString> type; // "B", "C" or "x"
    std::optional<int> band;     // 433 or 868
    std::optional<QString> designation;
    std::optional<QList<int>> firmwareMin; // the software version at least, e.g. 1/4/12
    std::optional<QString> calibration;    // the start-up report's status, e.g. "OK"
};

// A stored configuration into the EEPROM, read back after a power cycle.
struct WriteStep {
    QString path;       // as the plan names it, relative to the plan's folder
    QString file;       // the resolved path
    QByteArray bytes;   // the file as checked: the station writes what it checked
    QString sha256;     // of bytes, hexadecimal
    QString typeLetter; // line 2 of the file
};

struct TestStep {
    std::optional<Range> temperature; // °C
    std::optional<Range> voltage;     // V
    std::optional<Range> rssi;        // dBm, the current received signal strength
    bool recalibration = false;       // the module must report a successful recalibration
};

// LinkControl against the reference module on another port.
struct LinkStep {
    int cycles = 0;
    std::optional<int> interval; // ms; the shortest for the module's rates when not given
    double lostMaxPercent = 0;
    double snrMin = 0; // dB, of both modules: the lowest ratio of the run
};

struct CarrierStep {
    bool modulated = false;
    double seconds = 0;
    std::optional<CarrierPhases> phases; // alternating transmit and receive
};

struct SweepStep {
    bool autoset = true;
    QString centre; // MHz, as written
    QString span;   // kHz
    int sweeps = 1;
    int speed = 10;
    double noiseMax = 0; // dBm: no slot's peak may lie above
};

using StepSettings =
    std::variant<IdentifyStep, WriteStep, TestStep, LinkStep, CarrierStep, SweepStep>;

struct PlanStep {
    int line = 0; // of the step's table in the plan
    StepSettings settings;
    QString name() const;
};

struct Plan {
    QString name;
    QString path;
    QString sha256; // of the plan file
    QList<PlanStep> steps;
    bool needsReference() const;
    const IdentifyStep *identify() const;
};

// A plan read and checked completely: the plan, or every fault found, each naming the file and
// line ("plan.toml:12: ...").
struct PlanCheck {
    std::optional<Plan> plan;
    QStringList errors;
};

// The step names a plan's "run" takes, in the order they are listed to the user.
QStringList stepNames();

// Reads and checks a plan file. Files the plan names (the stored configuration) are read and
// checked too; nothing talks to a module.
PlanCheck readPlan(const QString &path);
// The same for the plan's text, as if read from path (for the folder that relative names use).
PlanCheck checkPlan(const QByteArray &text, const QString &path);

// A software version "1/4/12" as its three numbers; nothing when it is not one.
std::optional<QList<int>> parseVersion(const QString &text);
// Whether version a is at least b, number by number.
bool versionAtLeast(const QList<int> &a, const QList<int> &b);

} // namespace Station
