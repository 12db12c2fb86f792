#include "core/system_path.h"

bool SystemFullPath(const char*, char*) {
  return false;
}
