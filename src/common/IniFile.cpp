// Implemented with the settings store; see IniFile.h.
#include "common/IniFile.h"
