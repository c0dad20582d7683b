#include "texts/wizardtexts.h"

// clang-format off
const MessageText kWizardStart = {
    "Die 2 für das Link Control benötigten Module werden in der folgenden Menueführung konfiguriert.\r\n(=> Die Daten im EEPROM werden verändert!)\r\n\r\nKonfiguration starten?",
    "The wizard is configurating two modules for LinkControl.\r\n(=> EEPROM values will be changed!)\r\n\r\nStart configuration?"};
const MessageText kWizardBaudAdjusted = {
    "RS232-Baudrate von PC und Modul müssen übereinstimmen\r\nRS232-Baudrate des Moduls wird auf die des PC gesetzt",
    "RS232 datarate of PC and module must be the same!\r\nRS232 datarate of module will be changed to datarate of PC"};
const MessageText kWizardChannelAdjusted = {
    "Sende- und Empfangsfrequenz müssen gleich sein,\r\nEmpfangsfrequenz wird auf die Sendefrequenz gesetze",
    "Transmit and receive frequency must be equal.\r\nReceive frequency will be changed to transmit frequency"};
const MessageText kWizardSwapToModule2 = {
    "-> Modul-1 entfernen.\r\n-> Bei Modul-2 PWR-Jumper entfernen\r\n   und anschliessen.\r\n(anschliessend mit OK bestätigen)",
    "-> Disconnect module 1.\r\n-> Remove PWR-Jumper on module 2\r\n   and connect to PC.\r\n(then confirm with OK)"};
const MessageText kWizardNeedsCModule = {
    "LinkControl nur mit C-Version möglich!\r\nModul mit C-Version anschliessen.",
    "LinkControl only works with transceiver version C!\r\nConnect transceiver version C."};
const MessageText kWizardBackToModule1 = {
    "Wieder Modul-1 anschliessen\r\n(anschliessend mit OK bestätigen)",
    "Reconnect module 1\r\n(then Confirm with OK)"};
const MessageText kWizardAssembleModule2 = {
    "Bei Modul-2 PWR-Jumper und LinkControl-Stecker(DSUB) wieder stecken",
    "Assemble PWR-jumper and LinkControl-Connector(DSUB) on module 2."};
const MessageText kWizardDone = {
    "Die beiden Module wurden erfolgreich für das LinkControl konfiguriert!\r\nLinkControl kann nun mit \"Start\" aktiviert werden.",
    "Configuration of module 1 and 2 successful!\r\nTo start LinkControl click the start button."};
// clang-format on
