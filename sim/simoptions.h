#pragma once

#include "moduleemulator.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// The command line of korvel-sim.
struct SimOptions {
    EmulatorConfig config;
    std::vector<EmulatorFault> faults;
    QString eepromFile;
    bool help = false;
    bool version = false; // --version: print simVersionText() and stop
    QString error;        // not empty: the command line was refused, with this reason
};

// Parses the arguments after the program name.
SimOptions parseSimOptions(const QStringList &arguments);
QString simUsage();
// The module the options describe, with their faults injected and, with --eeprom, its EEPROM
// loaded from the file and written back after every store; failures to write go to printError.
std::shared_ptr<ModuleEmulator> makeSimModule(const SimOptions &options,
                                              std::function<void(const QString &)> printError);
// A line of korvel-sim's log: "     1.234 rx B0 00 01".
QString simLogLine(const EmulatorLogEntry &entry);
QString simVersionText();
