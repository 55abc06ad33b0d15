#pragma once
// The metadata editor interface.
//
// The window and the command-line tool reach a file's header only through
// these interfaces. They keep the shapes of the Windows Media metadata
// editor: UTF-16 names, caller-supplied buffers with in/out lengths, stream 0
// for file-level attributes, and a 32-bit result where 0 is success. Callers
// only ever compare a result with S_OK; the named failures exist for
// messages and tests.
//
// Interfaces are held as counted references (TRef). QueryInterface hands out
// another interface of the same object and throws EInterfaceNotSupported
// when the object does not offer it.
//
// Rules of this editor where the platform's documentation leaves a choice:
// - Streams are 0 (the file level) to 127; any other stream number fails with
//   E_INVALID_REQUEST (there is no "all streams" number). Each stream has its
//   own indices 0..count-1. After opening, stream 0 lists the Content
//   Description fields, then the Extended Content Description, then Metadata
//   and Metadata Library records; other streams their Metadata and Library
//   records. Added attributes go to the end of their stream.
// - Names are compared exactly, case included. A name is at least one and at
//   most 32,766 characters (its stored length is 16-bit); name lengths count
//   characters including the terminator.
// - Values: DWORD, QWORD, WORD, BOOL and GUID must be 4, 8, 2, 4 and 16 bytes;
//   a string must be UTF-16LE of even length ending in its null. Anything else
//   fails with E_INVALID_ARGUMENT and changes nothing. BOOL is 4 bytes here
//   whatever object stores it; any non-zero value is stored, and read back,
//   as 1.
// - Languages: 0 (the default language) or an index into the file's Language
//   List; any other fails with E_INVALID_ARGUMENT.
// - Reading with a buffer too small fails with E_BUFFER_TOO_SMALL, reports
//   the lengths needed (and the type and language) and writes no buffer. A
//   value longer than a 16-bit length can say cannot be read through the
//   16-bit calls: they fail with E_INVALID_REQUEST and report nothing.
// - A file opened for reading only refuses every change (E_INVALID_REQUEST).
// - A header that does not parse soundly (sizes that do not add up, a record
//   cut short, an unknown type code, an odd or unterminated name, a string of
//   odd length) makes the open fail with E_CORRUPT_HEADER: such a file is
//   never written. A stored string without its terminator reads with one
//   added; it and a stored true other than 1 go back as they were stored
//   while they are not changed.
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace Quillmark {

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using QWORD = std::uint64_t;
using HRESULT = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_BUFFER_TOO_SMALL = static_cast<HRESULT>(0xC00D0BD3);
constexpr HRESULT E_NOT_FOUND = static_cast<HRESULT>(0xC00D07F0);
constexpr HRESULT E_INVALID_REQUEST = static_cast<HRESULT>(0xC00D002B);
constexpr HRESULT E_INVALID_STATE = static_cast<HRESULT>(0xC00D07F5);
constexpr HRESULT E_INVALID_ARGUMENT = static_cast<HRESULT>(0x80070057);
constexpr HRESULT E_FILE_LOCKED = static_cast<HRESULT>(0x80070020);
constexpr HRESULT E_CORRUPT_HEADER = static_cast<HRESULT>(0xC00D07D1);
constexpr HRESULT E_IO_FAILURE = static_cast<HRESULT>(0x8007001F);
constexpr HRESULT E_OUT_OF_MEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT E_FILE_CHANGED = static_cast<HRESULT>(0xC00D0FA0);
constexpr HRESULT E_DISK_FULL = static_cast<HRESULT>(0x80070070);
// A header that must grow by rewriting the file, which would cut the file's
// other hard links off from the new contents.
constexpr HRESULT E_FILE_HARD_LINKED = static_cast<HRESULT>(0xC00D0FA1);
// A side file of an interrupted save is at the journal's name (beside the
// file or in the saver's journal folder) and was not, or could not be,
// dealt with: the save waits until it is gone.
constexpr HRESULT E_SIDE_FILE_FOUND = static_cast<HRESULT>(0xC00D0FA2);
// A header that must grow by rewriting the file, whose copy could not be
// given the file's owner and group.
constexpr HRESULT E_OWNER_NOT_KEPT = static_cast<HRESULT>(0xC00D0FA3);
// The system refused the access a save needs (a folder that takes no new
// file, a file system mounted read-only).
constexpr HRESULT E_ACCESS_DENIED = static_cast<HRESULT>(0x80070005);

// A short English name of a result, for messages of the command-line tool.
std::string ResultName(HRESULT Result);

// Attribute types of the interface. These are not the type codes stored in
// the file; the engine maps between the two through one table.
enum WMT_ATTR_DATATYPE : std::uint32_t {
  WMT_TYPE_DWORD = 0,
  WMT_TYPE_STRING = 1,
  WMT_TYPE_BINARY = 2,
  WMT_TYPE_BOOL = 3,
  WMT_TYPE_QWORD = 4,
  WMT_TYPE_WORD = 5,
  WMT_TYPE_GUID = 6,
};

constexpr DWORD GENERIC_READ = 0x80000000U;
constexpr DWORD GENERIC_WRITE = 0x40000000U;
constexpr DWORD FILE_SHARE_READ = 0x1U;
constexpr DWORD FILE_SHARE_WRITE = 0x2U;
constexpr DWORD FILE_SHARE_DELETE = 0x4U;

template <class T> using TRef = std::shared_ptr<T>;

class EInterfaceNotSupported : public std::runtime_error {
public:
  EInterfaceNotSupported() : std::runtime_error("Interface not supported") {}
};

// Common base of every interface, so one object can be queried for another.
class IInterface {
public:
  virtual ~IInterface() = default;
};

template <class TWanted, class THeld> TRef<TWanted> QueryInterface(const TRef<THeld>& Object)
{
  TRef<TWanted> Result = std::dynamic_pointer_cast<TWanted>(Object);
  if (!Result) {
    throw EInterfaceNotSupported();
  }
  return Result;
}

class IWMMetadataEditor : public virtual IInterface {
public:
  // Opens for reading and writing with no sharing, as OpenEx does.
  virtual HRESULT Open(const char16_t* FileName) = 0;
  // Discards every change and lets go of the file; always S_OK.
  virtual HRESULT Close() = 0;
  // Writes the changed header to the file and lets go of it; with no change
  // it lets go without writing. On failure (E_FILE_CHANGED when another
  // program changed the file since it was opened, E_INVALID_REQUEST when the
  // new header cannot be written, E_IO_FAILURE) the file stays open and held
  // with every change still in the editor.
  virtual HRESULT Flush() = 0;
};

class IWMMetadataEditor2 : public IWMMetadataEditor {
public:
  // GENERIC_READ | GENERIC_WRITE with share mode 0 holds the file
  // exclusively (no other open, in this process or another, succeeds: they
  // fail with E_FILE_LOCKED). GENERIC_READ alone needs FILE_SHARE_READ and/or
  // FILE_SHARE_DELETE and shares the file with other readers. Other
  // combinations fail with E_INVALID_ARGUMENT, an editor with a file open
  // with E_INVALID_STATE, a file that cannot be opened with the access asked
  // with E_IO_FAILURE, one that is not ASF with E_CORRUPT_HEADER. Only the
  // header is read.
  virtual HRESULT OpenEx(const char16_t* FileName, DWORD DesiredAccess, DWORD ShareMode) = 0;
};

// Attribute access with 16-bit lengths. A call with no value buffer reports
// the length needed; a buffer too small fails with E_BUFFER_TOO_SMALL and
// reports the length needed.
class IWMHeaderInfo : public virtual IInterface {
public:
  virtual HRESULT GetAttributeCount(WORD StreamNum, WORD* Attributes) = 0;
  // *StreamNum names the stream; the index is the same as in IWMHeaderInfo3.
  // No attribute there: E_NOT_FOUND.
  virtual HRESULT GetAttributeByIndex(WORD Index, WORD* StreamNum, char16_t* Name, WORD* NameLen,
                                      WMT_ATTR_DATATYPE* Type, BYTE* Value, WORD* Length) = 0;
  // The first instance (lowest index) of the name in stream *StreamNum
  // (0: file level). None: E_NOT_FOUND.
  virtual HRESULT GetAttributeByName(WORD* StreamNum, const char16_t* Name, WMT_ATTR_DATATYPE* Type,
                                     BYTE* Value, WORD* Length) = 0;
  // Replaces every instance of the name in the stream with one value in
  // language 0: the first instance takes the value in its place and the
  // others are removed; with none, the value is added at the end. GUID
  // values are refused (E_INVALID_ARGUMENT): use AddAttribute.
  virtual HRESULT SetAttribute(WORD StreamNum, const char16_t* Name, WMT_ATTR_DATATYPE Type,
                               const BYTE* Value, WORD Length) = 0;
};

// Attribute access by index with 32-bit lengths and languages.
class IWMHeaderInfo3 : public IWMHeaderInfo {
public:
  virtual HRESULT GetAttributeCountEx(WORD StreamNum, WORD* Attributes) = 0;
  // Indices of every instance of the name, in descending order. LangIndex
  // null means any language; Name null means every attribute of the
  // language. With Indices null, or Count too small, the count is reported
  // (the second case fails with E_BUFFER_TOO_SMALL).
  virtual HRESULT GetAttributeIndices(WORD StreamNum, const char16_t* Name, const WORD* LangIndex,
                                      WORD* Indices, WORD* Count) = 0;
  // No attribute at the index: E_INVALID_REQUEST.
  virtual HRESULT GetAttributeByIndexEx(WORD StreamNum, WORD Index, char16_t* Name, WORD* NameLen,
                                        WMT_ATTR_DATATYPE* Type, WORD* LangIndex, BYTE* Value,
                                        DWORD* DataLength) = 0;
  // Gives one instance a new type, language and value; its name and index stay.
  virtual HRESULT ModifyAttribute(WORD StreamNum, WORD Index, WMT_ATTR_DATATYPE Type, WORD LangIndex,
                                  const BYTE* Value, DWORD Length) = 0;
  // Adds one more instance at the end of the stream and reports its index
  // (Index may be null); duplicate names are allowed.
  virtual HRESULT AddAttribute(WORD StreamNum, const char16_t* Name, WORD* Index, WMT_ATTR_DATATYPE Type,
                               WORD LangIndex, const BYTE* Value, DWORD Length) = 0;
  // Removes one instance; every higher index moves down by one, so deleting
  // the indices GetAttributeIndices returned, in its order, deletes exactly
  // those instances. No attribute at the index: E_INVALID_REQUEST.
  virtual HRESULT DeleteAttribute(WORD StreamNum, WORD Index) = 0;
};

// Progress of a save that copies the file: bytes done of bytes in all.
using TProgressCallback = std::function<void(QWORD Done, QWORD Total)>;

// Offered by this program's editor in addition to the interfaces above.
class IQuillmarkSaveProgress : public virtual IInterface {
public:
  virtual void SetProgressCallback(TProgressCallback Callback) = 0;
};

// What an open found of an earlier save of the file that was cut off.
enum class TSideFileState {
  None,
  // A side file that was not used: it cannot be shown to be this file's own
  // interrupted save. The file was opened as it is; saving it is refused
  // while the side file is there.
  Found,
  // This file's own interrupted save, left as it is because the open only
  // reads; an open for writing finishes it.
  Pending,
  RolledBack, // the interrupted save was undone and its side file removed
  Completed,  // the interrupted save had reached its end; its side file was removed
  Removed,    // a side file cut short while being written (the file was never changed) was removed
};

struct TSideFileReport {
  TSideFileState State = TSideFileState::None;
  std::string Path; // the side file
  // What an open for editing does with the side file: after such an open,
  // State itself; after an open for reading, what one would do, which a
  // dry run tells without acting (RolledBack or Completed for Pending,
  // Removed for a side file cut short, Found for one never used).
  TSideFileState Editing = TSideFileState::None;
};

// Offered by this program's editor: what the last OpenEx found, whether it
// succeeded or not.
class IQuillmarkSideFiles : public virtual IInterface {
public:
  virtual TSideFileReport SideFileReport() const = 0;
};

// Why the last open or save failed, beyond its result code: the messages of
// the window and the tool stay fixed and add this as the reason.
enum class TFailureCause {
  None,
  NotFound,
  PermissionDenied,
  NotAsf,
  DamagedHeader,
  HeldByAnotherProgram,
  DiskFull,
  // A side file beside the video (a journal of a save) that cannot be
  // trusted stops the open or the save; Detail names it.
  SideFileFound,
  FileChanged,  // another program changed or replaced the file since it was opened
  HardLinked,   // a header that must grow by rewriting a file with other names
  OwnerNotKept, // a header that must grow, whose copy could not keep the owner
  IoError,
  OutOfMemory,
  Other, // Detail says what the system said
};

struct TFailureReason {
  TFailureCause Cause = TFailureCause::None;
  std::string Detail; // the system's words, or the side file's name; may be empty
};

// The cause in words, such as "disk full" or "side file found"; empty for
// None and Other.
std::string FailureCauseText(TFailureCause Cause);
// A short stable name of the cause for programs that read the tool's JSON,
// such as "disk-full"; "other" for Other, empty for None.
std::string FailureCauseKey(TFailureCause Cause);
// The cause's text and its detail, as "side file found: a.wmv.journal";
// Other is its detail alone.
std::string FailureReasonText(const TFailureReason& Reason);
// The cause of a failed system call's errno; Other with its words for the rest.
TFailureReason FailureReasonOfErrno(int Error);
// The cause a result code stands for; Detail goes with the causes that carry
// the system's words (Other, an I/O error, a copy that could not keep its
// owner).
TFailureReason FailureReasonOfResult(HRESULT Result, const std::string& Detail);

// Offered by this program's editor: the reason of the last OpenEx or Flush
// that failed, cleared by the next one that succeeds.
class IQuillmarkFailureReason : public virtual IInterface {
public:
  virtual TFailureReason LastFailure() const = 0;
};

// The reason an editor gives for its last failure; a plain failure of the
// result code when the editor does not say.
TFailureReason LastFailureOf(const TRef<IWMMetadataEditor>& Editor, HRESULT Result);

// The file an open editor holds, so that what else is read of it (the
// video's frames) comes from the very file whose header was read, whatever
// its name leads to by then.
class IQuillmarkOpenFile : public virtual IInterface {
public:
  // A new descriptor (dup) of the open file, which the caller closes; -1
  // with errno set when no file is open. It shares the editor's lock, which
  // is held until both are closed: it must be closed before the file is
  // opened again.
  virtual int DuplicateDescriptor() const = 0;
  // Whether the next opens follow a symbolic link at the path's last part
  // (the default) or refuse it as not a regular file: a file found in a
  // folder is the folder's entry itself, never what a link there leads to,
  // whatever is put at its name between the listing and the open.
  virtual void SetFollowLinks(bool Follow) = 0;
};

// The open file's descriptor as IQuillmarkOpenFile gives it; -1 with errno
// set when the editor holds none or does not offer it.
int DuplicateOpenFile(const TRef<IWMMetadataEditor>& Editor);

// Creates a new editor with no file open.
HRESULT WMCreateEditor(TRef<IWMMetadataEditor>& Editor);

// Flushes many open editors at once, each with Flush's result and effect,
// so that saves in place on one file system share a few syncs instead of
// paying three each; each file is still safe on its own against a crash.
// Results gets one result per editor, in order. OnSaving, when set, hears
// the position of each editor whose file is about to be written.
void FlushEditors(const std::vector<TRef<IWMMetadataEditor>>& Editors, std::vector<HRESULT>& Results,
                  const std::function<void(std::size_t Position)>& OnSaving = {});

// FlushEditors in two halves, so that one thread can plan a group of saves
// while another writes and syncs the group before it: Plan checks and plans
// each save (flushing at once those that cannot share syncs), Commit writes
// and syncs the rest, and Results then holds one result per editor. Commit
// may run in another thread than Plan, never at the same time.
class TEditorFlush {
public:
  explicit TEditorFlush(std::vector<TRef<IWMMetadataEditor>> Editors);
  ~TEditorFlush();
  TEditorFlush(const TEditorFlush&) = delete;
  TEditorFlush& operator=(const TEditorFlush&) = delete;

  void Plan(const std::function<void(std::size_t Position)>& OnSaving = {});
  void Commit(const std::function<void(std::size_t Position)>& OnSaving = {});
  const std::vector<HRESULT>& Results() const;

private:
  struct TState;
  std::unique_ptr<TState> FState;
};

} // namespace Quillmark
