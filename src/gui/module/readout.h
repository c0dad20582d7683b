#pragma once

#include "module/moduleidentity.h"

struct ModuleContext;

// Identification and read-out of the module, and the tables that follow from it.
void readModule(ModuleContext &ctx);
void readButtonClicked(ModuleContext &ctx);
void buildRateLists(ModuleContext &ctx);
void buildChannelLists(ModuleContext &ctx);
void computeRbw(ModuleContext &ctx);

// Configuration decoders run by the read-out after an error-free identification.
void decodeBConfiguration(ModuleContext &ctx, const RegisterRead &registers);
void applyCalibrationPreset(ModuleContext &ctx);
void decodeCConfiguration(ModuleContext &ctx, const RegisterRead &registers);
