// The search's engine: one DORozEvIdad per selection run.
#include <optional>

#include "common/Program.h"
#include "engine/DORozEvIdad.h"
#include "selection/modCalcStart.h"

namespace aerolyx {

namespace {

// The engine answers a failed catalogue query with an "ERROR:" reply, which
// the search cannot tell from a fan that does not fit: a lost catalogue
// would end in "No fans found". The engine's queries pass through here, and
// a failure stops the search as a failed query does everywhere else.
class WatchedCatalogue : public IDatabase {
public:
    explicit WatchedCatalogue(IDatabase* target) : target_(target) {}
    Recordset OpenRecordset(const std::string& sql) override
    {
        try {
            return Db().OpenRecordset(sql);
        } catch (const DbError& e) {
            failure_ = e;
            throw;
        }
    }
    Recordset OpenParameterized(const std::string& sql, const std::vector<Variant>& params) override
    {
        try {
            return Db().OpenParameterized(sql, params);
        } catch (const DbError& e) {
            failure_ = e;
            throw;
        }
    }
    void Clear() { failure_.reset(); }
    void ThrowFailure() const
    {
        if (failure_) throw *failure_;
    }
    // What the engine keeps from the catalogue belongs to the real connection.
    std::shared_ptr<CatalogueDerived>& Derived() override { return Db().Derived(); }

private:
    IDatabase& Db() const
    {
        if (target_) return *target_;
        if (!Prog().DB) throw DbError(0, "No database connection");
        return *Prog().DB;
    }
    IDatabase* target_;  // null: Prog().DB
    std::optional<DbError> failure_;
};

class RozEngine : public IFanEngine {
public:
    explicit RozEngine(IDatabase* catalogue) : catalogue_(catalogue) {}
    std::string Execute(int code, const std::string& params) override
    {
        catalogue_.Clear();
        std::string reply = engine_.Execute(code, params);
        catalogue_.ThrowFailure();
        return reply;
    }
    std::string SearchDuty(const std::string& params) override
    {
        catalogue_.Clear();
        std::string reply = engine_.ExecuteOperatingPoint(params);
        catalogue_.ThrowFailure();
        return reply;
    }
    bool RefusedByRange(const std::string& params) override
    {
        catalogue_.Clear();
        const bool refused = engine_.RefusedByRange(params);
        catalogue_.ThrowFailure();
        return refused;
    }

private:
    WatchedCatalogue catalogue_;
    DORozEvIdad engine_{catalogue_};
};

}  // namespace

std::unique_ptr<IFanEngine> MakeDefaultEngine() { return std::make_unique<RozEngine>(nullptr); }

std::unique_ptr<IFanEngine> MakeEngineOver(IDatabase& catalogue) { return std::make_unique<RozEngine>(&catalogue); }

}  // namespace aerolyx
