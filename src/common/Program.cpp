#include "common/Program.h"

namespace aerolyx {

Program& Prog()
{
    static Program p;
    return p;
}

}  // namespace aerolyx
