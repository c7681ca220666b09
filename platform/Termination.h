// A request to end the program (SIGTERM, SIGINT, SIGHUP) turned into a flag
// that long actions check between steps, so an unattended run stops at a
// clean point: the job in progress is dropped, nothing half-written is left,
// and the settings store is never cut off in the middle of a write.
#pragma once

namespace platform {

// Installs the handlers; from then on the signals only raise the flag.
void InstallTerminationHandler();

bool TerminationRequested();

// Raises the same flag from inside the program: the window's Stop and Exit
// end a run as a signal ends an unattended one.
void RequestStop();
// Lowers the flag again, before the window starts a new run.
void ClearStopRequest();

} // namespace platform
