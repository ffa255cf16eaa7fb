#pragma once
// The texts the update flows show, as the user reads them.

namespace kz::update::text {

inline constexpr const char* kChecking = "正在检查...";
inline constexpr const char* kNoUpdateInfo = "无法获取更新信息，请检查网络！";
inline constexpr const char* kFirmwareDownloadFailed = "固件下载失败！请重试";
inline constexpr const char* kSoftwareIsNewest = "软件版本已是最新版！";
inline constexpr const char* kDownloadingFirmware = "正在下载固件更新...";
inline constexpr const char* kDownloading = "正在下载更新...";
inline constexpr const char* kExtractFailed = "解压失败，请重试检查更新或重新下载驱动重新安装！";
inline constexpr const char* kExtracting = "下载完毕，正在解压...";
inline constexpr const char* kExtracted = "解压完毕!";
inline constexpr const char* kNewVersion = "有新版本！";
inline constexpr const char* kSoftwareVersionLabel = "软件版本号: %s";
inline constexpr const char* kFirmwareVersionLabel = "固件版本号: %s";
inline constexpr const char* kNoMailProgram = "请先安装配置邮件客户端！或复制地址：";

inline constexpr const char* kCannotOpenImage = "无法打开固件更新包！";
inline constexpr const char* kFlashStartLog = "开始读取bin文件，写035802";
inline constexpr const char* kFlashRefused = "更新失败，设备可能未接入电脑!";
inline constexpr const char* kFlashFinished = "固件更新完毕！";
inline constexpr const char* kFlashQueryLog = "固件更新完毕 send 03f9";
inline constexpr const char* kPlugInText = "准备升级固件，请插入设备！";
inline constexpr const char* kPlugInTitle = "设备未插入";
inline constexpr const char* kImageFilter = "bin Files(*.bin)";

}  // namespace kz::update::text
