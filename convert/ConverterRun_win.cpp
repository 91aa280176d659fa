// The conversion run of the converter window: every listed file through conversion.dll into
// the other format, with the results listed and previewed as they come.
#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "app/Texts.h"
#include "base/App.h"
#include "convert/ConversionNames.h"
#include "convert/ConverterLists.h"
#include "convert/ConverterWindow_win.h"
#include "convert/dll/Conversion.h"

namespace kavlor {

namespace {

using ConvertFunction = decltype(&BmpToJpg);

// How often a run moves the lists' selections and answers other programs, and how often it shows
// its progress (previews and a repaint): at most twice a second, and so that showing it takes at
// most a fortieth of the run. A repaint costs as much as converting ten small pictures.
constexpr std::chrono::milliseconds kBeatInterval(100);
constexpr std::chrono::milliseconds kShortestTickInterval(500);
constexpr int kTickShare = 40;

// The exports of conversion.dll, from the program's own folder only: the run works in the
// pictures' folder, and a library of that name planted there must never run. The window keeps
// the module once it has loaded with both exports, until the window goes: a library built
// with the C++ runtime leaves a few handles behind each time it is unloaded, so loading it anew
// for every run would leak them run after run. A library that fails to load, or lacks an
// export, is let go, so that the next run tries the file again.
class ConversionLibrary {
public:
    explicit ConversionLibrary(UniqueModule& module) : m_module(module) {}

    // Empty on success, otherwise what to tell the user.
    std::wstring Load()
    {
        if (!m_module) {
            std::wstring path(MAX_PATH, L'\0');
            DWORD length = 0;
            while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
                   path.size()) {
                path.resize(path.size() * 2);
            }
            path.resize(length);
            path.erase(path.find_last_of(L"\\/") + 1);
            path += L"conversion.dll";
            m_module.reset(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
            if (!m_module) {
                return texts::kLibraryMissing;
            }
        }
        for (auto [name, function] : {std::pair{"BmpToJpg", &m_bmpToJpg}, std::pair{"JpgToBmp", &m_jpgToBmp}}) {
            *function =
                reinterpret_cast<ConvertFunction>(reinterpret_cast<void*>(GetProcAddress(m_module.get(), name)));
            if (!*function) {
                m_module.reset();
                return texts::kLibraryExportMissing + std::wstring(name, name + std::char_traits<char>::length(name));
            }
        }
        return {};
    }
    ConvertFunction For(EntryPlan plan) const { return plan == EntryPlan::BmpToJpg ? m_bmpToJpg : m_jpgToBmp; }

private:
    UniqueModule& m_module;
    ConvertFunction m_bmpToJpg = nullptr;
    ConvertFunction m_jpgToBmp = nullptr;
};

// Puts the process's current directory back when the run ends.
class CurrentDirectoryKeeper {
public:
    CurrentDirectoryKeeper() { m_saved = Current(); }
    CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
    CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;
    ~CurrentDirectoryKeeper()
    {
        if (!m_saved.empty()) {
            SetCurrentDirectoryW(m_saved.c_str());
        }
    }

    // Makes `folder` the current directory before each call of the library: whatever ran
    // meanwhile may have moved it. Reading it costs far less than setting it, so it is set only
    // when it is no longer what this set.
    bool MoveTo(const std::wstring& folder)
    {
        if (!m_set.empty() && Current() == m_set) {
            return true;
        }
        if (!SetCurrentDirectoryW(folder.c_str())) {
            m_set.clear();
            return false;
        }
        m_set = Current();
        return true;
    }

private:
    static std::wstring Current()
    {
        std::wstring path(GetCurrentDirectoryW(0, nullptr), L'\0');
        path.resize(GetCurrentDirectoryW(static_cast<DWORD>(path.size()), path.data()));
        return path;
    }

