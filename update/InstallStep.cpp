#include "update/InstallStep.h"

std::string InstallScratchPath(const std::string& installedPath) {
    return installedPath + ".new";
}

std::string InstallFailureText(TInstallStage stage, unsigned long errorCode) {
    std::string text = stage == TInstallStage::WriteBeside ? "无法写入新文件" : "无法替换原文件";
    switch (errorCode) {
    case 5:
        text += ",拒绝访问";
        break;
    case 32:
    case 33:
        text += ",文件正被其他程序使用";
        break;
    case 39:
    case 112:
        text += ",磁盘空间不足";
        break;
    default:
        break;
    }
    return text + "(错误" + std::to_string(errorCode) + ")";
}
