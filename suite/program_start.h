// Starting the suite's programs by their Windows names: "PatchBench.exe" is "patchbench" on
// Linux, looked for on the search path when the registry names no program path.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace suite {

// A program's file name on this platform: "TexBench.exe" is "texbench" on Linux.
std::string PlatformProgramName(const std::string& windowsName);
// The program on the search path ($PATH), or nothing.
std::optional<std::string> FindOnSearchPath(const std::string& windowsName);
// Starts a program detached with these arguments, each handed over as one argument; false
// when it could not be started.
bool StartProgram(const std::string& program, const std::vector<std::string>& arguments);
// Starts a program hidden (its output goes nowhere) with one parameter and waits up to `wait`
// for it to end; one still running then goes on by itself. False when it could not be started
// or executed.
bool StartHiddenProgram(const std::string& program, const std::string& parameter,
                        std::chrono::milliseconds wait);

#if !defined(_WIN32)
// Collects the exit status of a started program on a thread of its own, so that a program the
// suite starts and leaves to run does not stay behind as a zombie until the suite ends.
void ReapWhenEnded(int pid);
#endif

}  // namespace suite
