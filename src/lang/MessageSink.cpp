#include "lang/MessageSink.h"

#include <cstdio>
#include <utility>

namespace aerolyx {
namespace {

MessageSink& Installed()
{
    static MessageSink sink;
    return sink;
}

}  // namespace

MessageSink SetMessageSink(MessageSink sink)
{
    return std::exchange(Installed(), std::move(sink));
}

void ShowMessage(const std::string& text, MessageKind kind)
{
    if (const MessageSink& sink = Installed()) {
        sink(text, kind);
        return;
    }
    std::fprintf(stderr, "Aerolyx: %s\n", text.c_str());
}

}  // namespace aerolyx
