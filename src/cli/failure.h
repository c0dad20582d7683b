#pragma once

#include <QString>

namespace Cli
{

// Exit status of every command.
enum ExitCode {
    Success = 0,
    ModuleFailed = 1, // no answer, a refusal, a verify mismatch
    UsageError = 2,
    PortFailed = 3, // the port could not be opened or was lost
    // A fault of the program itself, an exception nobody expected (EX_SOFTWARE of sysexits.h):
    // neither the module nor the port is to blame.
    InternalError = 70,
};

// A failure that ends the command: main prints "korvel-cli: <message>" as one line on standard
// error and exits with the code. A PortError thrown by the port ends the command with PortFailed.
struct Failure {
    ExitCode code;
    QString message;
};

[[noreturn]] inline void fail(ExitCode code, const QString &message)
{
    throw Failure{code, message};
}

} // namespace Cli
