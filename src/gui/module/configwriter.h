#pragma once

struct ModuleContext;

// Configure: writes the shown configuration page into the module (handler of BtnKonfigurieren).
// False when the module did not get it: the write was refused or failed, and said so.
bool writeConfiguration(ModuleContext &ctx);
