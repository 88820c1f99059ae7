// Every text the user can see, in one place (UTF-8; the Win32 edge converts to UTF-16).
#pragma once

namespace mrv::text {

inline constexpr char kAppTitle[] = "Morvanta";
inline constexpr char kCaptionError[] = "Error";
inline constexpr char kCaptionAbout[] = "About";

// Recording start and stop.
inline constexpr char kStubMissing[] = "缺少文件HeadFile.hdf,程序终止运行!\t";
inline constexpr char kSoundDeviceFailed[] = "启动录音设备失败!\t";
inline constexpr char kCannotOpenFile[] = "Cannot open file ";
inline constexpr char kCannotCreateFile[] = "Cannot create file ";
inline constexpr char kCannotWriteFile[] = "Cannot write file ";
inline constexpr char kOutputIsProgramFile[] =
    "The recording would overwrite a file the program needs; choose another name.";
inline constexpr char kOutOfMemory[] = "Not enough memory for a recording of this screen.";

// Player stub (HeadFile.hdf).
inline constexpr char kPlayerTitle[] = "Morvanta 录像播放";
inline constexpr char kPlayerPlay[] = "播放";
inline constexpr char kPlayerPause[] = "暂停";
inline constexpr char kPlayerFullScreen[] = "全屏";
inline constexpr char kPlayerWindowed[] = "退出全屏";
inline constexpr char kPlayerClose[] = "关闭";
inline constexpr char kPlayerNoRecording[] = "本文件中没有录像数据,无法播放!\t";
inline constexpr char kPlayerCannotRead[] = "无法读取录像文件!\t";
inline constexpr char kPlayerTruncated[] = "录像文件不完整,无法播放!\t";
inline constexpr char kPlayerDamaged[] = "录像数据已损坏,无法播放!\t";

}  // namespace mrv::text
