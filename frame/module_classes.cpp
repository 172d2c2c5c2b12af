// The module's custom classes, in the order they are registered at initialisation
// (and deleted at unload): the pipe, then the flow arrow.
#include "arrow/PlumbPipeArrow.h"
#include "frame/module_lifecycle.h"
#include "pipe/PlumbPipe.h"

std::vector<ovModuleClass> ovStandardModuleClasses() {
  return {
      {PlumbPipe::rxInit, PlumbPipe::rxUninit},
      {PlumbPipeArrow::rxInit, PlumbPipeArrow::rxUninit},
  };
}
