#pragma once

#include "texts/languagetexts.h"

// The messages of the LinkControl wizard.
extern const MessageText kWizardStart;
extern const MessageText kWizardBaudAdjusted;
extern const MessageText kWizardChannelAdjusted;
extern const MessageText kWizardSwapToModule2;
extern const MessageText kWizardNeedsCModule;
extern const MessageText kWizardBackToModule1;
extern const MessageText kWizardAssembleModule2;
extern const MessageText kWizardDone;
