#pragma once
// What a skin data component asks of the skin manager. The manager itself lives in the Win32
// layer; the portable model only talks to this interface, and with no manager installed every
// request is simply not made (the window stays unskinned).
#include <cstdint>
#include <functional>
#include <memory>

class TComponent;
class TSkinData;

// Codes of the manager's deferred requests.
enum TSkinAction : std::uint32_t {
    saSkinAll = 1,
    saUnskinAll = 2,
    saRefresh = 3,
    saPurgeDead = 6,
};

// Interval the skin data components use for their deferred requests.
constexpr int kSkinActionDelay = 250;

class TSkinManagerApi {
public:
    virtual ~TSkinManagerApi() = default;

    virtual void RegisterSkinData(TSkinData* skinData) = 0;
    virtual void UnregisterSkinData(TSkinData* skinData) = 0;
    // Installs the thread's window hook (a main-form skin data prepares the manager this way).
    virtual void InstallCbtHook() = 0;
    // Stores `code` for the action timer; see the manager for what happens before the first
    // window activation.
    virtual void RequestAction(std::uint32_t code, int intervalMs) = 0;
    // The skin data whose request runs next (the manager's current skin).
    virtual void SetActionRequester(TSkinData* skinData) = 0;
    // Marks the manager as started (the main skin data was switched on).
    virtual void MarkActive() = 0;
    // Whether new windows are skinned now.
    virtual bool SkinningEnabled() const = 0;
    // A skin data of a form type other than sfMainform finished loading: the manager serves single
    // forms from now on and counts it.
    virtual void ServeSingleForm() = 0;
    // Skins the window of `owner` at once when it is a form; false when it is not, or is refused.
    virtual bool TrySkinOwnerForm(TComponent* owner) = 0;
    // Drops frames whose windows have gone before a changed skin is applied.
    virtual void PurgeSkinnedForms() = 0;
};

using TSkinManagerFactory = std::function<std::unique_ptr<TSkinManagerApi>()>;

// Installs the factory that creates the process's one manager on first demand; returns the
// previous one. Without a factory no manager is ever created.
TSkinManagerFactory SetSkinManagerFactory(TSkinManagerFactory factory);
// The manager, or null when none has been created.
TSkinManagerApi* CurrentSkinManager();
// The manager, created through the factory when there is none yet (null without a factory).
TSkinManagerApi* EnsureSkinManager();
// Destroys the manager (module shutdown, tests).
void DestroySkinManager();
