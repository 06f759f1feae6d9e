// The install step's scratch name and the reasons its log line gives.
#include "update/InstallStep.h"

#include <gtest/gtest.h>

namespace {

TEST(InstallStep, ScratchBesideTheFileAndReasonsForEachFailure) {
    EXPECT_EQ(InstallScratchPath("C:\\app\\plugins\\a.dll"), "C:\\app\\plugins\\a.dll.new");
    struct Row {
        TInstallStage stage;
        unsigned long code;
        const char* text;
    };
    const Row rows[] = {
        {TInstallStage::Replace, 5, "无法替换原文件,拒绝访问(错误5)"},
        {TInstallStage::Replace, 32, "无法替换原文件,文件正被其他程序使用(错误32)"},
        {TInstallStage::Replace, 33, "无法替换原文件,文件正被其他程序使用(错误33)"},
        {TInstallStage::Replace, 1175, "无法替换原文件(错误1175)"},
        {TInstallStage::WriteBeside, 5, "无法写入新文件,拒绝访问(错误5)"},
        {TInstallStage::WriteBeside, 39, "无法写入新文件,磁盘空间不足(错误39)"},
        {TInstallStage::WriteBeside, 112, "无法写入新文件,磁盘空间不足(错误112)"},
        {TInstallStage::WriteBeside, 3, "无法写入新文件(错误3)"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(InstallFailureText(r.stage, r.code), r.text) << r.code;
}

} // namespace
