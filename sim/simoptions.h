#pragma once

#include "moduleemulator.h"

#include <QString>
#include <QStringList>

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
QString simVersionText();
