#pragma once

#include "options.h"

#include "headless/modulesession.h"

#include <QString>

namespace Cli
{

// The port of the command's session went away outside an exchange (an adapter pulled out):
// what the system said, handed over when the session ended. The command ends with PortFailed
// once it returns, whatever it returns.
QString portLoss();

// One module on one port: the command line's counterpart of the connected window.
class Session : public Headless::ModuleSession
{
    Q_OBJECT
public:
    explicit Session(const CommonOptions &options, QObject *parent = nullptr);
    ~Session() override;

    // Opens the port, restarts the module as the window's connect does and reads its start-up
    // report, then the identification. PortFailed when the port cannot be opened, ModuleFailed
    // when the module does not answer.
    void connect();
    // Restarts the connected module as connect() does, without the identification: what it
    // holds afterwards is what its EEPROM gave it. ModuleFailed without a start-up report.
    void powerCycle();
    // ModuleFailed for a module whose software type the program does not serve.
    void requireConfigurable() const;

    const CommonOptions &options() const { return m_options; }

protected:
    // Told on standard error.
    void unknownSoftwareType(const QString &letter) override;

private:
    CommonOptions m_options;
};

} // namespace Cli
