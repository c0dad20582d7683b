#pragma once

#include <QString>

// The hidden word that opens the debug window when typed into the module type field. Letters
// match by key, whether or not Shift or Caps Lock is active; any other key is a wrong key.
class UnlockSequence
{
public:
    static constexpr char kWord[] = "KORVELLOG";
    static constexpr int kLength = 9;

    // Feeds one key press (a Qt::Key code); true when it completes the word.
    bool press(int key);
    QString buffer() const { return m_buffer; }

private:
    QString m_buffer;
};
