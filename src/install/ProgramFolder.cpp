#include "install/ProgramFolder.h"

bool RemoveFileSpec(std::string& path) {
  size_t position = 0;
  size_t cut = 0;  // where the file spec starts
  // A leading "\" or "\\" (root, or UNC server) belongs to the folder.
  if (position < path.size() && path[position] == '\\') cut = ++position;
  if (position < path.size() && path[position] == '\\') cut = ++position;

  while (position < path.size()) {
    if (path[position] == '\\') {
      cut = position;
    } else if (path[position] == ':') {
      // After a drive the root "\" stays with the folder; the character
      // that follows the drive is not looked at again.
      cut = ++position;
      if (cut < path.size() && path[cut] == '\\') ++cut;
    }
    ++position;
  }
  if (cut >= path.size()) return false;
  path.erase(cut);
  return true;
}
