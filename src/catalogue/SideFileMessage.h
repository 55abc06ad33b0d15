#pragma once
// What the user is told when opening a file found a side file of an
// interrupted save: the window shows it in a message box, quillmark-tag on
// one line.
#include "metadata/MetadataEditor.h"

#include <string>
#include <string_view>

namespace Quillmark {

// The editor's report of its last open; none when it does not offer one.
TSideFileReport SideFileReportOf(const TRef<IWMMetadataEditor2>& Editor);

// The message for a report about the file at VideoPath; empty for none. Its
// paragraphs are parted by two carriage returns, as the window's messages.
std::u16string SideFileMessage(const TSideFileReport& Report, std::string_view VideoPath);

// Whether the message is a warning (the side file is still there) rather
// than news of a recovery.
bool SideFileLeft(const TSideFileReport& Report);

} // namespace Quillmark
