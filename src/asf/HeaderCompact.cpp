#include "asf/HeaderCompact.h"

#include "asf/CommitImage.h"
#include "asf/Guarded.h"

namespace Quillmark::Asf {

namespace {

// The header a compacting save writes, without the Header Extension's
// padding when it holds any.
std::uint64_t CompactedSize(const THeaderImage& Image)
{
  const std::optional<THeaderImage> Without = WithoutExtensionPadding(Image);
  return (Without ? *Without : Image).Bytes.size() + CompactMargin;
}

// The request of a compacting save of the editor's file, and its plan; the
// collapse is looked for only when compacting is worth it.
HRESULT PlanRequest(const TMetadataEditor& Editor, IFileSystem* Fs, TCommitRequest& Request,
                    TCompactPlan& Plan)
{
  Request = Editor.CommitRequest();
  Request.CompactPadding = CompactMargin;
  Request.Fs = Fs;
  Plan.OldSize = Request.OldHeaderSize;
  Plan.NewSize = CompactedSize(Request.NewHeader);
  Plan.Collapsed = 0;
  return Plan.Worth() ? CollapsibleRoom(Request, Plan.Collapsed) : S_OK;
}

} // namespace

HRESULT PlanCompact(const TMetadataEditor& Editor, TCompactPlan& Plan)
{
  return Guarded([&] {
    TCommitRequest Request;
    return PlanRequest(Editor, nullptr, Request, Plan);
  });
}

HRESULT CompactHeader(const TMetadataEditor& Editor, TCompactPlan& Plan, IFileSystem* Fs)
{
  return Guarded([&] {
    TCommitRequest Request;
    if (HRESULT Result = PlanRequest(Editor, Fs, Request, Plan); Result != S_OK || Plan.Freed() == 0) {
      return Result;
    }
    TSaveWay Way = Plan.Way();
    Request.Way = &Way;
    // The file system may still refuse the collapse; the copy then gives back all of the room.
    const HRESULT Result = CommitHeader(Request);
    if (Way != TSaveWay::Collapse) {
      Plan.Collapsed = 0;
    }
    return Result;
  });
}

} // namespace Quillmark::Asf
