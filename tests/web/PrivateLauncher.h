#pragma once

class QObject;

// Runs the Qt Test object from a private copy of this test program laid out like an
// installation, <temporary launcher>/<version>/<program>. config.ini beside the
// version folder and files under the program's folder then belong to this run alone,
// whatever else runs from the build tree at the same time. The first run copies the
// program, runs the copy with the same arguments and returns its exit code; the copy
// runs the tests. Call with a QCoreApplication in place.
int runInPrivateLauncher(QObject* test, int argc, char** argv);
