// Every caption and message the user sees, in one place.
#pragma once

namespace kavlor::texts {

inline constexpr const wchar_t* kAppTitle = L"Kavlor";
inline constexpr const wchar_t* kMainCaption = L"Kavlor 简化版";
inline constexpr const wchar_t* kNoticeTitle = L"Kavlor 提示";

// The maker's details shown by the status bar and used by the links.
inline constexpr const wchar_t* kStatusNotice = L"Kavlor 截图工具 © 2026 Kavlor 开发组";
inline constexpr const wchar_t* kWebAddress = L"https://kavlor.example.com/";
inline constexpr const wchar_t* kContactAddress = L"support@kavlor.example.com";
inline constexpr const wchar_t* kSecondContactAddress = L"feedback@kavlor.example.com";

// Automatic capture.
inline constexpr const wchar_t* kAutoCaptureMessage = L"两秒钟内请单击要捕捉的窗口.";
inline constexpr const wchar_t* kAutoCaptureTitle = L"Quenmar";

inline constexpr const wchar_t* kUnexpectedFailure = L"操作未能完成。";

}  // namespace kavlor::texts
