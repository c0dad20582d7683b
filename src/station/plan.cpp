#include "station/plan.h"

#include "module/identification.h"
#include "module/itemcounts.h"
#include "module/storedconfig.h"
#include "module/tables.h"
#include "module/textfile.h"
#include "monitor/frequencyset.h"
#include "rf/linkformulas.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <toml++/toml.h>

#include <cmath>
#include <set>

namespace Station
{

namespace
{

// A plan is a short text an engineer edits; anything larger is not one.
constexpr qint64 kPlanMaxBytes = 256 * 1024;

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString sha256Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QString numberText(double value)
{
    return QString::number(value, 'g', 15);
}

// Collects the faults of one plan, each with its line.
class Checker
{
public:
    explicit Checker(const QString &path) : m_path(path), m_folder(QFileInfo(path).absolutePath())
    {
    }

    void error(int line, const QString &message)
    {
        m_errors.push_back({line, QStringLiteral("%1:%2: %3").arg(m_path).arg(line).arg(message)});
    }
    // In the order of the plan's lines.
    QStringList errors() const
    {
        auto sorted = m_errors;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
        QStringList texts;
        for (const auto &error : sorted)
            texts << error.second;
        return texts;
    }
    QString folder() const { return m_folder; }

private:
    QString m_path;
    QString m_folder;
    QList<std::pair<int, QString>> m_errors;
};

int lineOf(const toml::node &node)
{
    return int(node.source().begin.line);
}

// The step's keys, each checked once; what is left at the end is unknown.
class StepReader
{
public:
    StepReader(const toml::table &table, const QString &kind, Checker &checker)
        : m_table(table), m_kind(kind), m_checker(checker)
    {
    }

    const toml::node *take(const char *key)
    {
        m_known.insert(key);
        return m_table.get(key);
    }
    int line() const { return lineOf(m_table); }
    void error(const toml::node *node, const QString &message)
    {
        m_checker.error(node ? lineOf(*node) : line(), message);
    }

    std::optional<QString> string(const char *key)
    {
        const toml::node *node = take(key);
        if (!node)
            return std::nullopt;
        if (const auto value = node->value<std::string>())
            return qs(*value);
        error(node, QStringLiteral("%1: a text in quotes is expected").arg(QLatin1String(key)));
        return std::nullopt;
    }

    // A number within [min, max]; integers only when whole.
    std::optional<double> number(const char *key, double min, double max, bool whole = false)
    {
        const toml::node *node = take(key);
        if (!node)
            return std::nullopt;
        const auto value = node->value<double>();
        if (!value || (!node->is_integer() && !node->is_floating_point()) ||
            (whole && !node->is_integer()) || !std::isfinite(*value) || *value < min ||
            *value > max) {
            error(node,
                  QStringLiteral("%1: %2 from %3 to %4 is expected")
                      .arg(QLatin1String(key),
                           whole ? QStringLiteral("a whole number") : QStringLiteral("a number"),
                           numberText(min), numberText(max)));
            return std::nullopt;
        }
        return *value;
    }

    std::optional<bool> boolean(const char *key)
    {
        const toml::node *node = take(key);
        if (!node)
            return std::nullopt;
        if (const auto value = node->value<bool>())
            return *value;
        error(node, QStringLiteral("%1: true or false is expected").arg(QLatin1String(key)));
        return std::nullopt;
    }

    // [min, max] of a measured value.
    std::optional<Range> range(const char *key, double lowest, double highest, const char *unit)
    {
        const toml::node *node = take(key);
        if (!node)
            return std::nullopt;
        const toml::array *array = node->as_array();
        const QString expected =
            QStringLiteral("%1: [min, max] in %2 is expected, two numbers from %3 to %4")
                .arg(QLatin1String(key), QString::fromUtf8(unit), numberText(lowest),
                     numberText(highest));
        if (!array || array->size() != 2) {
            error(node, expected);
            return std::nullopt;
        }
        Range range;
        for (int i = 0; i < 2; ++i) {
            const auto value = (*array)[size_t(i)].value<double>();
            if (!value || !std::isfinite(*value) || *value < lowest || *value > highest) {
                error(node, expected);
                return std::nullopt;
            }
            (i == 0 ? range.min : range.max) = *value;
        }
        if (*range.min > *range.max) {
            error(node,
                  QStringLiteral("%1: min %2 is above max %3")
                      .arg(QLatin1String(key), numberText(*range.min), numberText(*range.max)));
            return std::nullopt;
        }
        return range;
    }

