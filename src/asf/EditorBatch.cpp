#include "asf/Guarded.h"
#include "asf/HeaderBatch.h"
#include "asf/MetadataEditorImpl.h"

#include <algorithm>

namespace Quillmark {

namespace {

using Asf::TMetadataEditor;

struct TQueued {
  std::size_t Position = 0;
  TMetadataEditor* Editor = nullptr;
};

bool Changed(const TRef<IWMMetadataEditor>& Editor)
{
  auto* Ours = dynamic_cast<TMetadataEditor*>(Editor.get());
  return Ours == nullptr || Ours->Changed();
}

// A lone save gains nothing from sharing syncs, while a syncfs waits for
// whatever other programs have written to the whole file system: it pays
// the syncs of its own file instead.
bool WorthSharing(const std::vector<TRef<IWMMetadataEditor>>& Editors)
{
  return std::count_if(Editors.begin(), Editors.end(), Changed) > 1;
}

// Saves that cannot share syncs (another kind of editor, a file system
// that cannot, a save alone) are flushed one by one, first.
void AddOrFlush(const std::vector<TRef<IWMMetadataEditor>>& Editors, Asf::THeaderBatch& Batch,
                std::vector<TQueued>& Queued, std::vector<HRESULT>& Results,
                const std::function<void(std::size_t)>& OnSaving)
{
  const bool Share = WorthSharing(Editors);
  for (std::size_t Position = 0; Position < Editors.size(); ++Position) {
    auto* Editor = dynamic_cast<TMetadataEditor*>(Editors[Position].get());
    bool Joined = false;
    if (Share && Editor != nullptr && Editor->Header() != nullptr && Editor->Changed()) {
      Results[Position] = Asf::Guarded([&] { return Batch.Add(Editor->CommitRequest(), Joined); });
      if (Joined) {
        Queued.push_back({Position, Editor});
        continue;
      }
      if (Results[Position] != S_OK) {
        Editor->NoteSaveFailure(Results[Position]);
        continue; // Flush's failure: the file stays open with the changes
      }
    }
    if (OnSaving && Editor != nullptr && Editor->Changed()) {
      OnSaving(Position);
    }
    Results[Position] = Editors[Position]->Flush();
  }
}

} // namespace

struct TEditorFlush::TState {
  std::vector<TRef<IWMMetadataEditor>> Editors;
  std::vector<HRESULT> Results;
  Asf::THeaderBatch Batch;
  std::vector<TQueued> Queued;
};

TEditorFlush::TEditorFlush(std::vector<TRef<IWMMetadataEditor>> Editors) : FState(std::make_unique<TState>())
{
  FState->Editors = std::move(Editors);
  FState->Results.assign(FState->Editors.size(), S_OK);
}

TEditorFlush::~TEditorFlush() = default;

void TEditorFlush::Plan(const std::function<void(std::size_t Position)>& OnSaving)
{
  AddOrFlush(FState->Editors, FState->Batch, FState->Queued, FState->Results, OnSaving);
}

void TEditorFlush::Commit(const std::function<void(std::size_t Position)>& OnSaving)
{
  TState& State = *FState;
  // Out of memory midway, the saves not finished fail and their journals
  // are left for the next open to roll back.
  Asf::Guarded([&] {
    State.Batch.Commit([&](std::size_t Entry) {
      if (OnSaving) {
        OnSaving(State.Queued[Entry].Position);
      }
    });
    return S_OK;
  });
  for (std::size_t Entry = 0; Entry < State.Queued.size(); ++Entry) {
    const HRESULT Result = State.Batch.Result(Entry);
    State.Results[State.Queued[Entry].Position] = Result;
    // As after Flush: a saved file is let go, a failed one stays open.
    if (Result == S_OK) {
      State.Queued[Entry].Editor->NoteSaveWay(State.Batch.Way(Entry));
      State.Queued[Entry].Editor->Close();
    } else {
      State.Queued[Entry].Editor->NoteSaveFailure(Result);
    }
  }
}

const std::vector<HRESULT>& TEditorFlush::Results() const
{
  return FState->Results;
}

void FlushEditors(const std::vector<TRef<IWMMetadataEditor>>& Editors, std::vector<HRESULT>& Results,
                  const std::function<void(std::size_t Position)>& OnSaving)
{
  TEditorFlush Flush(Editors);
  Flush.Plan(OnSaving);
  Flush.Commit(OnSaving);
  Results = Flush.Results();
}

} // namespace Quillmark
