#pragma once
// Components with an owner: an owner destroys what it owns, in reverse order of creation.
// Components that refer to others ask to be told when those go (FreeNotification).
#include <string>
#include <vector>

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

enum class TOperation { opInsert, opRemove };

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }

    size_t ComponentCount() const { return components_.size(); }
    TComponent* Components(size_t index) const { return components_.at(index); }

    // True while the destructor runs: owned components can tell that their owner is going.
    bool Destroying() const { return destroying_; }

    // `other` receives Notification(this, opRemove) when this component is destroyed.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    // Called once all properties are set (the end of "loading" a form).
    virtual void Loaded() {}

protected:
    virtual void Notification(TComponent* component, TOperation operation);
    // Destroys every owned component now (newest first); derived destructors call it when their
    // components must go before their own state does.
    void DestroyComponents();

private:
    void InsertComponent(TComponent* child);
    void RemoveComponent(TComponent* child);

    TComponent* owner_ = nullptr;
    std::string name_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    bool destroying_ = false;
};
