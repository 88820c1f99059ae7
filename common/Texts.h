// Every text the user can see, in one place (UTF-8; the Win32 edge converts to UTF-16).
#pragma once

#include "common/Version.h"

namespace mrv::text {

inline constexpr char kAppTitle[] = "Morvanta";
inline constexpr char kCaptionError[] = "Error";
inline constexpr char kCaptionAbout[] = "About";

// Recording start and stop.
inline constexpr char kStubMissing[] = "缺少文件HeadFile.hdf,程序终止运行!\t";
inline constexpr char kSoundDeviceFailed[] = "启动录音设备失败!\t";
inline constexpr char kSoundCodecMissing[] =
    "启动录音设备失败: 系统中没有 GSM 6.10 音频编解码器,无法录制声音。\t\r"
    "(Windows 的 N 版和 LTSC 版可能没有它,安装“媒体功能包”后即可使用。)\t";
inline constexpr char kCannotOpenFile[] = "Cannot open file ";
inline constexpr char kCannotCreateFile[] = "Cannot create file ";
inline constexpr char kCannotWriteFile[] = "Cannot write file ";
inline constexpr char kOutputIsProgramFile[] =
    "The recording would overwrite a file the program needs; choose another name.";
inline constexpr char kOutOfMemory[] = "Not enough memory for a recording of this screen.";
// The microphone gives nothing but exact silence: Windows keeps it from desktop programs.
inline constexpr char kSilentMicrophone[] =
    "麦克风只传来静音,录像中将没有声音(录像仍在继续)。\t\r"
    "请在 Windows 设置 > 隐私和安全性(Windows 10 中为“隐私”)> 麦克风 中,"
    "打开“允许桌面应用访问你的麦克风”。\t";

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
// Player limits: what survives of a cut-off or damaged recording still plays.
inline constexpr char kPlayerTruncatedNotice[] = "录像文件不完整,只能播放到中断之处。\t";
inline constexpr char kPlayerDamagedNotice[] = "录像数据在此之后已损坏,播放到此为止。\t";
inline constexpr char kPlayerOutOfMemory[] = "内存不足,无法播放录像!\t";
// Player controls, saving a copy, and what the save can run into.
inline constexpr char kPlayerSaveAs[] = "另存为…";
inline constexpr char kPlayerMute[] = "静音";
inline constexpr char kPlayerSpeedTip[] = "播放速度 ( [ 和 ] 键)";
inline constexpr char kPlayerVolumeTip[] = "音量 (M 键静音)";
inline constexpr char kPlayerShownOneToOne[] = "按原始像素显示 (1:1)";
// %d is the percentage of the recorded size.
inline constexpr char kPlayerShownScaled[] = "窗口放不下原始大小,已缩小到 %d%% 显示";
inline constexpr char kPlayerSaveTypeGif[] = "GIF 动画 (*.gif)";
inline constexpr char kPlayerSaveTypeMp4[] = "MP4 视频 (*.mp4)";
inline constexpr char kPlayerSaveTypeWav[] = "WAV 声音 (*.wav)";
inline constexpr char kPlayerSaveTypePng[] = "PNG 图片 (*.png)";
inline constexpr char kPlayerSaveTypeMrv[] = "录像文件 (*.mrv)";
inline constexpr char kPlayerSaveTypeExe[] = "自播放程序 (*.exe)";
// The kind of file the player shows, in its title.
inline constexpr char kPlayerKindFile[] = "录像文件";
inline constexpr char kPlayerKindProgram[] = "自播放程序";
// The installed player started by itself asks for a recording to open.
inline constexpr char kPlayerOpenTitle[] = "打开录像";
inline constexpr char kPlayerOpenType[] = "Morvanta 录像 (*.mrv; *.exe)";
inline constexpr char kPlayerSkipIdle[] = "跳过静止片段 (最长保留 1 秒)";
inline constexpr char kPlayerSaving[] = "正在保存";
inline constexpr char kPlayerCancel[] = "取消";
inline constexpr char kPlayerTimeLeftUnknown[] = "剩余时间: 正在估算…";
inline constexpr char kPlayerTimeLeft[] = "剩余时间: ";
inline constexpr char kPlayerSaveCannotWrite[] =
    "无法写入该文件,文件未能保存。\t\r请检查该位置是否可写,或换一个位置保存。\t";
inline constexpr char kPlayerSaveDiskFull[] = "磁盘空间不足,文件未能保存。\t";
inline constexpr char kPlayerSaveNoFfmpeg[] =
    "保存为 MP4 需要 ffmpeg.exe,但在播放器所在的文件夹和 PATH 中都没有找到它。\t\r"
    "是否现在指定 ffmpeg.exe 的位置?\t";
inline constexpr char kPlayerSaveFfmpegFailed[] = "ffmpeg 未能完成视频编码,文件未能保存。\t";
inline constexpr char kPlayerSaveRefused[] = "该录像已损坏或时间过长,无法另存。\t";
inline constexpr char kPlayerSaveOutOfMemory[] = "内存不足,文件未能保存。\t";
// %s is the file another program holds; the finished file waits beside it for 重试 or 取消.
inline constexpr char kPlayerSaveInUse[] =
    "文件正被其他程序使用…\t\r%s\t\r\r新文件已经做好,但无法替换它。请关闭正在打开该文件的程序"
    "(如看图软件、播放器或同步软件),然后点“重试”;点“取消”将放弃这次保存。\t";
// ffmpeg's own last error line follows this on a line of its own.
inline constexpr char kPlayerSaveFfmpegSaid[] = "ffmpeg 的错误信息: ";
inline constexpr char kPlayerNoGsmCodec[] =
    "系统中没有 GSM 6.10 音频编解码器,录像中的声音无法播放或保存。\t\r"
    "(Windows 的 N 版和 LTSC 版可能没有它,安装“媒体功能包”后即可使用。)\t";
inline constexpr char kPlayerSaveNoH264[] =
    "这个 ffmpeg 没有 H.264 视频编码器 (libx264),无法保存为 MP4。\t\r"
    "请换用包含 libx264 的 ffmpeg (通常称为 GPL 版或完整版)。\t";
inline constexpr char kPlayerLocateFfmpeg[] = "指定 ffmpeg.exe 的位置";
inline constexpr char kPlayerFfmpegType[] = "ffmpeg.exe";
// After saving: the window with the saved file, and the strip's menu.
inline constexpr char kPlayerSavedTitle[] = "已保存";
inline constexpr char kPlayerSavedName[] = "文件: ";
inline constexpr char kPlayerSavedSize[] = "大小: ";
inline constexpr char kPlayerSavedSizeUnknown[] = "未知";
inline constexpr char kPlayerSavedBytes[] = " 字节";
inline constexpr char kPlayerSavedPictures[] = " 等 %zu 张图片";
inline constexpr char kPlayerSavedOpen[] = "打开";
inline constexpr char kPlayerSavedOpenFolder[] = "打开文件夹";
inline constexpr char kPlayerSavedCopy[] = "复制文件";
inline constexpr char kPlayerSavedClose[] = "关闭";
inline constexpr char kPlayerOpenFailed[] = "没有能打开此文件的程序,或文件已不在原处。\t";
inline constexpr char kPlayerFolderFailed[] = "无法打开文件所在的文件夹。\t";
inline constexpr char kPlayerCopyFailed[] = "无法把文件放到剪贴板上,请稍后再试。\t";
// Trim marks on the position bar (keys I and O) and the Save As dialog's options.
inline constexpr char kPlayerMarkStart[] = "设为起点";
inline constexpr char kPlayerMarkEnd[] = "设为终点";
inline constexpr char kPlayerClearSelection[] = "清除选择";
// The selection's start, end and length; Save As saves only that part.
inline constexpr char kPlayerSelectionTip[] = "已选择 %s – %s (共 %s),另存为只保存这一段";
inline constexpr char kPlayerSaveSpeed[] = "速度";
inline constexpr const char* kPlayerSaveSpeedLabels[] = {"1×", "1.5×", "2×", "4×"};
inline constexpr char kPlayerSaveWidth[] = "宽度";
inline constexpr char kPlayerSaveWidthAsRecorded[] = "原始";
inline constexpr char kPlayerSaveEstimate[] = "预计大小: 约 ";

// Settings dialog, INI file and start sequence ("settings").
inline constexpr char kSetCaption[] = "参数设置";
inline constexpr char kSetOk[] = "确定";
inline constexpr char kSetCancel[] = "取消";
inline constexpr char kSetTabGeneral[] = "常规";
inline constexpr char kSetTabAdvanced[] = "高级";
inline constexpr char kSetGroupOptions[] = "选项";
inline constexpr char kSetCaptureBlt[] = "捕获透明窗口";
inline constexpr char kSetShowClick[] = "记录鼠标点击";
inline constexpr char kSetSound[] = "同步录制麦克风的声音";
inline constexpr char kSetDynamicTray[] = "最小化到托盘";
inline constexpr char kSetGroupFile[] = "文件保存";
inline constexpr char kSetName[] = "名称";
inline constexpr char kSetPath[] = "路径";
inline constexpr char kSetPathMarker[] = "<当前路径>";
inline constexpr char kSetBrowse[] = "...";
inline constexpr char kSetGroupHotKeys[] = "自定义热键";
inline constexpr char kSetHotKeyStart[] = "开始";
inline constexpr char kSetBeginTips[] = "开始前提示";
inline constexpr char kSetHotKeyPause[] = "暂停";
inline constexpr char kSetPauseTips[] = "暂停后提示";
inline constexpr char kSetHotKeyEdit[] = "编辑";
inline constexpr char kSetHotKeyStop[] = "停止";
inline constexpr char kSetEndTips[] = "停止后提示";
inline constexpr char kSetGroupFrameRate[] = "采集帧率";
inline constexpr char kSetFramesPerSecond[] = "帧/秒";
inline constexpr char kSetFrameRateHelp[] =
    "每秒采集帧数,它是制约屏幕录像流畅程度和录像文件体积的一个关键参数。可选1～20帧,默认6帧。";
inline constexpr char kSetGroupColor[] = "屏幕颜色数(bit)";
inline constexpr char kSetColor4[] = "4 ";
inline constexpr char kSetColor8[] = "8 ";
inline constexpr char kSetColor16[] = "16 ";
inline constexpr char kSetColor32[] = "32 ";
inline constexpr char kSetGroupPrecision[] = "录像精度";
inline constexpr char kSetPrecisionLow[] = "低";
inline constexpr char kSetPrecisionMedium[] = "中";
inline constexpr char kSetPrecisionHigh[] = "高";
inline constexpr char kSetGroupSampleRate[] = "录音采样率(Hz)";
inline constexpr char kSetRate8000[] = "8000";
inline constexpr char kSetRate11025[] = "11025";
inline constexpr char kSetRate22050[] = "22050";
inline constexpr char kSetRate44100[] = "44100";
inline constexpr char kSetGroupFrameEdit[] = "帧编辑";
inline constexpr char kSetEditSleep[] = "编辑页面停留帧数:";
inline constexpr char kSetGroupEntry[] = "录入方式";
inline constexpr char kSetEntryCopy[] = "全屏拷贝模式";
inline constexpr char kSetEntryScan[] = "扫描模式";
inline constexpr char kSetBrowsePrompt[] = "请选择录像文件的保存路径";
inline constexpr char kUnableToWrite[] = "Unable to write to %s";
inline constexpr char kCannotCreateFolder[] = "Cannot create folder ";
// --- end settings ---

// The settings dialog's recording type (a program, or a recording file for the player).
inline constexpr char kSetGroupFileType[] = "录像类型";
inline constexpr char kSetFileTypeExe[] = "自播放程序 (.exe)";
inline constexpr char kSetFileTypeMrv[] = "录像文件 (.mrv)";

// Main window, tray menu and hot-key prompts ("mainwin").
inline constexpr char kMainWindowCaption[] = "FrmMain";
inline constexpr char kAboutText[] = "Morvanta v" MRV_VERSION_MAJOR_MINOR "\t";
inline constexpr char kTrayTip[] = "Morvanta v" MRV_VERSION_MAJOR_MINOR;
inline constexpr char kHintAbout[] = "关于";
inline constexpr char kHintMinimise[] = "最小化";
inline constexpr char kHintExit[] = "退出";
inline constexpr char kMenuAbout[] = "关于";
inline constexpr char kMenuStart[] = "开始";
inline constexpr char kMenuPause[] = "暂停";
inline constexpr char kMenuEdit[] = "编辑";
inline constexpr char kMenuStop[] = "停止";
inline constexpr char kMenuExit[] = "退出";
inline constexpr char kInitialClock[] = "00:00:00";
inline constexpr char kInitialSize[] = "0KB";
inline constexpr char kExitQuestion[] = "正在进行屏幕录像,确认退出?\t";
inline constexpr char kEditingNotice[] = "请先退出编辑状态再进行改操作!\t";
inline constexpr char kStartPrompt[] = "点击确定按钮开始屏幕录像\t";
inline constexpr char kPausePrompt[] = "屏幕录像已经暂停\t";
inline constexpr char kStopSummaryHead[] = "屏幕录像已经停止\t\r\r文件路径: ";
inline constexpr char kStopSummaryLineEnd[] = "\t\r";
inline constexpr char kStopSummarySize[] = "文件大小: ";
inline constexpr char kStopSummaryLength[] = "录像时长: ";
inline constexpr char kStopSummaryEnd[] = "\t";
// --- end mainwin ---

// mrvtool export ("export").
inline constexpr char kExportTimelineTooLong[] =
    "the recording's time line is longer than any recording session, so the file is damaged or "
    "forged; it is not exported as a video (limit ";
inline constexpr char kExportSoundDamaged[] = "the recording's sound time line is damaged";
inline constexpr char kExportSilenceTooLong[] =
    "the sound track would be mostly silence that the file does not hold, so the file is damaged "
    "or forged; it is not exported as an MP4 (";
inline constexpr char kExportWavTooLarge[] = "the sound is too long for a WAV file (4 GiB)";
inline constexpr char kExportOutputIsInput[] =
    "the output names the recording (or its stub) itself; choose another name";
inline constexpr char kExportNoFfmpeg[] =
    "ffmpeg was not found beside mrvtool or on the PATH; it is needed for MP4 and GIF (on "
    "Debian: apt-get install ffmpeg)";
inline constexpr char kExportInterrupted[] = "interrupted";
inline constexpr char kExportNoGsmCodec[] =
    "the system has no GSM 6.10 codec (Windows N and LTSC editions can lack it)";
inline constexpr char kExportNoH264[] =
    "this ffmpeg has no H.264 encoder (libx264), which MP4 needs; use a build with libx264 (a "
    "GPL or full build)";
inline constexpr char kExportTargetInUse[] =
    "another program is using the file, so it was not replaced; close that program and try again: ";
inline constexpr char kToolOutOfMemory[] = "not enough memory for this recording";
// --- end export ---

// Recorder start when the screen cannot be read ("shell").
inline constexpr char kScreenUnreadable[] = "The screen could not be read; nothing was recorded.";
// --- end shell ---

// Edit-frame insertion ("editor-win32").
inline constexpr char kEditorFailed[] = "The editor could not be opened.";
inline constexpr char kEditorOutOfMemory[] = "Not enough memory for the editor.";
inline constexpr char kEditPictureUnreadable[] =
    "The edited picture could not be read; nothing was inserted.";
// --- end editor-win32 ---

// Annotation editor ("editor").
inline constexpr char kEditCaption[] = "FrmEdit";
inline constexpr char kEditHintArrow[] = "箭头";
inline constexpr char kEditHintPen[] = "画笔";
inline constexpr char kEditHintText[] = "文字";
inline constexpr char kEditHintRectangle[] = "矩形";
inline constexpr char kEditHintEllipse[] = "椭圆";
inline constexpr char kEditHintRoundRect[] = "圆角矩形";
inline constexpr char kEditHintUndo[] = "撤销";
inline constexpr char kEditHintCancel[] = "取消编辑";
inline constexpr char kEditHintApply[] = "应用编辑";
inline constexpr char kEditApply[] = "完成";
inline constexpr char kEditHintLineWidth[] = "线宽";
inline constexpr char kEditHintCurrentColor[] = "当前颜色";
inline constexpr char kEditFontLabel[] = "A";
inline constexpr char kEditHintBlack[] = "黑色";
inline constexpr char kEditHintGrey[] = "灰色";
inline constexpr char kEditHintMaroon[] = "栗色";
inline constexpr char kEditHintGreen[] = "绿色";
inline constexpr char kEditHintTeaBrown[] = "茶色";
inline constexpr char kEditHintNavy[] = "藏青色";
inline constexpr char kEditHintPurple[] = "紫色";
inline constexpr char kEditHintOlive[] = "橄榄色";
inline constexpr char kEditHintWhite[] = "白色";
inline constexpr char kEditHintSilver[] = "银色";
inline constexpr char kEditHintRed[] = "红色";
inline constexpr char kEditHintOrange[] = "橙色";
inline constexpr char kEditHintLightGreen[] = "浅绿色";
inline constexpr char kEditHintBlue[] = "蓝色";
inline constexpr char kEditHintFuchsia[] = "紫红色";
inline constexpr char kEditHintYellow[] = "黄色";
// %s is the font size as typed.
inline constexpr char kEditInvalidInteger[] = "'%s' is not a valid integer value";
// A whole number that no font size can be (font size must be between 1 and 1638).
inline constexpr char kEditFontSizeRange[] = "字号必须在 1 到 1638 之间\t";
// An undo step that could not be saved (not enough memory to save the undo step; this step was
// not carried out).
inline constexpr char kEditUndoSaveFailed[] = "内存不足,无法保存撤销步骤,这一步没有执行\t";
// --- end editor ---

// --- recording area ---
inline constexpr char kSetArea[] = "录制范围";
inline constexpr char kAreaPrimaryScreen[] = "主屏幕";
inline constexpr char kAreaRegion[] = "选择区域";
inline constexpr char kAreaWindow[] = "选择窗口";
// "显示器 2"; the primary monitor gets the mark behind its number.
inline constexpr char kAreaMonitor[] = "显示器 ";
inline constexpr char kAreaPrimaryMark[] = " (主)";
inline constexpr char kSetCountdown[] = "开始前倒计时 3 秒";
// The picker's size label: width × height in pixels.
inline constexpr char kPickerSize[] = "%d × %d";
// The picker's hint at the top of the screen (drag or click a window; Enter starts; Esc
// cancels; 1-9 a whole monitor; Space the last region).
inline constexpr char kPickerHintRegion[] =
    "拖动鼠标选择区域,或单击一个窗口;Enter 开始录制,Esc 取消;1-9 整个显示器,空格 上次的区域";
inline constexpr char kPickerHintWindow[] = "单击要录制的窗口;Esc 取消";
// The monitor chosen on the settings dialog is no longer connected.
inline constexpr char kMonitorMissing[] = "所选的显示器已不存在,请在设置中重新选择录制范围。\t";
// --- end recording area ---

}  // namespace mrv::text
