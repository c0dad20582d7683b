// korvel-cli-emulated: korvel-cli for the tests, with korvel-sim inside. A port named "sim: ..."
// (see sim/simports.h) opens a module emulated in the process, whose answers wait in the input
// as a real UART's do however late the machine runs the program; every other name opens the
// system's port as korvel-cli does. Built with the tests only, never installed.

#include "program.h"
#include "simports.h"

int main(int argc, char *argv[])
{
    SimPorts::install();
    return Cli::runProgram(argc, argv);
}
