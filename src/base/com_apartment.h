// COM on the program's thread, for the shell: the handlers of the links
// ShellExecute opens and the shell's link objects may need it.
#pragma once

// Sets up a single-threaded apartment on the calling thread at the first
// call and keeps it to the end of the program; later calls do nothing. Not
// done at start-up, which does not need it. Call it from the program's
// thread only (the one that runs the windows). A failure is reported once,
// and what needed COM then fails on its own.
void EnsureComApartment();
