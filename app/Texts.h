// Every caption and message the user sees, in one place.
#pragma once

#include "KavlorVersion.h"

namespace kavlor::texts {

inline constexpr const wchar_t* kAppTitle = L"Kavlor";
inline constexpr const wchar_t* kMainCaption = L"Kavlor 简化版";
inline constexpr const wchar_t* kNoticeTitle = L"Kavlor 提示";

// The maker's details shown by the status bar and used by the links.
inline constexpr const wchar_t* kStatusNotice = L"Kavlor 截图工具 © 2026 Kavlor 开发组";
inline constexpr const wchar_t* kWebAddress = L"http://kavlor.example.com";
inline constexpr const wchar_t* kContactAddress = L"kv@example.com";
inline constexpr const wchar_t* kSecondContactAddress = L"kvhelp@example.com";

// Automatic capture.
inline constexpr const wchar_t* kAutoCaptureMessage = L"两秒钟内请单击要捕捉的窗口.";
inline constexpr const wchar_t* kAutoCaptureTitle = L"Quenmar";

// Image document commands.
inline constexpr const wchar_t* kOpenFilter = L"BMP文件(*.BMP)|*.BMP";
// BMP first, as the lone text "*.bmp" that it always was, then PNG and JPEG.
inline constexpr const wchar_t* kSaveFilter =
    L"*.bmp|*.bmp|PNG 图像 (*.png)|*.png|JPEG 图像 (*.jpg;*.jpeg)|*.jpg;*.jpeg";
inline constexpr const wchar_t* kSaveDefaultExt = L"bmp";
inline constexpr const wchar_t* kWallpaperFailed = L"设置墙纸失败!";
inline constexpr const wchar_t* kCannotOpenImage = L"无法打开图像文件:";
inline constexpr const wchar_t* kImageMissing = L"文件不存在。";
inline constexpr const wchar_t* kImageUnreadable = L"文件无法读取,可能正被其他程序使用,或者没有读取权限。";
inline constexpr const wchar_t* kImageUnknownKind = L"这不是图像文件,或者是本程序无法识别的图像格式。";
inline constexpr const wchar_t* kImageDamaged = L"图像文件已损坏或不完整。";
inline constexpr const wchar_t* kImageTooLarge = L"图像太大:宽或高超过 32767 像素,或者总共超过 1 亿像素。";
inline constexpr const wchar_t* kImageOutOfMemory = L"内存不足,无法载入这个图像。";
inline constexpr const wchar_t* kClipboardBusy =
    L"无法把截取的图像放入剪贴板:剪贴板正被其他程序使用。图像框中的图像没有改变,请稍后再试。";
inline constexpr const wchar_t* kNothingToCapture =
    L"没有可以捕捉的内容:窗口不存在、已最小化或者大小为零。图像框中的图像没有改变。";
inline constexpr const wchar_t* kCaptureNoBitmap = L"无法创建截取的图像:内存或系统资源不足。图像框中的图像没有改变。";
inline constexpr const wchar_t* kNothingToSave = L"没有可以保存的图像。";
inline constexpr const wchar_t* kCannotSaveImage = L"无法保存图像文件:";
inline constexpr const wchar_t* kSaveNoPixels = L"无法读取图像的内容。";
inline constexpr const wchar_t* kSaveCannotCreate = L"无法在这个文件夹中创建文件:文件夹不存在,或者没有写入权限。";
inline constexpr const wchar_t* kSaveWriteFailed = L"写入文件时出错,磁盘可能已满。";
inline constexpr const wchar_t* kSaveCannotReplace = L"无法替换原有的文件:它可能正被其他程序使用,或者是一个文件夹。";
inline constexpr const wchar_t* kSaveOldFileKept = L"原有的文件没有改变。";
inline constexpr const wchar_t* kPaintCannotStart = L"无法启动画图程序 mspaint.exe:系统中找不到它。";

inline constexpr const wchar_t* kUnexpectedFailure = L"操作未能完成。";

// Printing and the default-printer window.
inline constexpr const wchar_t* kPrintDialogTitle = L"打印";
inline constexpr const wchar_t* kNothingToPrint = L"没有可以打印的图像。";
inline constexpr const wchar_t* kNoPrinter = L"系统中没有安装打印机,无法打印。请先安装打印机。";
inline constexpr const wchar_t* kCannotFitPicture =
    L"无法把图像缩放到纸张上:图像或打印机的可打印区域大小为零。没有打印任何内容。";
inline constexpr const wchar_t* kPrintFailed = L"打印失败:无法把图像送到打印机。";
inline constexpr const wchar_t* kPrinterCaption = L"预设打印机";
inline constexpr const wchar_t* kSetPrinterButton = L"设     定";
inline constexpr const wchar_t* kCannotSetPrinter = L"无法设置默认打印机:";
inline constexpr const wchar_t* kPrinterAccessDenied = L"没有修改这项系统设置的权限。";
inline constexpr const wchar_t* kPrinterSystemError = L"系统错误代码 ";

// The batch converter.
inline constexpr const wchar_t* kConverterCaption = L"批量互换";
inline constexpr const wchar_t* kConverterOpenFilter = L"BMP文件|*.bmp|JPG文件|*.jpg";
inline constexpr const wchar_t* kConverterHelp = L"此程序是一个批量互换BMP与JPG图片格式的工具!";
inline constexpr const wchar_t* kConverterHelpTitle = L"帮助";
inline constexpr const wchar_t* kTooManyFiles = L"选择的文件太多,请分几次打开。";
inline constexpr const wchar_t* kLibraryMissing =
    L"无法载入转换程序库 conversion.dll:它不在本程序的文件夹中,或者已经损坏。";
inline constexpr const wchar_t* kLibraryExportMissing = L"转换程序库 conversion.dll 中缺少函数 ";
inline constexpr const wchar_t* kFolderMissing = L"无法进入图片所在的文件夹:";
inline constexpr const wchar_t* kConversionFailures = L"以下文件没有转换成功:";
inline constexpr const wchar_t* kMoreFailuresBefore = L"……另有 ";
inline constexpr const wchar_t* kMoreFailuresAfter = L" 个文件没有转换成功。";
inline constexpr const wchar_t* kReasonUnreadable = L"源文件不存在或无法读取";
inline constexpr const wchar_t* kReasonDamaged = L"不是这种格式的图片,或者文件已损坏";
inline constexpr const wchar_t* kReasonTooLarge = L"图片太大(每边最多 32767 像素,总共最多 1 亿像素)";
inline constexpr const wchar_t* kReasonCannotWrite = L"无法写入转换后的文件";
inline constexpr const wchar_t* kReasonTooShort = L"文件名太短,无法得出转换后的名称";
inline constexpr const wchar_t* kReasonNameNotAnsi = L"文件名含有系统代码页无法表示的字符";
inline constexpr const wchar_t* kReasonOther = L"转换程序库报告错误 ";
inline constexpr const wchar_t* kReasonWouldReplaceEntry = L"转换后的文件会覆盖列表中的另一个源文件,所以没有转换";
inline constexpr const wchar_t* kReasonSameResult = L"列表中前面的一个文件会转换成同名的文件,所以没有转换";
inline constexpr const wchar_t* kReasonShortNameOfAnother =
    L"转换后的文件名是另一个文件的短文件名,会覆盖那个文件,所以没有转换";
inline constexpr const wchar_t* kReasonKeptExisting = L"已有同名的转换后文件,按您的选择保留了它";
inline constexpr const wchar_t* kReplaceExistingFiles = L"以下转换后的文件已经存在:";
inline constexpr const wchar_t* kReplaceExistingQuestion = L"要替换这些文件吗?";
inline constexpr const wchar_t* kMoreFilesBefore = L"……另有 ";
inline constexpr const wchar_t* kMoreFilesAfter = L" 个文件。";

// The About window and the system-information tool.
inline constexpr const wchar_t* kOkButton = L"确   定";
inline constexpr const wchar_t* kAboutCaption = L"About Kavlor";
inline constexpr const wchar_t* kAboutTitle = L"名称:      Kavlor 简化版";
inline constexpr const wchar_t* kAboutVersion = L"版本:         V" KAVLOR_VERSION_W;
inline constexpr const wchar_t* kAboutDescription = L"助攻:          KV   ";
inline constexpr const wchar_t* kAboutContact = L"联系我们:  ";
inline constexpr const wchar_t* kAboutEmailPrefix = L"Email:";
inline constexpr const wchar_t* kAboutSysInfoButton = L"系统信息";
inline constexpr const wchar_t* kSysInfoUnavailable = L"此时系统信息不可用";

// The help window.
inline constexpr const wchar_t* kHelpCaption = L"Kavlor Help";
inline constexpr const wchar_t* kHelpLine1 = L"1.遇到不会的理解的时候,把鼠标放到不会的下面,一般的都会有提示;";
inline constexpr const wchar_t* kHelpLine2 =
    L"2.本软件提供了一个批量互换BMP与JPG图片格式工具 捕获的都是BMP格式的图片 所以可以通过此工具转换 "
    L"也可以批量进行转换BMP图片!位置在\"文件\"---\"新建\"---\"批量转换\".";
inline constexpr const wchar_t* kHelpLine3 = L"3.如果你还遇到什么问题,请通过邮件或UC、QQ与我们联系!";
inline constexpr const wchar_t* kHelpLine4 = L"4.感谢Orvelin编制的conversion.dll文件,没有此文件批量转换无法完成!";

}  // namespace kavlor::texts