    void require(const char *key, bool given)
    {
        if (!given && !m_table.get(key))
            m_checker.error(line(),
                            QStringLiteral("a %1 step needs %2").arg(m_kind, QLatin1String(key)));
    }

    // Every key the step kind does not know is named.
    void finish()
    {
        for (auto &&[key, value] : m_table) {
            if (!m_known.count(std::string(key.str())))
                m_checker.error(
                    int(key.source().begin.line),
                    QStringLiteral("unknown key \"%1\" in a %2 step").arg(qs(key.str()), m_kind));
        }
    }

private:
    const toml::table &m_table;
    QString m_kind;
    Checker &m_checker;
    std::set<std::string> m_known{"run"};
};

// The identity a designation such as Korvel868-10-C3 stands for, where it names one.
std::optional<IdentityRecord> identityOfDesignation(const QString &designation)
{
    static const QRegularExpression pattern(
        QStringLiteral("^Korvel(433|868)-(\\d+)-([A-Za-z])(\\d+)$"));
    const auto match = pattern.match(designation);
    if (!match.hasMatch())
        return std::nullopt;
    IdentityRecord identity;
    identity.band = match.captured(1);
    identity.hardware = match.captured(2);
    identity.typeLetter = match.captured(3);
    identity.commandSet = match.captured(4);
    identity.speed = softwareSpeedFromHardware(identity.hardware);
    identity.designation = designation;
    return identity;
}

IdentifyStep readIdentify(StepReader &reader)
{
    IdentifyStep step;
    if (const auto type = reader.string("type")) {
        if (*type == QLatin1String("B") || *type == QLatin1String("C") ||
            *type == QLatin1String("x"))
            step.type = *type;
        else
            reader.error(reader.take("type"), QStringLiteral("type: \"B\", \"C\" or \"x\""));
    }
    if (const auto band = reader.number("band", 0, 10000, true)) {
        if (*band == 433 || *band == 868)
            step.band = int(*band);
        else
            reader.error(reader.take("band"), QStringLiteral("band: 433 or 868"));
    }
    if (const auto designation = reader.string("designation")) {
        step.designation = *designation;
        if (const auto identity = identityOfDesignation(*designation)) {
            if (step.type && *step.type != identity->typeLetter)
                reader.error(reader.take("designation"),
                             QStringLiteral("designation %1 is no type %2 module")
                                 .arg(*designation, *step.type));
            if (step.band && QString::number(*step.band) != identity->band)
                reader.error(reader.take("designation"),
                             QStringLiteral("designation %1 is no %2 MHz module")
                                 .arg(*designation)
                                 .arg(*step.band));
        }
    }
    if (const auto firmware = reader.string("firmware_min")) {
        if (const auto version = parseVersion(*firmware))
            step.firmwareMin = *version;
        else
            reader.error(reader.take("firmware_min"),
                         QStringLiteral("firmware_min: a version such as \"1/4/12\""));
    }
    if (const auto calibration = reader.string("calibration"))
        step.calibration = *calibration;
    return step;
}

// The type, band and designation a plan expects of its modules, from its identify step.
struct Expected {
    QString type;
    std::optional<IdentityRecord> identity;
};

WriteStep readWrite(StepReader &reader, Checker &checker, const Expected &expected)
{
    WriteStep step;
    reader.require("file", false);
    const auto path = reader.string("file");
    if (!path)
        return step;
    const toml::node *node = reader.take("file");
    step.path = *path;
    step.file = QDir(checker.folder()).absoluteFilePath(*path);
    const SmallFileRead file = readSmallFile(step.file, kStoredConfigMaxBytes);
    switch (file.status) {
    case SmallFileStatus::Read:
        break;
    case SmallFileStatus::TooLarge:
        reader.error(node, QStringLiteral("file %1: larger than a stored configuration (%2 "
                                          "bytes at most)")
                               .arg(*path)
                               .arg(kStoredConfigMaxBytes));
        return step;
    case SmallFileStatus::NotRegular:
        reader.error(node, QStringLiteral("file %1: not a regular file").arg(*path));
        return step;
    default:
        reader.error(node, QStringLiteral("file %1: cannot be read: %2").arg(*path, file.error));
        return step;
    }
    step.bytes = file.bytes;
    step.sha256 = sha256Hex(file.bytes);
    const QStringList lines = storedConfigLines(file.bytes);
    step.typeLetter = lines.size() >= 2 ? storedTypeLetter(lines) : QString();
    if (!isKnownSoftwareType(step.typeLetter)) {
        reader.error(node, QStringLiteral("file %1: not a stored configuration (line 2 names no "
                                          "module type B, C or x)")
                               .arg(*path));
        return step;
    }
    if (!expected.type.isEmpty() && expected.type != step.typeLetter) {
        reader.error(node, QStringLiteral("file %1 was saved from a %2 module; the plan "
                                          "identifies type %3")
                               .arg(*path, step.typeLetter, expected.type));
        return step;
    }
    // With the module's designation known, every line is checked against its lists; a C module
    // that tells its speed may run at 16 or 64 MHz, whose rate lists differ.
    if (expected.identity) {
        QStringList speeds{expected.identity->speed};
        if (isExtendedCModule(expected.identity->typeLetter, expected.identity->commandSet.toInt()))
            speeds = {QStringLiteral("16MHz"), QStringLiteral("64MHz")};
        int damaged = 0;
        bool fits = false;
        for (const QString &speed : speeds) {
            IdentityRecord identity = *expected.identity;
            identity.speed = speed;
            const bool parsed =
                firmwareType(step.typeLetter) == FirmwareType::C
                    ? parseStoredCLines(lines, cItemCounts(identity), &damaged).has_value()
                    : parseStoredBLines(lines, bItemCounts(identity), &damaged).has_value();
            fits = fits || parsed;
        }
        if (!fits)
            reader.error(node, QStringLiteral("file %1, line %2: damaged or not for a %3")
                                   .arg(*path)
                                   .arg(damaged)
                                   .arg(expected.identity->designation));
    }
    return step;
}

TestStep readTest(StepReader &reader)
{
    TestStep step;
    step.temperature = reader.range("temperature", -128, 127, "°C");
    step.voltage = reader.range("voltage", 0, 25.5, "V");
    step.rssi = reader.range("rssi", -128, 127, "dBm");
    step.recalibration = reader.boolean("recalibration").value_or(false);
    if (!reader.take("temperature") && !reader.take("voltage") && !reader.take("rssi") &&
        !step.recalibration)
        reader.error(nullptr, QStringLiteral("a test step needs temperature, voltage, rssi or "
                                             "recalibration = true"));
    return step;
}

LinkStep readLink(StepReader &reader, const Expected &expected)
{
    LinkStep step;
    reader.require("cycles", false);
    reader.require("lost_max", false);
    reader.require("snr_min", false);
    step.cycles = int(reader.number("cycles", 1, 1000000, true).value_or(0));
    if (const auto interval = reader.number("interval", 1, LinkFormulas::kIntervalMaxMs, true))
        step.interval = int(*interval);
    step.lostMaxPercent = reader.number("lost_max", 0, 100).value_or(0);
    step.snrMin = reader.number("snr_min", -255, 255).value_or(0);
    if (!expected.type.isEmpty() && expected.type != QLatin1String("C"))
        reader.error(nullptr, QStringLiteral("LinkControl needs a C module; the plan identifies "
                                             "type %1")
                                  .arg(expected.type));
    return step;
}

CarrierStep readCarrier(StepReader &reader)
{
    CarrierStep step;
    reader.require("mode", false);
    reader.require("seconds", false);
    if (const auto mode = reader.string("mode")) {
        if (*mode == QLatin1String("modulated") || *mode == QLatin1String("unmodulated"))
            step.modulated = *mode == QLatin1String("modulated");
        else
            reader.error(reader.take("mode"),
                         QStringLiteral("mode: \"unmodulated\" or \"modulated\""));
    }
    step.seconds = reader.number("seconds", 0.001, 3600).value_or(0);
    const auto tx = reader.number("tx_ms", kPhaseMinMs, kPhaseMaxMs, true);
    const auto rx = reader.number("rx_ms", kPhaseMinMs, kPhaseMaxMs, true);
    if (tx && rx)
        step.phases = CarrierPhases{int(*tx), int(*rx)};
    else if (reader.take("tx_ms") || reader.take("rx_ms"))
        reader.error(reader.take("tx_ms") ? reader.take("tx_ms") : reader.take("rx_ms"),
                     QStringLiteral("tx_ms and rx_ms go together"));
    return step;
}

// A number written as a number or as text, as the window's entry takes it.
std::optional<QString> entryText(StepReader &reader, const char *key)
{
    const toml::node *node = reader.take(key);
    if (!node)
        return std::nullopt;
    if (const auto number = node->value<double>(); number && !node->is_string())
        return numberText(*number);
    return reader.string(key);
}

SweepStep readSweep(StepReader &reader)
{
    SweepStep step;
    reader.require("noise_max", false);
    const bool autoset = reader.boolean("autoset").value_or(false);
    const auto centre = entryText(reader, "center");
    const auto span = entryText(reader, "span");
    if (autoset && (centre || span))
        reader.error(nullptr, QStringLiteral("autoset excludes center and span"));
    else if (bool(centre) != bool(span))
        reader.error(nullptr, QStringLiteral("center and span go together"));
    else if (!autoset && !centre)
        reader.error(nullptr,
                     QStringLiteral("a sweep step needs autoset = true or center and span"));
    if (centre && span) {
        step.autoset = false;
        step.centre = *centre;
        step.span = *span;
        // What the entry alone decides is checked here; the band and bandwidth at the module.
        FrequencySetRequest request;
        request.centreText = *centre;
        request.spanText = *span;
        request.typeLetter = QStringLiteral("B");
        request.spacingItem = 0;
        request.locale = QLocale::c();
        const FrequencySetResult entry = frequencySet(request);
        if (entry.refusal == FrequencySetResult::EmptyEntry ||
            entry.refusal == FrequencySetResult::NotANumber ||
            entry.refusal == FrequencySetResult::NegativeSpan)
            reader.error(reader.take("center"),
                         QStringLiteral("center %1, span %2: %3")
                             .arg(*centre, *span, entry.messages.value(0).english.simplified()));
    }
    step.sweeps = int(reader.number("sweeps", 1, 1000, true).value_or(1));
    step.speed = int(reader.number("speed", 0, 10, true).value_or(10));
    step.noiseMax = reader.number("noise_max", -128, 127).value_or(0);
    return step;
}

} // namespace

QStringList stepNames()
{
    return {QStringLiteral("identify"), QStringLiteral("write"),   QStringLiteral("test"),
            QStringLiteral("link"),     QStringLiteral("carrier"), QStringLiteral("sweep")};
}

QString PlanStep::name() const
{
    return stepNames().value(int(settings.index()));
}

bool Plan::needsReference() const
{
    for (const PlanStep &step : steps) {
        if (std::holds_alternative<LinkStep>(step.settings))
            return true;
    }
    return false;
}

const IdentifyStep *Plan::identify() const
{
    for (const PlanStep &step : steps) {
        if (const auto *identify = std::get_if<IdentifyStep>(&step.settings))
            return identify;
    }
    return nullptr;
}

std::optional<QList<int>> parseVersion(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('/'));
    if (parts.size() != 3)
        return std::nullopt;
    QList<int> numbers;
    for (const QString &part : parts) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (!ok || n < 0 || n > 255)
            return std::nullopt;
        numbers << n;
    }
    return numbers;
}

