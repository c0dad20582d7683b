#pragma once

struct ModuleContext;

// Configure: writes the shown configuration page into the module (handler of BtnKonfigurieren).
void writeConfiguration(ModuleContext &ctx);
