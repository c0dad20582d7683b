#include "link/retryexchange.h"

#include "link/modulelink.h"

bool retryExchange(ModuleLink &link, const std::function<void()> &pass)
{
    LinkState &state = link.state();
    state.retryCounter = kExchangeAttempts;
    do {
        state.errorFlag = false;
        pass();
    } while (state.errorFlag && state.retryCounter != 0);
    return !state.errorFlag;
}
