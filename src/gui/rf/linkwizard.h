#pragma once

class TForm1;

// The LinkControl wizard behind BtnLinkControl_konfig: prepares module 1 for LinkControl, writes
// it into EEPROM, keeps a transfer copy "LinkControl" among the stored configurations, lets the
// user exchange the modules, writes the same configuration into module 2 and brings module 1
// back. It has no state of its own: it drives the window's controls as a user would.
void runLinkControlWizard(TForm1 &form);
