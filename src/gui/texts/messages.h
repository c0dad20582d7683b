#pragma once

#include "texts/languagetexts.h"

#include <QString>

#include <functional>

class QWidget;

// The modal boxes of the program: information with OK, questions with Yes and No, and
// confirmations with OK and Cancel. Tests
// replace the presenter to record texts and answer questions.
namespace Messages
{

enum class Kind { Information, Question, Confirmation };
// Returns true for Yes (questions) or OK (information, confirmations).
using Presenter = std::function<bool(Kind, const QString &text)>;

void setPresenterForTest(Presenter presenter);

// German for language index 0, English for every other index (-1 included).
inline const QString &choose(int languageIndex, const QString &german, const QString &english)
{
    return languageIndex == 0 ? german : english;
}

// Messages that more than one page shows, each written once.
extern const MessageText kCommunicationError;
extern const MessageText kDisconnectFirst;
extern const MessageText kMonitorRunning;
extern const MessageText kLinkControlRunning;
extern const MessageText kCarrierRunning;
// Started again while its last step is still to end.
extern const MessageText kLinkControlStopping;
extern const MessageText kMonitorStopping;
extern const MessageText kCarrierStopping;
// Followed by a line with the reason.
extern const MessageText kExportNotCreated;
extern const MessageText kExportNotWritten;

// Every box opens over the window the user is looking at: the program's modal dialog or active
// window; parent, the caller's window, only serves when no window of the program is active.
void inform(QWidget *parent, const QString &text);
// Information with OK that does not wait for the OK, for reports from inside a running
// activity, which must go on while the box is shown.
void notify(QWidget *parent, const QString &text);
bool ask(QWidget *parent, const QString &text);
// A message with OK and Cancel; true for OK.
bool confirm(QWidget *parent, const QString &text);

} // namespace Messages