    std::wstring m_saved;
    std::wstring m_set;  // the directory as this set it
};

std::wstring Upper(std::wstring text)
{
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// The short name of file `name` in `folder`, upper case: empty where the volume keeps none or
// the file cannot be found.
std::wstring ShortName(const std::wstring& folder, const std::wstring& name)
{
    std::wstring shortPath(MAX_PATH, L'\0');
    DWORD length =
        GetShortPathNameW(EntryPath(folder, name).c_str(), shortPath.data(), static_cast<DWORD>(shortPath.size()));
    if (length == 0 || length >= shortPath.size()) {
        return {};
    }
    shortPath.resize(length);
    return Upper(shortPath.substr(shortPath.find_last_of(L"\\/") + 1));
}

// The name in the system's ANSI code page, as the library takes it. A name the code page cannot
// hold goes by its short name, when the volume keeps one; `passed` is the name used.
std::optional<std::string> AnsiName(const std::wstring& folder, const std::wstring& name, std::wstring& passed)
{
    // The UTF-8 code page holds every name, and WideCharToMultiByte refuses both the best-fit
    // flag and the used-default pointer with it; a lone surrogate fails the conversion there.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    auto convert = [&](const std::wstring& text) -> std::optional<std::string> {
        BOOL lossy = FALSE;
        BOOL* used = utf8 ? nullptr : &lossy;
        int bytes = WideCharToMultiByte(CP_ACP, flags, text.c_str(), -1, nullptr, 0, nullptr, used);
        if (bytes <= 0 || lossy) {
            return std::nullopt;
        }
        std::string ansi(static_cast<size_t>(bytes), '\0');
        WideCharToMultiByte(CP_ACP, flags, text.c_str(), -1, ansi.data(), bytes, nullptr, used);
        return ansi;
    };
    passed = name;
    if (std::optional<std::string> ansi = convert(name)) {
        return ansi;
    }
    const std::wstring shortName = ShortName(folder, name);
    if (shortName.empty()) {
        return std::nullopt;
    }
    std::optional<std::string> ansi = convert(shortName);
    if (ansi) {
        passed = shortName;
    }
    return ansi;
}

// How `name` is taken in `folder`, looked up alone.
NameTaken LookUp(const std::wstring& folder, const std::wstring& name)
{
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(EntryPath(folder, name).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // What cannot be told is taken as there, so that the user is asked.
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? NameTaken::No : NameTaken::ByLongName;
    }
    FindClose(search);
    return Upper(found.cFileName) != name && Upper(found.cAlternateFileName) == name ? NameTaken::ByShortName
                                                                                     : NameTaken::ByLongName;
}

// The names taken in a folder, long and short, in upper case. One listing rather than a look-up
// for each name: a file system that matches names regardless of case only by reading the folder
// would read it once for every name that is not there. A folder that cannot be listed, or whose
// listing stops on an error, has each name looked up instead.
class FolderNames {
public:
    explicit FolderNames(std::wstring folder) : m_folder(std::move(folder))
    {
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW(EntryPath(m_folder, L"*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return;
        }
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                std::wstring name = Upper(found.cFileName);
                std::wstring shortName = Upper(found.cAlternateFileName);
                if (!shortName.empty() && shortName != name) {
                    m_shortNames.insert(shortName);
                }
                m_shortOf.emplace(std::move(name), std::move(shortName));
            }
        } while (FindNextFileW(search, &found));
        m_listed = GetLastError() == ERROR_NO_MORE_FILES;
        FindClose(search);
    }

    NameTaken Taken(const std::wstring& name) const
    {
        if (!m_listed) {
            return LookUp(m_folder, name);
        }
        if (m_shortOf.count(name) > 0) {
            return NameTaken::ByLongName;
        }
        return m_shortNames.count(name) > 0 ? NameTaken::ByShortName : NameTaken::No;
    }

    // The short name of the file of long name `name`: empty where it has none of its own, or
    // where the file cannot be found.
    std::wstring ShortNameOf(const std::wstring& name) const
    {
        if (m_listed) {
            auto found = m_shortOf.find(name);
            return found == m_shortOf.end() ? std::wstring() : found->second;
        }
        return ShortName(m_folder, name);
    }

private:
    std::wstring m_folder;
    bool m_listed = false;
    std::unordered_map<std::wstring, std::wstring> m_shortOf;  // each file's name and its short name
    std::unordered_set<std::wstring> m_shortNames;             // short names other than the file's name
};

std::wstring ReasonText(int result)
{
    switch (result) {
    case kConversionSourceUnreadable: return texts::kReasonUnreadable;
    case kConversionDamaged: return texts::kReasonDamaged;
    case kConversionTooLarge: return texts::kReasonTooLarge;
    case kConversionCannotWrite: return texts::kReasonCannotWrite;
    default: return texts::kReasonOther + std::to_wstring(result);
    }
}

std::wstring TextOf(HWND control)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring EntryText(HWND list, int index)
{
    std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0)) + 1, L'\0');
    LRESULT copied = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

