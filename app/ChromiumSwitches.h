#pragma once

#include <QByteArrayList>

// The switches the embedded web engine reads from the program's command line,
// appended after the arguments the program was started with.
QByteArrayList chromiumSwitches();

// A command line that lives as long as the process: the original arguments followed
// by chromiumSwitches(). argc receives the new count.
char** extendedArguments(int& argc, char** argv);
