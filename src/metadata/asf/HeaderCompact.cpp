#include "metadata/asf/HeaderCompact.h"

#include "metadata/Guarded.h"
#include "metadata/asf/CommitImage.h"

namespace Quillmark::Asf {

namespace {

// The header a compacting save writes, without the Header Extension's
// padding when it holds any.
std::uint64_t CompactedSize(const THeaderImage& Image)
{
  const std::optional<THeaderImage> Without = WithoutExtensionPadding(Image);
  return (Without ? *Without : Image).Bytes.size() + CompactMargin;
}

} // namespace

HRESULT PlanCompact(const TMetadataEditor& Editor, TCompactPlan& Plan)
{
  return Guarded([&] {
    const TCommitRequest Request = Editor.CommitRequest();
    Plan.OldSize = Request.OldHeaderSize;
    Plan.NewSize = CompactedSize(Request.NewHeader);
    return S_OK;
  });
}

HRESULT CompactHeader(const TMetadataEditor& Editor, TCompactPlan& Plan, IFileSystem* Fs, TSaveWay* Way)
{
  return Guarded([&] {
    TCommitRequest Request = Editor.CommitRequest();
    Plan.OldSize = Request.OldHeaderSize;
    Plan.NewSize = CompactedSize(Request.NewHeader);
    if (Plan.Freed() == 0) {
      return S_OK;
    }
    Request.CompactPadding = CompactMargin;
    Request.Fs = Fs;
    Request.Way = Way;
    return CommitHeader(Request);
  });
}

} // namespace Quillmark::Asf
