#include "window/unlocksequence.h"

#include <Qt>

static_assert(sizeof(UnlockSequence::kWord) == UnlockSequence::kLength + 1);

bool UnlockSequence::press(int key)
{
    const bool letter = key >= Qt::Key_A && key <= Qt::Key_Z;
    m_buffer += letter ? QChar(key) : QChar(0xFFFD);
    const int length = int(m_buffer.size());
    if (length > kLength) {
        // A key after a completed word starts nothing: the buffer is emptied.
        m_buffer.clear();
        return false;
    }
    if (key != kWord[length - 1]) {
        // The wrong key goes with the buffer, so it never begins the next attempt.
        m_buffer.clear();
        return false;
    }
    return length == kLength;
}
