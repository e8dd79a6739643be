// The host's multi-thread suite, as the compositing uses it: how many CPUs
// the host offers, and running bands of work on its threads.
#pragma once

#include "core/compositing/Processor.h"
#include "adapter/HostSuites.h"

namespace horavex {

// Threads worth asking the host for: its CPU count, 1 when the suite or the
// count is missing, or when this thread is already one the suite spawned.
unsigned hostThreadCount(const HostSuites& suites);

// Runs bands on the host's threads; a band the host did not run (the suite
// failed) is run on the calling thread afterwards, so every band runs once.
BandRunner hostBandRunner(const HostSuites& suites);

}  // namespace horavex
