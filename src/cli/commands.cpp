#include "commands.h"

#include <utility>

namespace Cli
{

namespace
{

// Built on first use: the registrations run during static initialisation, in no set order.
QList<Command> &registry()
{
    static QList<Command> all;
    return all;
}

} // namespace

Registration::Registration(Command command)
{
    registry().append(std::move(command));
}

const QList<Command> &commands()
{
    return registry();
}

} // namespace Cli
