// CVariable is header-only; this unit keeps the class in the library's
// sources next to CExpression.
#include "expression/CVariable.h"
