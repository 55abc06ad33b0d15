#pragma once
// The editor object behind WMCreateEditor: the interfaces of
// metadata/MetadataEditor.h over this program's own ASF header engine.
#include "asf/AsfHeader.h"
#include "asf/HeaderCommit.h"
#include "fs/FileLock.h"
#include "metadata/MetadataEditor.h"

#include <memory>
#include <optional>
#include <span>
#include <string>

namespace Quillmark::Asf {

class TMetadataEditor final : public IWMMetadataEditor2,
                              public IWMHeaderInfo3,
                              public IQuillmarkSaveProgress,
                              public IQuillmarkSideFiles,
                              public IQuillmarkFailureReason,
                              public IQuillmarkOpenFile {
public:
  HRESULT Open(const char16_t* FileName) override;
  HRESULT Close() override;
  HRESULT Flush() override;
  HRESULT OpenEx(const char16_t* FileName, DWORD DesiredAccess, DWORD ShareMode) override;

  HRESULT GetAttributeCount(WORD StreamNum, WORD* Attributes) override;
  HRESULT GetAttributeByIndex(WORD Index, WORD* StreamNum, char16_t* Name, WORD* NameLen,
                              WMT_ATTR_DATATYPE* Type, BYTE* Value, WORD* Length) override;
  HRESULT GetAttributeByName(WORD* StreamNum, const char16_t* Name, WMT_ATTR_DATATYPE* Type, BYTE* Value,
                             WORD* Length) override;
  HRESULT SetAttribute(WORD StreamNum, const char16_t* Name, WMT_ATTR_DATATYPE Type, const BYTE* Value,
                       WORD Length) override;

  HRESULT GetAttributeCountEx(WORD StreamNum, WORD* Attributes) override;
  HRESULT GetAttributeIndices(WORD StreamNum, const char16_t* Name, const WORD* LangIndex, WORD* Indices,
                              WORD* Count) override;
  HRESULT GetAttributeByIndexEx(WORD StreamNum, WORD Index, char16_t* Name, WORD* NameLen,
                                WMT_ATTR_DATATYPE* Type, WORD* LangIndex, BYTE* Value,
                                DWORD* DataLength) override;
  HRESULT ModifyAttribute(WORD StreamNum, WORD Index, WMT_ATTR_DATATYPE Type, WORD LangIndex,
                          const BYTE* Value, DWORD Length) override;
  HRESULT AddAttribute(WORD StreamNum, const char16_t* Name, WORD* Index, WMT_ATTR_DATATYPE Type,
                       WORD LangIndex, const BYTE* Value, DWORD Length) override;
  HRESULT DeleteAttribute(WORD StreamNum, WORD Index) override;

  void SetProgressCallback(TProgressCallback Callback) override;
  TSideFileReport SideFileReport() const override { return FSideFile; }
  TFailureReason LastFailure() const override { return FLastFailure; }
  int DuplicateDescriptor() const override;
  void SetFollowLinks(bool Follow) override { FFollowLinks = Follow; }

  // Opens a header held in memory, as the fuzzer and tests do: reading and
  // editing work as for a file; Flush with changes fails (E_INVALID_REQUEST).
  HRESULT OpenMemory(std::span<const std::uint8_t> Bytes);
  // Takes the header Other holds open (for reading only, say) as OpenMemory
  // takes bytes: it is edited apart from Other and never reaches a file. A
  // dry run tries its changes on such a copy.
  HRESULT OpenCopyOf(const TMetadataEditor& Other);

  // The model of the open header (null when none is open), its bytes as read,
  // whether it was changed since, and the file it came from (null for memory).
  const TAsfHeader* Header() const { return FOpen ? &FHeader : nullptr; }
  const TBytes& OriginalHeader() const { return FOriginalHeader; }
  bool Changed() const { return FChanged; }
  const TLockedFile* File() const { return FFile.get(); }

  // Keeps the reason of a save of this editor's file that failed with
  // Result, as LastFailure; a batch of saves (FlushEditors) calls it for
  // each file it could not save.
  void NoteSaveFailure(HRESULT Result);
  // How the last Flush (or batch of saves) wrote this editor's file; none
  // when nothing was written since the file was opened.
  std::optional<TSaveWay> LastSaveWay() const { return FLastSaveWay; }
  void NoteSaveWay(TSaveWay Way) { FLastSaveWay = Way; }

  // What Flush hands to CommitHeader: the edited header for the open file.
  // Throws EAsfError (E_INVALID_REQUEST) for a header opened from memory.
  TCommitRequest CommitRequest() const;

private:
  void RequireOpen() const;
  void RequireWritable() const;
  void Release();
  // Runs the work of an open; when it throws, the editor is left closed.
  template <class TWork> HRESULT Opening(TWork&& Work);
  // Takes a header read whole as the one open.
  void TakeHeader(TBytes Bytes, bool Writable);
  void CommitChanges();
  TFailureReason SaveFailureReason(HRESULT Result) const;

  std::unique_ptr<TLockedFile> FFile;
  TSaveNames FNames;
  bool FFollowLinks = true; // the folder held and the names found at open; none when unknown
  bool FOpen = false;
  bool FWritable = false;
  bool FChanged = false;
  TAsfHeader FHeader;
  TBytes FOriginalHeader;
  TProgressCallback FProgress;
  TSideFileReport FSideFile;
  TFailureReason FLastFailure;
  std::optional<TSaveWay> FLastSaveWay;
};

} // namespace Quillmark::Asf
