#pragma once

#include <span>

// What a row of a language table sets on its control.
enum class TextKind {
    Caption,        // window title, tab text, group title, label, button or check-box text
    Items,          // a combo box's item list, one comma-separated text
    Placeholder,    // what a combo box shows while nothing is selected; an empty text shows none
    AccessibleName, // what a screen reader calls the control; an editable combo box's text
                    // field gets it too
};

// One control's text in both languages. A null text leaves the control alone in that language.
// Texts are UTF-8.
struct UiText {
    const char *control; // objectName of the control
    TextKind kind;
    const char *german;
    const char *english;
};

// The tables Apply language sets, one per group of the window. Controls are found by name, so a
// row may name a control that a window does not have.
std::span<const UiText> shellTexts();      // title, connection group, debug window, module group
std::span<const UiText> modulePageTexts(); // Modulinfo, Konfig_B, Konfig_C
std::span<const UiText> testPageTexts();   // Modultest, HF_Test
std::span<const UiText> monitorTexts();    // Monitor

// A message in both languages. Texts are UTF-8.
struct MessageText {
    const char *german;
    const char *english;
};

// The language choice could not be written next to the settings file.
extern const MessageText kLanguageNotSaved;

// The LinkControl export button while no export runs, and while one runs.
extern const MessageText kLinkExportCaption;
extern const MessageText kLinkExportStopCaption;
