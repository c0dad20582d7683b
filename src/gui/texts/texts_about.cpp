#include "texts/abouttexts.h"

namespace
{

#define KORVEL_MODELS                                                                              \
    "-Korvel433-10-B3   -Korvel868-10-B3           -Korvel433-10-C2   -Korvel868-10-C2,"           \
    "-Korvel433-11-B3   -Korvel868-11-B3           -Korvel433-11-C2   -Korvel868-11-C2,"           \
    "-Korvel433-12-B3   -Korvel868-12-B3           -Korvel433-12-C2   -Korvel868-12-C2,"           \
    "-Korvel433-13-B3   -Korvel868-13-B3           -Korvel433-13-C2   -Korvel868-13-C2,"           \
    "-Korvel433-14-B4   -Korvel868-14-B4           -Korvel433-14-C3   -Korvel868-14-C3"

#define KORVEL_COMPANY "Korvel-Config Project"
#define KORVEL_WEB "https://korvel-config.example.org"
#define KORVEL_DESIGNER "The Korvel-Config developers"

const AboutTexts kGerman = {
    "Infos zu Korvel-Config Version 2.1",
    "Korvel-Config",
    "Konfigurationstool für  Korvel433/868-xx-xx",
    "Datum:",
    "Kompatibel für Module:,***************************," KORVEL_MODELS,
    "2.1",
    "14.05.2008",
    KORVEL_WEB,
    KORVEL_COMPANY,
    KORVEL_DESIGNER,
};

const AboutTexts kEnglish = {
    "About Korvel-Config version 2.1",
    "Korvel-Config",
    "Configurationtool for  Korvel433/868-xx-xx",
    "Date:",
    "Modul compatibility:,***************************," KORVEL_MODELS,
    "2.1",
    "14.05.2008",
    KORVEL_WEB,
    KORVEL_COMPANY,
    KORVEL_DESIGNER,
};

} // namespace

const AboutTexts &aboutTexts(int languageIndex)
{
    return languageIndex == 0 ? kGerman : kEnglish;
}
