#include "tag/ToolLines.h"

namespace Quillmark {

namespace {

constexpr const char* Program = "quillmark-tag: ";

} // namespace

std::string FileLine(const std::string& File, const std::string& Text)
{
  return Program + File + ": " + Text + "\n";
}

std::string ToolLine(const std::string& Text)
{
  return Program + Text + "\n";
}

std::string CauseText(const TFailureReason& Reason, const std::string& Otherwise)
{
  std::string Text = FailureReasonText(Reason);
  if (Text.empty()) {
    return Otherwise;
  }
  // The one cause the user can end by acting elsewhere.
  if (Reason.Cause == TFailureCause::HeldByAnotherProgram) {
    Text += " (close it there and try again)";
  }
  return Text;
}

std::string CauseCode(const TFailureReason& Reason, const std::string& Otherwise)
{
  const std::string Code = FailureCauseKey(Reason.Cause);
  return Code.empty() ? Otherwise : Code;
}

std::string NotSavedText(const TFailureReason& Reason)
{
  return CauseText(Reason, "the save failed") + "; not saved";
}

nlohmann::ordered_json ErrorJson(const std::string& Code, const std::string& Message)
{
  return {{"code", Code}, {"message", Message}};
}

} // namespace Quillmark
