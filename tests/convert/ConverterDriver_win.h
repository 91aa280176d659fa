// The shared driver of the converter tests: the converter window shown from the main window,
// files of one colour to convert, the real open dialog, and what the window's controls show.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "convert/ConverterWindow_win.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {

// A picture file of one colour (0xRRGGBB): BMP for a .bmp name, otherwise baseline JPEG.
void WriteSolidPicture(const std::wstring& path, uint32_t color, int width = 32, int height = 24);
// The colour at the centre of a picture file, as the program reads it.
std::optional<uint32_t> PictureColor(const std::wstring& path);
bool NearColor(uint32_t a, uint32_t b, int tolerance = 8);

class ConverterTest : public MainWindowTest {
protected:
    // The main window hands over to the converter, with conversion.dll beside this program.
    void SetUp() override;
    ConverterWindow& plzh() { return window().plzh(); }
    HWND Item(int id) const;
    std::wstring Text(int id) const;
    std::vector<std::wstring> Entries(int list) const;
    int Selected(int list) const;
    // The colour at the centre of a preview.
    uint32_t PreviewColor(ImageBox& box) const;
    // Runs the open command with `typed` entered in the real dialog in `folder`; no text
    // cancels it.
    void Choose(const std::wstring& folder, std::optional<std::wstring> typed);
    // Runs the conversion and returns the text of the message it showed, if any.
    std::wstring Run();
    std::wstring LibraryBesideProgram() const;
};

}  // namespace kavlor::test
