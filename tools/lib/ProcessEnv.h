// What mrvtool takes from the operating system around a command: its own folder, PATH, UTF-8
// arguments, and interrupts (Ctrl+C, SIGTERM) turned into a flag.
#pragma once

#include <string>
#include <vector>

namespace mrv::tools {

// The folder holding the running program, or empty.
std::string SelfDirectory();
// The PATH variable, UTF-8.
std::string PathVariable();

// From now on an interrupt only sets a flag, so that a long export can stop between pieces of
// work and remove what it made; Interrupted() reads the flag.
void CatchInterrupts();
bool Interrupted();
// What the interrupted command made is removed: a console being closed may now end the
// process (Windows ends it when its handler returns).
void CleanedUp();

// The program's arguments as UTF-8 (on Windows from the wide command line, so that names
// outside the ANSI code page survive).
std::vector<std::string> Utf8Arguments(int argc, char** argv);

}  // namespace mrv::tools
