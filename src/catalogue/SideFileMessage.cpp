#include "catalogue/SideFileMessage.h"

#include "catalogue/PictureRules.h"
#include "metadata/TextConversion.h"

namespace Quillmark {

namespace {

// Built by appending: GCC 12 at -O2 warns falsely (-Wrestrict) about
// "'" + std::string(...) + "'".
std::string Quoted(std::string_view Text)
{
  std::string Result;
  Result.reserve(Text.size() + 2);
  Result.append(1, '\'').append(Text).append(1, '\'');
  return Result;
}

// What an open for editing will do with an interrupted save it finds.
std::string PendingOutcome(TSideFileState Editing)
{
  switch (Editing) {
  case TSideFileState::RolledBack:
    return "opening it for editing puts the old header back from the side file.";
  case TSideFileState::Completed:
    return "the save had finished, and opening it for editing keeps it and removes the side file.";
  default:
    return "opening it for editing puts its header back in order.";
  }
}

} // namespace

TSideFileReport SideFileReportOf(const TRef<IWMMetadataEditor2>& Editor)
{
  auto Reporting = std::dynamic_pointer_cast<IQuillmarkSideFiles>(Editor);
  return Reporting ? Reporting->SideFileReport() : TSideFileReport{};
}

std::u16string SideFileMessage(const TSideFileReport& Report, std::string_view VideoPath)
{
  const std::string Side = Quoted(Report.Path);
  const std::string Name = Quoted(FileNameWithoutFolder(VideoPath));
  std::string Text;
  switch (Report.State) {
  case TSideFileState::None:
    return {};
  case TSideFileState::Found:
    if (Report.Editing == TSideFileState::Removed) {
      Text = "The side file " + Side + " of " + Name +
             " was cut short while being written; the file was never changed.\r\rThe file is shown as it "
             "is; opening it for editing removes the side file.";
      break;
    }
    Text = "The side file " + Side + " was not used: it cannot be shown to be an interrupted save of " +
           Name + ".\r\rThe file is shown as it is, and it cannot be saved until the side file is removed.";
    break;
  case TSideFileState::Pending:
    Text = "The side file " + Side + " holds an interrupted save of " + Name +
           ".\r\rThe file is shown as it is; " + PendingOutcome(Report.Editing);
    break;
  case TSideFileState::RolledBack:
    Text = "An interrupted save of " + Name + " was undone with its side file " + Side + ".";
    break;
  case TSideFileState::Completed:
    Text = "An interrupted save of " + Name + " had finished; its side file " + Side + " was removed.";
    break;
  case TSideFileState::Removed:
    Text =
        "The unfinished side file " + Side + " of " + Name + " was removed; the file had not been changed.";
    break;
  }
  return Utf8ToUtf16(Text);
}

bool SideFileLeft(const TSideFileReport& Report)
{
  return Report.State == TSideFileState::Found || Report.State == TSideFileState::Pending;
}

} // namespace Quillmark
