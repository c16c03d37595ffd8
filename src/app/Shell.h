#pragma once
// Hands a file to the desktop for opening (the help page at exit).

namespace platform {

// Starts "xdg-open path" (the path made absolute when the file exists) detached from the program
// and returns at once; the program never waits for it and ignores every failure, a missing xdg-open
// included. Does nothing at all when MARBRIX_NO_HELP is "1".
void ShellOpen(const char *path);

// The same with another opener program (found through PATH); for tests.
void ShellOpenWith(const char *program, const char *path);

}  // namespace platform
