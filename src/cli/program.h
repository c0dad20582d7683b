#pragma once

namespace Cli
{

// The whole of korvel-cli: its arguments, its run and its exit status.
int runProgram(int argc, char *argv[]);

} // namespace Cli
