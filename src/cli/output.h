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

// Whether everything written to standard output so far has reached it: flushes it first. A full
// disk, a closed pipe or a terminal that has gone make it false for good.
bool outputComplete();
// The end of every command: standard output is flushed, and output that could not be written
// completely is told on standard error and turns a success into UsageError (a failure keeps its
// own status). Returns the exit status.
int finish(int code);

// "korvel-cli: <message>" as one line on standard error; returns code, the exit status.
int report(int code, const QString &message);

// A window message in one line: a blank line between its parts becomes ": ", a line break a
// blank.
QString oneLine(QString text);
// A short, printable excerpt of text from a file, for a message: at most maxChars characters,
// anything but printable ASCII as "?", and "..." where it was cut.
QString excerpt(const QString &text, int maxChars = 24);
// A byte as the log and the verify name registers and values: "0x0B".
QString hexByte(quint8 value);

} // namespace Cli
