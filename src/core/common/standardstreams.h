#pragma once

// A program started with standard input, output or error closed would get the next file it opens
// (the serial port) as one of them, and its messages would go to the module. Each of the three
// that is closed is opened on the null device. Called first thing in main, before anything opens
// a file; nothing to do on Windows, whose handles are not numbered this way.
void openClosedStandardStreams();
