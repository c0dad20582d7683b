#pragma once

#include <QtGlobal>

#include <functional>

class ModuleLink;

// The attempts every exchange sequence gets: the link's retry counter starts here and every
// failed answer takes one off.
constexpr quint8 kExchangeAttempts = 5;

// Runs pass again and again, each time with the error flag cleared, until a pass ends without
// a failed answer or the attempts are used up. True when the last pass succeeded.
bool retryExchange(ModuleLink &link, const std::function<void()> &pass);
