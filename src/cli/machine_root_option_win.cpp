#include "cli/MachineRootOption.h"

bool UseMachineRoot(const std::string&, std::string& error) {
  error = "--root sets the machine folder of the Linux build; this build deploys onto Windows "
          "itself";
  return false;
}
