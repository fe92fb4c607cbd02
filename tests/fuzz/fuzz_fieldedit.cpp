// Text typed into the input grid, into every kind of field (numbers with
// units, choice lists from the settings file and the catalogue, plain
// texts): each edit is taken with its dependent fields, or refused with a
// message and the project left exactly as it was.
//   name=text    an edit of the named field
//   text         an edit of the field picked by the text's first byte
#include <memory>

#include "FuzzSupport.h"
#include "app/AppContext.h"
#include "model/CFanData.h"
#include "selection/FieldEdit.h"

using namespace aerolyx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::unique_ptr<CFanData> fresh = [] {
        fuzz::Started();
        auto r = std::make_unique<CFanData>();
        if (r->LoadFanFields() == 0) std::abort();
        return r;
    }();
    auto record = fresh->CloneMe();
    int edits = 0;
    fuzz::ForEachLine(fuzz::Bytes(data, size), [&](std::string_view line) {
        if (++edits > 24) return;
        std::string name, text;
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos) {
            name.assign(line.substr(0, eq));
            text.assign(line.substr(eq + 1));
        } else {
            const CLpField* f = record->ItemAt(line.empty() ? 0 : static_cast<unsigned char>(line[0]) % record->Count());
            name = f->FName();
            text.assign(line.substr(line.empty() ? 0 : 1));
        }
        const std::string before = record->WriteToString();
        const EditOutcome edit = EditField(*record, name, text);
        if (edit.accepted) {
            (void)record->ValueF(name);
        } else {
            if (edit.message.empty()) std::abort();             // a refusal says why
            if (record->WriteToString() != before) std::abort();  // and changes nothing
        }
    });
    return 0;
}
