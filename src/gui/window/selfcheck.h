#pragma once

class QTextStream;
class TForm1;

// The check a packager runs on an installed copy (Korvel_Config --self-check): with the window
// built as at every start, a stored configuration named "self-check" is saved through the save
// group into the data folder and read back. Prints the file's path and returns 0 when it is
// there with the expected lines, otherwise prints the reason and returns 1.
int runSelfCheck(TForm1 &form, QTextStream &out);
