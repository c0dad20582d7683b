#pragma once

#include <QString>
#include <QStringList>

// What the command line of Korvel_Config asks for. Qt's own options (-platform, -style, ...)
// are taken out by QApplication before the rest is read.
struct CommandLine {
    enum Action { OpenWindow, SelfCheck, Help, Version, Refused };
    Action action = OpenWindow;
    QString error; // for Refused: the reason, to be printed with the usage hint
};

// --help and --version are read from the raw arguments (after the program name) before any
// window system is needed, so that both work without a display.
CommandLine informationRequest(const QStringList &arguments);

// The arguments left after QApplication took its own (after the program name).
CommandLine parseCommandLine(const QStringList &arguments);

QString commandLineUsage();
QString versionText(const QString &program);
