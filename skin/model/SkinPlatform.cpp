#include "skin/model/SkinPlatform.h"

namespace {
TSkinPlatform& BuiltinPlatform() {
    static TSkinPlatform platform;
    return platform;
}
TSkinPlatform*& InstalledPlatform() {
    static TSkinPlatform* platform = nullptr;
    return platform;
}
} // namespace

TSkinPlatform* SetSkinPlatform(TSkinPlatform* platform) {
    TSkinPlatform* previous = InstalledPlatform();
    InstalledPlatform() = platform;
    return previous;
}

TSkinPlatform& SkinPlatform() {
    return InstalledPlatform() ? *InstalledPlatform() : BuiltinPlatform();
}
