#include "tools/render/Interruption.h"

#include <csignal>
#include <cstdlib>

#include "tools/render/RenderSession.h"

namespace horavex::cli {

namespace {

volatile std::sig_atomic_t noted = 0;

extern "C" void noteSignal(int signal) { noted = signal; }

}  // namespace

void catchInterruptions() {
#ifndef _WIN32
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
#else
    std::signal(SIGINT, noteSignal);
#endif
}

int interruption() { return noted; }

void stopIfInterrupted() {
    if (noted != 0) throw CliError(kExitFile, "interrupted; nothing was written to the target");
}

void endByInterruption(int signal) {
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    std::_Exit(128 + signal);
}

}  // namespace horavex::cli
