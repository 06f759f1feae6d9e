#pragma once
// What the skin tests under Wine share: the platform's colours and skin services, the skin manager
// for the tests whose forms are skinned on activation, a running application, and the product skin
// read from the built updater. Everything is undone when the platform object goes.
#include <gtest/gtest.h>

#include "UpdaterSkin.h"
#include "framework/Application_win.h"
#include "skin/manager/SkinManage_win.h"
#include "skin/model/ImgUtil_win.h"
#include "skin/model/WinSkinData_win.h"

class TSkinTestPlatform {
public:
    explicit TSkinTestPlatform(bool withManager) : manager_(withManager) {
        UsePlatformSysColours();
        UsePlatformSkinServices();
        if (manager_) UseWin32SkinManager();
        app_.Initialize();
    }
    ~TSkinTestPlatform() {
        if (manager_) {
            DestroySkinManager();
            SetSkinManagerFactory(nullptr);
        }
    }
    TSkinTestPlatform(const TSkinTestPlatform&) = delete;
    TSkinTestPlatform& operator=(const TSkinTestPlatform&) = delete;

    TApplication* App() { return &app_; }

private:
    // The hooks go after the application (and the forms it owns), the manager before it.
    struct THooks {
        ~THooks() {
            SetSkinPlatform(nullptr);
            SetSysColourResolver(nullptr);
        }
    } hooks_;
    bool manager_;
    TApplication app_;
};

// Reads the product skin into `skin` as a form's stream would; the caller then makes it active.
inline ::testing::AssertionResult ReadProductSkin(TSkinData& skin) {
    TDataModule exe(HostPath(kUpdaterExe));
    skin.BeginReading();
    if (LoadSkinFromResource(skin, exe.get())) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << skin.LastLoadError();
}
