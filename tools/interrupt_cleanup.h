// InstallInterruptCleanup: what the tool leaves behind when Ctrl+C or kill stops it.
//
// Generate writes into a temporary file beside the output and moves it over the output
// at the end. On Linux that file normally has no name until then and vanishes with the
// process; where the file system cannot make unnamed files it has a name from the start,
// and SIGINT or SIGTERM would leave it lying in the user's folder. The handler removes
// it (the library keeps its name where a signal handler may read it) and then lets the
// same signal end the process, so that the shell still sees the interruption. The output
// itself stays empty, as after any failure: no stale file from an earlier run is left to
// be sent by mistake.
//
//   int main(int argc, char** argv) {
//     dtaus::tool::InstallInterruptCleanup();
//     ...
#ifndef DTAUS_TOOLS_INTERRUPT_CLEANUP_H_
#define DTAUS_TOOLS_INTERRUPT_CLEANUP_H_

namespace dtaus::tool {

// Installs the handler for SIGINT and SIGTERM, except where the signal is ignored (a
// job started with nohup or in the background keeps ignoring it).
void InstallInterruptCleanup();

}  // namespace dtaus::tool

#endif  // DTAUS_TOOLS_INTERRUPT_CLEANUP_H_
