#pragma once

namespace redten {

// The table client's entry point: checks the lobby's command line, sets
// everything up, opens the main window and runs until it unloads. Returns
// the process exit status.
int RunTableClient(int argc, char** argv);

}  // namespace redten
