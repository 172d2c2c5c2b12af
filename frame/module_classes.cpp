// The module's custom classes, in the order they are registered at initialisation
// (and deleted at unload): the pipe, then the flow arrow.
#include "frame/module_lifecycle.h"

std::vector<ovModuleClass> ovStandardModuleClasses() {
  return {};
}
