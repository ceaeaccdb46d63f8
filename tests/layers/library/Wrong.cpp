#include "script/ScriptWriter.h"
  #  include "ui/Dialog.h"
