// Ctrl-C and its kind during a render: the signal is only noted, the render
// stops after the frame at hand and its writers remove what they had begun,
// and the program then ends by the same signal, as the shell expects.
#pragma once

namespace horavex::cli {

// Notes SIGINT, SIGTERM and SIGHUP from now on (POSIX only).
void catchInterruptions();
// The signal noted, or 0.
int interruption();
// Throws CliError when a signal was noted.
void stopIfInterrupted();
// Ends the process by the noted signal with its default action.
[[noreturn]] void endByInterruption(int signal);

}  // namespace horavex::cli
