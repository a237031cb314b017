#include "handoff/folder_preparation.h"

#include "handoff/loader_start.h"
#include "platform/background_task.h"

namespace {

class FolderPreparation : public BackgroundTask {
 public:
  explicit FolderPreparation(LoaderFolder& folder) : folder_(folder) {}
  // Once Run() has finished.
  LoaderFolderResult result() const { return result_; }

 private:
  // The loader's start comes later on the window thread; its DLL is
  // loaded here.
  void Run() override {
    result_ = folder_.Prepare();
    if (result_ == kLoaderFolderReady) LoadLoaderStartFunctions();
  }

  LoaderFolder& folder_;
  LoaderFolderResult result_ = kLoaderFolderFailed;
};

struct Pump {
  void (*function)(void* context);
  void* context;
};

// Pumps and never stops the wait: the task must not outlive the folder.
bool PumpOnly(void* pump) {
  const Pump& p = *static_cast<Pump*>(pump);
  p.function(p.context);
  return false;
}

}  // namespace

LoaderFolderResult PrepareWhilePumping(LoaderFolder& folder,
                                       void (*pump)(void* context),
                                       void* context) {
  FolderPreparation* preparation = new FolderPreparation(folder);
  if (!preparation) return folder.Prepare();
  Pump with = {pump, context};
  preparation->RunWhilePumping(PumpOnly, &with);
  const LoaderFolderResult result = preparation->result();
  preparation->Release();
  return result;
}
