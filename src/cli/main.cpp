// korvel-cli: every module operation from the command line, for production lines and scripts.

#include "program.h"

int main(int argc, char *argv[])
{
    return Cli::runProgram(argc, argv);
}
