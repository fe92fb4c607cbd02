#pragma once
// Messages for the user from code that has no windows. The GUI installs a
// sink that shows a message box (title "Aerolyx"); command-line programs
// install one that writes an error line. Without a sink, stderr.
#include <functional>
#include <string>

namespace aerolyx {

enum class MessageKind { Info, Warning, Critical };

using MessageSink = std::function<void(const std::string& text, MessageKind kind)>;

// Installs the program-wide sink and returns the previous one (an empty
// function restores the stderr default).
MessageSink SetMessageSink(MessageSink sink);
void ShowMessage(const std::string& text, MessageKind kind = MessageKind::Info);

}  // namespace aerolyx
