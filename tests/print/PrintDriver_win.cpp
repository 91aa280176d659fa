// The shared driver of the printing tests.
#include "tests/print/PrintDriver_win.h"

#include <dlgs.h>

#include <cstdio>
#include <sstream>
#include <vector>

#include "base/Handles.h"
#include "tests/app/DocumentTestSupport_win.h"

namespace kavlor::test {

namespace {

// The printer box of the print dialog.
constexpr int kPrinterBox = cmb4;

HWND FindPrintDialog()
{
    HWND dialog = nullptr;
    while ((dialog = FindWindowExW(nullptr, dialog, L"#32770", nullptr))) {
        DWORD pid = 0;
        GetWindowThreadProcessId(dialog, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(dialog) && GetDlgItem(dialog, kPrinterBox)) {
            return dialog;
        }
    }
    return nullptr;
}

std::string Environment(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    return value ? value : "";
}

// A Unix path as this Windows process sees it, through drive Z:.
std::wstring WindowsPath(const std::string& unixPath)
{
    std::wstring path = L"Z:";
    for (char c : unixPath) {
        path += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return path;
}

std::string ReadWholeFile(const std::wstring& path)
{
    std::vector<uint8_t> bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

int CountLines(const std::string& text)
{
    int lines = 0;
    for (char c : text) {
        lines += c == '\n' ? 1 : 0;
    }
    return lines;
}

// A binary PPM (P6) as pixels.
std::optional<Pixels> ParsePpm(const std::string& bytes)
{
    std::istringstream in(bytes);
    std::string magic;
    int width = 0;
    int height = 0;
    int maxValue = 0;
    in >> magic >> width >> height >> maxValue;
    in.get();
    if (magic != "P6" || width <= 0 || height <= 0 || maxValue != 255) {
        return std::nullopt;
    }
    const size_t start = static_cast<size_t>(in.tellg());
    if (bytes.size() < start + static_cast<size_t>(width) * height * 3) {
        return std::nullopt;
    }
    Pixels pixels{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    for (size_t i = 0; i < pixels.data.size(); ++i) {
        const auto* rgb = reinterpret_cast<const unsigned char*>(bytes.data() + start + i * 3);
        pixels.data[i] = static_cast<uint32_t>(rgb[0]) << 16 | static_cast<uint32_t>(rgb[1]) << 8 | rgb[2];
    }
    return pixels;
}

}  // namespace

PrintDialogAnswerer::PrintDialogAnswerer(bool confirm)
{
    m_thread = std::thread([this, confirm] {
        HWND dialog = nullptr;
        while (!m_stop && !(dialog = FindPrintDialog())) {
            Sleep(10);  // polling another thread's windows; no message to wait for here
        }
        if (!dialog) {
            return;
        }
        m_caption = WindowText(dialog);
        m_printer = WindowText(GetDlgItem(dialog, kPrinterBox));
        m_seen = true;
        int button = confirm ? IDOK : IDCANCEL;
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    });
}

PrintDialogAnswerer::~PrintDialogAnswerer()
{
    m_stop = true;
    m_thread.join();
}

// Wine starts Linux programs given by their path, but its process handle does not follow
// them to their end: the shell moves its complete output into place as its last step, and
// this process waits for that file.
std::string RunUnix(const std::string& command)
{
    static int counter = 0;
    const std::string output = "/tmp/kavlor-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(GetTickCount()) + "-" + std::to_string(++counter) + ".out";
    std::string shell = "sh -c \"(" + command + ") >" + output + ".part 2>&1; mv " + output + ".part " + output + "\"";
    std::wstring line(shell.begin(), shell.end());
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return {};
    }
    // For a Linux program Wine gives no process handle, and a thread "handle" that is not one
    // (13, seen here). The system ignores a handle's low two bits, so closing it would close
    // this process's handle 12, whatever that is: the test's standard output, seen here.
    if (process.hProcess) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    const std::wstring path = WindowsPath(output);
    for (DWORD start = GetTickCount(); GetTickCount() - start < 60000; Sleep(20)) {
        if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
            std::string text = ReadWholeFile(path);
            DeleteFileW(path.c_str());
            return text;
        }
    }
    return {};
}

PrintQueue::PrintQueue(int number)
    : unixName(Environment("KAVLOR_PRINTER" + std::to_string(number))),
      outDir(Environment("KAVLOR_PRINTER" + std::to_string(number) + "_OUT"))
{
    name.assign(unixName.begin(), unixName.end());
}

int PrintQueue::Jobs() const
{
    return CountLines(RunUnix("lpstat -W all -o " + unixName));
}

int PrintQueue::CompletedJobs() const
{
    return CountLines(RunUnix("lpstat -W completed -o " + unixName));
}

bool PrintQueue::WaitForCompletedJobs(int count) const
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < 60000; Sleep(100)) {
        if (CompletedJobs() >= count) {
            return true;
        }
    }
    return false;
}