bool versionAtLeast(const QList<int> &a, const QList<int> &b)
{
    return !std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end());
}

PlanCheck checkPlan(const QByteArray &text, const QString &path)
{
    PlanCheck check;
    Checker checker(path);
    toml::table document;
    try {
        document = toml::parse(std::string_view(text.constData(), size_t(text.size())),
                               path.toStdString());
    } catch (const toml::parse_error &error) {
        checker.error(int(error.source().begin.line), qs(error.description()));
        check.errors = checker.errors();
        return check;
    }

    Plan plan;
    plan.path = path;
    plan.sha256 = sha256Hex(text);
    for (auto &&[key, value] : document) {
        if (key.str() != "name" && key.str() != "step")
            checker.error(int(key.source().begin.line),
                          QStringLiteral("unknown key \"%1\" (a plan has name and [[step]] "
                                         "tables)")
                              .arg(qs(key.str())));
    }
    if (const auto name = document["name"].value<std::string>(); name && !name->empty())
        plan.name = qs(*name);
    else
        checker.error(document.get("name") ? lineOf(*document.get("name")) : 1,
                      QStringLiteral("the plan needs a name = \"...\""));

    const toml::array *steps = document["step"].as_array();
    if (!steps || steps->empty() || !steps->is_array_of_tables()) {
        checker.error(document.get("step") ? lineOf(*document.get("step")) : 1,
                      QStringLiteral("the plan needs at least one [[step]] table"));
        check.errors = checker.errors();
        return check;
    }

    Expected expected;
    for (const toml::node &node : *steps) {
        const toml::table &table = *node.as_table();
        const int line = lineOf(table);
        const auto run = table["run"].value<std::string>();
        const QString kind = run ? qs(*run) : QString();
        const int index = int(stepNames().indexOf(kind));
        if (index < 0) {
            checker.error(line, run ? QStringLiteral("unknown step \"%1\": run is one of %2")
                                          .arg(kind, stepNames().join(QStringLiteral(", ")))
                                    : QStringLiteral("a step needs run = \"%1\"")
                                          .arg(stepNames().join(QStringLiteral("\" | \""))));
            continue;
        }
        StepReader reader(table, kind, checker);
        PlanStep step;
        step.line = line;
        switch (index) {
        case 0:
            if (!plan.steps.isEmpty())
                checker.error(line, QStringLiteral("identify must be the first step"));
            step.settings = readIdentify(reader);
            if (const auto &identify = std::get<IdentifyStep>(step.settings);
                identify.designation) {
                expected.identity = identityOfDesignation(*identify.designation);
                expected.type = expected.identity ? expected.identity->typeLetter
                                                  : identify.type.value_or(QString());
            } else {
                expected.type = identify.type.value_or(QString());
            }
            break;
        case 1:
            step.settings = readWrite(reader, checker, expected);
            break;
        case 2:
            step.settings = readTest(reader);
            break;
        case 3:
            step.settings = readLink(reader, expected);
            break;
        case 4:
            step.settings = readCarrier(reader);
            break;
        default:
            step.settings = readSweep(reader);
            break;
        }
        reader.finish();
        plan.steps << step;
    }

    check.errors = checker.errors();
    if (check.errors.isEmpty())
        check.plan = plan;
    return check;
}

PlanCheck readPlan(const QString &path)
{
    const SmallFileRead file = readSmallFile(path, kPlanMaxBytes);
    PlanCheck check;
    switch (file.status) {
    case SmallFileStatus::Read:
        return checkPlan(file.bytes, path);
    case SmallFileStatus::TooLarge:
        check.errors
            << QStringLiteral("%1: larger than %2 bytes, not a plan").arg(path).arg(kPlanMaxBytes);
        break;
    case SmallFileStatus::NotRegular:
        check.errors << QStringLiteral("%1: not a regular file").arg(path);
        break;
    default:
        check.errors << QStringLiteral("cannot read %1: %2").arg(path, file.error);
        break;
    }
    return check;
}

} // namespace Station
