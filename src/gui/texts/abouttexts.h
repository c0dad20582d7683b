#pragma once

// The about box's texts in one language. Texts are UTF-8.
struct AboutTexts {
    const char *caption;
    const char *productName;
    const char *information;
    const char *dateLabel;
    const char *compatibility; // the compatibility list, one comma-separated text
    const char *version;
    const char *date;
    const char *web;
    const char *company;
    const char *designer;
};

// German for language index 0, English for every other index.
const AboutTexts &aboutTexts(int languageIndex);
