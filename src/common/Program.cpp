#include "common/Program.h"

#include "common/Database.h"

namespace aerolyx {

Program& Prog()
{
    static Program p;
    return p;
}

IDatabase& ProgDb()
{
    if (!Prog().DB) throw DbError(0, "No database connection");
    return *Prog().DB;
}

}  // namespace aerolyx
