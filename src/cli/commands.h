#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace Cli
{

// A command: its name, a one-line summary for --help and its entry. run gets the arguments after
// the command name and returns the exit status (or throws Failure).
struct Command {
    QString name;
    QString summary;
    std::function<int(const QStringList &arguments)> run;
};

// Each command file registers its command with a static Registration.
struct Registration {
    explicit Registration(Command command);
};

const QList<Command> &commands();

} // namespace Cli