// A header and its lines; a long list is cut so that the message fits the screen.
std::wstring ListedText(const std::wstring& header, const std::vector<std::wstring>& lines, const wchar_t* moreAfter)
{
    constexpr size_t kShown = 25;
    std::wstring text = header;
    for (size_t i = 0; i < lines.size() && i < kShown; ++i) {
        text += L"\n" + lines[i];
    }
    if (lines.size() > kShown) {
        text += L"\n" + std::wstring(texts::kMoreFailuresBefore) + std::to_wstring(lines.size() - kShown) + moreAfter;
    }
    return text;
}

// Clicks and keys given to the window while it was busy are dropped: they were aimed at a
// window that could not take them, and one of them would start the same run again.
void DropWaitingInput()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {}
    while (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {}
    while (PeekMessageW(&msg, nullptr, WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK, PM_REMOVE)) {}
}

}  // namespace

// One source entry as the run sees it before converting anything.
struct RunEntry {
    std::wstring name;  // upper case
    EntryPlan plan = EntryPlan::TooShort;
    std::wstring passed;              // the name the library gets: the entry's, or its short name
    std::optional<std::string> ansi;  // that name in the ANSI code page
    std::wstring produced;            // listed in the result list
};

// Each entry converts by its own name: BMP files to JPEG, every other to BMP. The library
// works in the current directory, which is the source folder for the whole run; a failure is
// listed all the same, so that both lists keep their one-to-one order, and reported at the end.
//
// No entry of the run is ever replaced by another's result (a.bmp and a.jpg would destroy each
// other in turn). Other files of the produced names are replaced only if the user agrees, asked
// once before the first conversion.
void ConverterWindow::ConvertListedFiles()
{
    if (m_running) {
        return;
    }
    // However the run ends, the window takes input and runs again afterwards. Made in place:
    // a temporary would end the run before it began, and a command sent to the window while it
    // shows its progress would start a second run inside this one.
    class RunEnd {
    public:
        explicit RunEnd(ConverterWindow& window) : m_window(window) { m_window.m_running = true; }
        RunEnd(const RunEnd&) = delete;
        RunEnd& operator=(const RunEnd&) = delete;
        ~RunEnd()
        {
            DropWaitingInput();
            EnableWindow(m_window.Control(Command1), TRUE);
            m_window.m_running = false;
        }

    private:
        ConverterWindow& m_window;
    };
    std::optional<RunEnd> end(std::in_place, *this);
    // Progress while the run lasts. Drawn the lists' own way, each new entry and each selection
    // would cost more than converting a small picture, and a preview of a large picture half its
    // conversion. So the lists do not redraw while the run works. At each beat the selections
    // move to the entry in work and the window answers what waits for it; at each tick the
    // previews follow the selections and the window repaints. The window itself keeps drawing
    // and stays an ordinary window throughout, one that can be moved, minimised or closed.
    class Progress {
    public:
        explicit Progress(ConverterWindow& window) : m_window(window)
        {
            const Clock::time_point now = Clock::now();
            m_nextBeat = now + kBeatInterval;
            m_nextTick = now + kShortestTickInterval;
            ListsRedraw(false);
        }
        Progress(const Progress&) = delete;
        Progress& operator=(const Progress&) = delete;
        ~Progress()
        {
            ListsRedrawLater();
            if (m_quit) {
                PostQuitMessage(m_quitCode);
            }
        }

        // Entry `index` of the source list is in work.
        void Working(int index) { m_wanted[0] = index; }
        // Entry `index` of the result list is the newest.
        void Listed(int index)
        {
            m_wanted[1] = index;
            const Clock::time_point start = Clock::now();
            if (start < m_nextBeat && start < m_nextTick) {
                return;
            }
            Select();
            const bool tick = start >= m_nextTick;
            if (tick) {
                Preview();
                ListsRedraw(true);
                RedrawWindow(m_window.m_hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
                ListsRedraw(false);
            }
            AnswerWaiting();
            const Clock::time_point end = Clock::now();
            m_nextBeat = end + kBeatInterval;
            if (tick) {
                m_nextTick = end + std::max<Clock::duration>(kShortestTickInterval, (end - start) * kTickShare);
            }
        }
        // Between the two, the lists draw as usual, as a message box on top of them needs.
        void Pause()
        {
            Select();
            Preview();
            ListsRedraw(true);
        }
        void Resume() { ListsRedraw(false); }
        // The selections and previews as the run leaves them.
        void Finish()
        {
            Select();
            Preview();
        }

    private:
        using Clock = std::chrono::steady_clock;

        void Select()
        {
            for (int list : {0, 1}) {
                if (m_wanted[list] != m_selected[list]) {
                    m_selected[list] = m_wanted[list];
                    SendMessageW(m_window.Control(list == 0 ? List1 : List2), LB_SETCURSEL,
                                 static_cast<WPARAM>(m_wanted[list]), 0);
                }
            }
        }
        void Preview()
        {
            if (m_selected[0] != m_previewed[0]) {
                m_window.List1_Click();
            }
            if (m_selected[1] != m_previewed[1]) {
                m_window.List2_Click();
            }
            m_previewed[0] = m_selected[0];
            m_previewed[1] = m_selected[1];
        }
        // While they do not redraw, the lists keep their entries and selections all the same;
        // what changed meanwhile is drawn at the next repaint. Not redrawing also spares each new
        // entry a look at their scroll bars.
        void ListsRedraw(bool on)
        {
            for (int list : {List1, List2}) {
                SendMessageW(m_window.Control(list), WM_SETREDRAW, on ? TRUE : FALSE, 0);
            }
        }
        // At the end the lists draw again at the window's next paint, rather than at once as
        // they would if only told to redraw: each is kept from painting, by its style alone,
        // while it takes its new state, then shown again and invalidated.
        void ListsRedrawLater()
        {
            for (int id : {List1, List2}) {
                HWND list = m_window.Control(id);
                DefWindowProcW(list, WM_SETREDRAW, FALSE, 0);  // clears its WS_VISIBLE
                SendMessageW(list, WM_SETREDRAW, TRUE, 0);
                DefWindowProcW(list, WM_SETREDRAW, TRUE, 0);
                RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
            }
        }
        // What waits for the thread. Messages other programs sent are answered by the peek
        // itself. Of the posted ones, clicks on a window's frame and system keys go on (moving,
        // minimising, closing, the menu, whose commands the window ignores while it runs), as do
        // messages that are not input; clicks and keys aimed at a window's contents are dropped,
        // since the run takes no other command. Paints wait for the next tick, and a request to
        // end the program for the end of the run.
        void AnswerWaiting()
        {
            constexpr UINT kWaiting = PM_REMOVE | PM_QS_INPUT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE;
            MSG msg;
            // Bounded: moving the mouse over the window posts more while these are handled.
            for (int handled = 0; handled < 256 && PeekMessageW(&msg, nullptr, 0, 0, kWaiting); ++handled) {
                if (msg.message == WM_QUIT) {
                    m_quit = true;
                    m_quitCode = static_cast<int>(msg.wParam);
                    continue;
                }
                const bool key = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
                const bool systemKey = msg.message == WM_SYSKEYDOWN || msg.message == WM_SYSKEYUP ||
                                       msg.message == WM_SYSCHAR || msg.message == WM_SYSDEADCHAR;
                const bool click = msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST;
                if ((key && !systemKey) || click) {
                    continue;
                }
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }

        ConverterWindow& m_window;
        Clock::time_point m_nextBeat;
        Clock::time_point m_nextTick;
        int m_wanted[2] = {-1, -1};
        int m_selected[2] = {-1, -1};
        int m_previewed[2] = {-1, -1};
        bool m_quit = false;  // WM_QUIT came during the run
        int m_quitCode = 0;
    };
    HWND list1 = Control(List1);
    HWND list2 = Control(List2);
    EnableWindow(Control(Command1), FALSE);
    std::optional<Progress> progress(std::in_place, *this);
    SendMessageW(list2, LB_RESETCONTENT, 0, 0);
    const auto count = static_cast<int>(SendMessageW(list1, LB_GETCOUNT, 0, 0));
    const std::wstring folder = TextOf(Control(Label1));

    // Every name an entry goes by is kept from being written: its own, its short name, and the
    // name it is passed by.
    const FolderNames folderNames(folder);
    std::vector<RunEntry> entries(static_cast<size_t>(count > 0 ? count : 0));
    std::vector<std::wstring> entryNames;
    std::vector<std::wstring> written;
    for (int i = 0; i < count; ++i) {
        RunEntry& entry = entries[static_cast<size_t>(i)];
        entry.name = Upper(EntryText(list1, i));
        entry.plan = PlanEntry(entry.name);
        entry.produced = entry.name;
        if (entry.plan != EntryPlan::TooShort) {
            entry.ansi = AnsiName(folder, entry.name, entry.passed);
            entry.produced = ProducedName(std::wstring_view(entry.passed));
        }
        entryNames.push_back(entry.name);
        entryNames.push_back(entry.passed);
        entryNames.push_back(folderNames.ShortNameOf(entry.name));
        written.push_back(entry.plan != EntryPlan::TooShort && entry.ansi ? entry.produced : std::wstring());
    }
    std::vector<Overwrite> overwrites = FindOverwrites(
        entryNames, written, [&folderNames](const std::wstring& name) { return folderNames.Taken(name); });
    std::vector<std::wstring> existing;  // each once, in list order
    std::unordered_set<std::wstring> listed;
    for (size_t i = 0; i < overwrites.size(); ++i) {
        if (overwrites[i] == Overwrite::ExistingFile && listed.insert(written[i]).second) {
            existing.push_back(written[i]);
        }
    }
    bool replaceExisting = existing.empty();

    std::optional<ConversionLibrary> library;
    std::optional<CurrentDirectoryKeeper> directory;
    std::wstring stopped;
    std::vector<std::wstring> failures;
    for (int i = 0; i < count && stopped.empty(); ++i) {
        const RunEntry& entry = entries[static_cast<size_t>(i)];
        const Overwrite overwrite = overwrites[static_cast<size_t>(i)];
        progress->Working(i);
        if (i == 0) {
            SetWindowTextW(Control(Label2), folder.c_str());  // the same for every entry
        }
        if (entry.plan == EntryPlan::TooShort) {
            failures.push_back(entry.name + L": " + texts::kReasonTooShort);
        } else if (!entry.ansi) {
            failures.push_back(entry.name + L": " + texts::kReasonNameNotAnsi);
        } else if (overwrite == Overwrite::Entry) {
            failures.push_back(entry.name + L": " + texts::kReasonWouldReplaceEntry);
        } else if (overwrite == Overwrite::EarlierResult) {
            failures.push_back(entry.name + L": " + texts::kReasonSameResult);
        } else if (overwrite == Overwrite::ShortNameOfAnother) {
            failures.push_back(entry.name + L": " + texts::kReasonShortNameOfAnother);
        } else {
            if (!library) {
                library.emplace(m_library);
                stopped = library->Load();
                directory.emplace();
                if (!stopped.empty()) {
                    break;
                }
                if (!replaceExisting) {
                    progress->Pause();
                    replaceExisting =
                        AskBeforeReplacing(m_hwnd,
                                           ListedText(texts::kReplaceExistingFiles, existing, texts::kMoreFilesAfter) +
                                               L"\n\n" + texts::kReplaceExistingQuestion,
                                           texts::kAppTitle);
                    progress->Resume();
                }
            }
            if (overwrite == Overwrite::ExistingFile && !replaceExisting) {
                failures.push_back(entry.name + L": " + texts::kReasonKeptExisting);
            } else if (entry.produced.find(L'~') != std::wstring::npos &&
                       LookUp(folder, entry.produced) == NameTaken::ByShortName) {
                // A file this run wrote may have been given this short name.
                failures.push_back(entry.name + L": " + texts::kReasonShortNameOfAnother);
            } else if (!directory->MoveTo(folder)) {
                stopped = texts::kFolderMissing + std::wstring(L"\n") + folder;
                break;
            } else {
                std::string buffer = *entry.ansi;  // the library may write into it
                if (int result = library->For(entry.plan)(buffer.data(), 0); result != kConversionOk) {
                    failures.push_back(entry.name + L": " + ReasonText(result));
                }
            }
        }
        SendMessageW(list2, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.produced.c_str()));
        progress->Listed(i);
    }
    progress->Finish();
    progress.reset();
    directory.reset();
    library.reset();
    end.reset();
    if (!stopped.empty()) {
        ShowMessage(m_hwnd, stopped, texts::kNoticeTitle);
    } else if (!failures.empty()) {
        ShowMessage(m_hwnd, ListedText(texts::kConversionFailures, failures, texts::kMoreFailuresAfter),
                    texts::kNoticeTitle);
    }
}

}  // namespace kavlor