std::optional<PrintedPage> ReadNewestPage(const PrintQueue& queue)
{
    const std::string prefix = queue.outDir + "/page";
    std::string info = RunUnix("f=$(ls -t " + queue.outDir + "/*.pdf | head -n1) && pdfinfo $f | grep ^Pages: && " +
                               "pdftoppm -r 300 -f 1 -l 1 -singlefile -aa no -aaVector no $f " + prefix);
    PrintedPage page;
    if (std::sscanf(info.c_str(), "Pages: %d", &page.pages) != 1) {
        return std::nullopt;
    }
    const std::wstring ppm = WindowsPath(prefix + ".ppm");
    std::optional<Pixels> pixels = ParsePpm(ReadWholeFile(ppm));
    DeleteFileW(ppm.c_str());
    if (!pixels) {
        return std::nullopt;
    }
    page.pixels = std::move(*pixels);
    return page;
}

RECT InkBounds(const Pixels& page)
{
    RECT bounds{page.width, page.height, 0, 0};
    for (int y = 0; y < page.height; ++y) {
        for (int x = 0; x < page.width; ++x) {
            uint32_t c = page.at(x, y);
            if ((c >> 16 & 0xFF) < 240 || (c >> 8 & 0xFF) < 240 || (c & 0xFF) < 240) {
                bounds = {std::min<LONG>(bounds.left, x), std::min<LONG>(bounds.top, y),
                          std::max<LONG>(bounds.right, x + 1), std::max<LONG>(bounds.bottom, y + 1)};
            }
        }
    }
    return bounds;
}

PicturePtr MakeQuarterPicture(int width, int height, bool palette)
{
    WindowDC screen(nullptr);
    UniquePalette colors;
    if (palette) {
        struct {
            WORD version;
            WORD count;
            PALETTEENTRY entries[4];
        } table{0x300, 4, {}};
        for (int i = 0; i < 4; ++i) {
            uint32_t c = kQuarterColors[i];
            table.entries[i] = {static_cast<BYTE>(c >> 16), static_cast<BYTE>(c >> 8), static_cast<BYTE>(c), 0};
        }
        colors.reset(CreatePalette(reinterpret_cast<LOGPALETTE*>(&table)));
    }
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    {
        UniqueDC memory(CreateCompatibleDC(screen.get()));
        SelectGuard select(memory.get(), bitmap.get());
        PaletteGuard realized(memory.get(), colors.get(), FALSE);
        if (colors) {
            RealizePalette(memory.get());
        }
        const RECT quarters[4] = {{0, 0, width / 2, height / 2},
                                  {width / 2, 0, width, height / 2},
                                  {width / 2, height / 2, width, height},
                                  {0, height / 2, width / 2, height}};
        for (int i = 0; i < 4; ++i) {
            uint32_t c = kQuarterColors[i];
            COLORREF color = colors ? PALETTERGB(c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF)
                                    : RGB(c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF);
            UniqueBrush brush(CreateSolidBrush(color));
            FillRect(memory.get(), &quarters[i], brush.get());
        }
    }
    return Picture::Create(std::move(bitmap), std::move(colors));
}

}  // namespace kavlor::test
