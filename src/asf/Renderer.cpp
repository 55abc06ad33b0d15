#include "asf/Renderer.h"

#include "asf/AttributeObjects.h"
#include "asf/ByteReader.h"
#include "asf/ByteWriter.h"
#include "asf/CheckedMath.h"
#include "asf/Placement.h"

#include <algorithm>

namespace Quillmark::Asf {

namespace {

// The new form of one attribute-bearing object.
struct TRendered {
  bool Changed = false;
  std::optional<TBytes> Bytes; // none: the object is left out
};

TRendered RenderRecords(const std::vector<const TStoredAttribute*>& Records, TStore Store,
                        std::uint32_t Count)
{
  TRendered Result;
  Result.Changed = !IsOriginalSequence(Records, Store, Count);
  if (Result.Changed && !Records.empty()) {
    Result.Bytes = Store == TStore::ExtendedContent ? WriteExtendedContent(Records)
                                                    : WriteMetadataRecords(Records, Store);
  }
  return Result;
}

struct TRenderState {
  TRendered Content, Extended, Metadata, Library;
};

TRenderState RenderAttributeObjects(const TAsfHeader& Header)
{
  TPlacement Placement = PlaceAttributes(Header.Attributes, Header.Layout);
  TRenderState State;
  State.Content.Changed = !IsOriginalContent(Placement.Content, Header.Layout);
  bool AnyField = false;
  for (const TStoredAttribute* Field : Placement.Content) {
    AnyField = AnyField || Field != nullptr;
  }
  if (State.Content.Changed && AnyField) {
    State.Content.Bytes = WriteContentDescription(Placement.Content);
  }
  State.Extended = RenderRecords(Placement.Extended, TStore::ExtendedContent, Header.Layout.ExtendedCount);
  State.Metadata = RenderRecords(Placement.Metadata, TStore::Metadata, Header.Layout.MetadataCount);
  State.Library = RenderRecords(Placement.Library, TStore::Library, Header.Layout.LibraryCount);
  return State;
}

// Emits an object in its new form, or its old bytes when it did not change.
void EmitObject(std::vector<TBytes>& Out, const TAsfObject& Object, TRendered& Rendered, bool& Emitted)
{
  Emitted = true;
  if (!Rendered.Changed) {
    Out.push_back(Object.Bytes);
  } else if (Rendered.Bytes) {
    Out.push_back(std::move(*Rendered.Bytes));
  }
}

void EmitMissing(std::vector<TBytes>& Out, TRendered& Rendered, bool Emitted)
{
  if (!Emitted && Rendered.Changed && Rendered.Bytes) {
    Out.push_back(std::move(*Rendered.Bytes));
  }
}

bool Holds(const TAsfHeader& Header, TObjectKind Kind)
{
  return std::any_of(Header.Objects.begin(), Header.Objects.end(),
                     [Kind](const TAsfObject& Object) { return Object.Kind == Kind; });
}

TBytes WrapExtension(const TBytes& Reserved, const std::vector<TBytes>& Children)
{
  TByteWriter Writer;
  std::size_t Start = Writer.BeginObject(Guids::HeaderExtension);
  if (Reserved.size() == 18) {
    Writer.Append(Reserved);
  } else {
    Writer.Guid(Guids::Reserved1);
    Writer.Word(6);
  }
  std::size_t DataSizeAt = Writer.Size();
  Writer.Dword(0);
  for (const TBytes& Child : Children) {
    Writer.Append(Child);
  }
  StoreDword(Writer.Bytes(), DataSizeAt, ToDword(Writer.Size() - ExtensionFixedSize - Start));
  Writer.EndObject(Start);
  return std::move(Writer.Bytes());
}

// The Header Extension's new bytes, or none when it did not change.
std::optional<TBytes> RenderExtension(const TAsfHeader& Header, TRenderState& State)
{
  if (!State.Metadata.Changed && !State.Library.Changed) {
    return std::nullopt;
  }
  std::vector<TBytes> Children;
  bool HadMetadata = false;
  bool HadLibrary = false;
  for (const TAsfObject& Child : Header.ExtensionChildren) {
    if (Child.Kind == TObjectKind::Metadata) {
      EmitObject(Children, Child, State.Metadata, HadMetadata);
    } else if (Child.Kind == TObjectKind::MetadataLibrary) {
      EmitObject(Children, Child, State.Library, HadLibrary);
    } else {
      Children.push_back(Child.Bytes);
    }
  }
  EmitMissing(Children, State.Metadata, HadMetadata);
  EmitMissing(Children, State.Library, HadLibrary);
  return WrapExtension(Header.ExtensionReserved, Children);
}

// Objects the edit creates go before the first Stream Properties Object, as
// other writers place them: some readers apply what they say only to the
// streams declared after them.
std::vector<TBytes> RenderChildren(const TAsfHeader& Header)
{
  TRenderState State = RenderAttributeObjects(Header);
  std::optional<TBytes> Extension = RenderExtension(Header, State);
  std::vector<TBytes> Out;
  bool HadContent = Holds(Header, TObjectKind::ContentDescription);
  bool HadExtended = Holds(Header, TObjectKind::ExtendedContentDescription);
  bool Created = false;
  auto EmitCreated = [&] {
    if (Extension && !Header.ExtensionIndex) {
      Out.push_back(std::move(*Extension));
      Extension.reset();
    }
    EmitMissing(Out, State.Content, HadContent);
    EmitMissing(Out, State.Extended, HadExtended);
    Created = true;
  };
  for (const TAsfObject& Object : Header.Objects) {
    if (!Created && Object.Guid == Guids::StreamProperties) {
      EmitCreated();
    }
    switch (Object.Kind) {
    case TObjectKind::Padding:
      break;
    case TObjectKind::ContentDescription:
      EmitObject(Out, Object, State.Content, HadContent);
      break;
    case TObjectKind::ExtendedContentDescription:
      EmitObject(Out, Object, State.Extended, HadExtended);
      break;
    case TObjectKind::HeaderExtension:
      Out.push_back(Extension ? std::move(*Extension) : Object.Bytes);
      Extension.reset();
      break;
    default:
      Out.push_back(Object.Bytes);
      break;
    }
  }
  if (!Created) {
    EmitCreated();
  }
  return Out;
}

std::optional<std::size_t> FileSizeFieldOf(const TBytes& Object, std::size_t At)
{
  std::uint32_t Flags = LoadDword(Object, FlagsFieldOffset);
  if ((Flags & BroadcastFlag) != 0) {
    return std::nullopt;
  }
  return At + FileSizeFieldOffset;
}

} // namespace

THeaderImage RenderHeader(const TAsfHeader& Header)
{
  std::vector<TBytes> Children = RenderChildren(Header);
  TByteWriter Writer;
  std::size_t Start = Writer.BeginObject(Guids::Header);
  Writer.Dword(ToDword(Children.size()));
  Writer.Byte(Header.Reserved1);
  Writer.Byte(Header.Reserved2);
  THeaderImage Image;
  for (const TBytes& Child : Children) {
    if (!Image.FileSizeOffset && Child.size() >= FilePropertiesSize &&
        TopLevelKind(TByteReader(Child).Guid()) == TObjectKind::FileProperties) {
      Image.FileSizeOffset = FileSizeFieldOf(Child, Writer.Size());
    }
    Writer.Append(Child);
  }
  Writer.EndObject(Start);
  if (Writer.Size() > MaxHeaderSize) {
    throw EAsfError(E_INVALID_REQUEST, "the header would be larger than this program accepts");
  }
  Image.Bytes = std::move(Writer.Bytes());
  return Image;
}

} // namespace Quillmark::Asf
