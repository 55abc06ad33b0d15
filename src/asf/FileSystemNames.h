#pragma once
// The engine saves through the file-system layer (the seam, locks, save
// names, copying, the rollback journal), which knows nothing of ASF. Its
// names are taken into the engine's namespace here, once; its errors become
// the engine's at the editor's boundary (EngineError.h: ErrnoResult,
// AsfErrorOf).
#include "asf/EngineError.h"
#include "fs/CopyFile.h"
#include "fs/Crc32.h"
#include "fs/FileIo.h"
#include "fs/FileLock.h"
#include "fs/FileSystem.h"
#include "fs/Journal.h"
#include "fs/JournalPlace.h"
#include "fs/SaveNames.h"

namespace Quillmark::Asf {

using Fs::IFileSystem;
using Fs::TCopyProgress;
using Fs::TFileId;
using Fs::TFileIdentity;
using Fs::TFolder;
using Fs::TFolderRef;
using Fs::TFsCall;
using Fs::TJournal;
using Fs::TJournalFile;
using Fs::TJournalKind;
using Fs::TJournalRanges;
using Fs::TJournalSync;
using Fs::TJournalWhere;
using Fs::TLockedFile;
using Fs::TPrivateFolderMemory;
using Fs::TSaveNames;
using Fs::TScopedFd;
using Fs::TSideFile;

using Fs::CopyBufferSize;
using Fs::FsCallKinds;
using Fs::JournalFixedSize;
using Fs::JournalSectorSize;
using Fs::MaxJournalNames;
using Fs::MaxSharedJournalBytes;

using Fs::AddPrivateJournal;
using Fs::CopyRange;
using Fs::Crc32;
using Fs::Crc32Combine;
using Fs::DecodeJournal;
using Fs::DecodeJournalSet;
using Fs::EncodeJournal;
using Fs::EncodeJournalSet;
using Fs::FsCallName;
using Fs::JournalBelongsTo;
using Fs::JournalRoomMoved;
using Fs::MaxJournalSize;
using Fs::NameLeadsTo;
using Fs::OpenFolder;
using Fs::OpenPrivateJournalFolder;
using Fs::PosixFileSystem;
using Fs::PrivateJournalFolder;
using Fs::PrivateJournalName;
using Fs::ReadExact;
using Fs::ReadJournal;
using Fs::RelocateRanges;
using Fs::RemoveJournal;
using Fs::RemoveSideFile;
using Fs::ResolveOpenSaveNames;
using Fs::ResolveSaveNames;
using Fs::RollBack;
using Fs::SetPrivateJournalFolder;
using Fs::SideFileExists;
using Fs::SyncFolder;
using Fs::WriteExact;
using Fs::WriteJournal;
using Fs::WriteSharedJournal;

} // namespace Quillmark::Asf
