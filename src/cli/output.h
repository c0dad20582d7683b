#pragma once

#include <QJsonObject>
#include <QString>
#include <QTextStream>

// Machine output goes to standard output, messages and progress to standard error.
namespace Cli
{

QTextStream &out(); // standard output, flushed at every line end by writeLine
QTextStream &err(); // standard error
void writeLine(const QString &line);
void progress(const QString &line); // one line on standard error
// The object as one line of compact JSON on standard output.
void writeJson(const QJsonObject &object);

// "korvel-cli: <message>" as one line on standard error; returns code, the exit status.
int report(int code, const QString &message);

// A window message in one line: a blank line between its parts becomes ": ", a line break a
// blank.
QString oneLine(QString text);
// A byte as the log and the verify name registers and values: "0x0B".
QString hexByte(quint8 value);

} // namespace Cli
