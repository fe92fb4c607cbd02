#pragma once
// Writing a value into the project as the user types it: the window's input
// grid and the command line's --set both come here, so the same text gives
// the same record. The text goes through the field (units converted, choice
// texts turned into their values) and the dependent fields follow (pressures
// exclude each other, voltage sets frequency, series resets type and size,
// type resets size and casing, base conditions recompute the density).
#include <string>

namespace aerolyx {

class CFanData;

// What became of one edit; the front end shows `message` its own way.
struct EditOutcome {
    enum class Status {
        Accepted,      // stored (message may still tell of a dependent field that could not follow)
        UnknownField,  // no such field
        NotANumber,    // a numeric field got text that is not a number
        OutOfRange,    // a whole-number field got a value outside -32768..32767
        NotInList,     // a choice field got neither an entry's text nor its value
        NotValid,      // the field refused the value
        AirState,      // the base conditions refuse the air state the value leads to
    };
    Status status = Status::Accepted;
    bool accepted = true;   // false: nothing changed
    bool outdates = false;  // the results no longer match the inputs
    std::string message;    // translated, for the user
};

// The typed text (display units, the user's number format, a choice by its
// shown text or its value). A refused edit leaves the record as it was.
EditOutcome EditField(CFanData& record, const std::string& name, const std::string& typed);
// A value picked in its stored form (the air-direction picker).
EditOutcome EditFieldStored(CFanData& record, const std::string& name, const std::string& stored);

// The dependent fields of an edited field (stored values only).
// False when the base conditions reject the new air state.
bool FollowFieldEdit(CFanData& record, const std::string& name);

}  // namespace aerolyx
