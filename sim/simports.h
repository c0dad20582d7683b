#pragma once

#include <QString>

// Ports whose name begins with "sim:" open a module emulated inside the program instead of a
// serial port; every other name opens the system's port as before. After the prefix come
// korvel-sim's own options, separated by blanks (so no option value may hold a blank):
//   "sim: --type B --band 433 --fault silent:B00100:all --eeprom /tmp/t/eeprom"
// One option korvel-sim does not have: --log FILE appends to FILE what korvel-sim prints on
// standard error (every frame, answer and report, the carrier streams). Each name is one module
// for the whole process, whichever thread opens it: its EEPROM outlives the power cycles, and
// with --eeprom it is kept in the file from one process to the next, as korvel-sim keeps it.
// The module answers on the program's own clock, so a program that the machine runs late still
// finds every answer that was due, as it would in a real UART's buffer.
namespace SimPorts
{

bool isSimPort(const QString &name);

// Every ComPort made from now on tells "sim:" names from the others (ComPort's test seam).
void install();

} // namespace SimPorts
