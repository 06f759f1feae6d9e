#include "skin/model/SkinManagerApi.h"

namespace {
TSkinManagerFactory& ManagerFactory() {
    static TSkinManagerFactory factory;
    return factory;
}
std::unique_ptr<TSkinManagerApi>& ManagerInstance() {
    static std::unique_ptr<TSkinManagerApi> manager;
    return manager;
}
} // namespace

TSkinManagerFactory SetSkinManagerFactory(TSkinManagerFactory factory) {
    TSkinManagerFactory previous = std::move(ManagerFactory());
    ManagerFactory() = std::move(factory);
    return previous;
}

TSkinManagerApi* CurrentSkinManager() {
    return ManagerInstance().get();
}

TSkinManagerApi* EnsureSkinManager() {
    if (!ManagerInstance() && ManagerFactory()) ManagerInstance() = ManagerFactory()();
    return ManagerInstance().get();
}

void DestroySkinManager() {
    ManagerInstance().reset();
}
