#include "engine/GLOBAL.h"

namespace aerolyx {

GlobalWork& GLOBAL()
{
    thread_local GlobalWork work;
    return work;
}

}  // namespace aerolyx
