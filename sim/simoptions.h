#pragma once

#include "moduleemulator.h"

#include <QString>
#include <QStringList>

#include <functional>
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
// Sets the module up as korvel-sim does: the faults, the EEPROM kept in the file (loaded now,
// saved after every write), and a line for `print` for every frame, answer and report and for
// each state of a carrier stream, as korvel-sim prints them on standard error; a failure to save
// the EEPROM file is told there too.
void applySimOptions(ModuleEmulator &emulator, const SimOptions &options,
                     const std::function<void(const QString &line)> &print);
QString simUsage();
QString simVersionText();
