// The parts of the benchmark program; each adds its rows to the table (bench/BenchTable_win.h).
#pragma once

#include <map>
#include <string>

namespace kavlor::bench {

// CaptureScreen next to a bare GetDC + BitBlt of the same size.
void BenchCapture();
// The F5 key to the capture painted in the main window, next to the whole `xwd -root` command
// timed on the same display by the calling script (`xwdMs`, 0 when not measured).
void BenchKeyCapture(double xwdMs);
// Save of a 1920x1080 picture next to a bare GetDIBits + WriteFile, and open of a 1920x1080
// BMP and JPEG next to a bare decode through the Windows imaging component.
void BenchFiles();
// The 1920x1080 screenshot and photograph of the save figures, as SCREEN.BMP and PHOTO.BMP in
// `folder`, for the programs the calling script times on them.
void WriteSavePictures(const std::wstring& folder);
// Save of those pictures as PNG next to the system's PNG encoder, and as PNG and JPEG next to
// ImageMagick and cjpeg on the same files, as the calling script timed them (`outside`, in ms by
// name: convert-screen, cjpeg-photo..., and the JPEG sizes in KB as cjpeg-screen-kb...).
void BenchSaves(const std::map<std::string, double>& outside);
// Open of a small JPEG whose header claims a huge picture: time to the refusal, memory added.
void BenchHugeHeader();
// One erase+draw pair of the selection frame with its label, as each mouse message of a drag
// costs, next to the four bare PatBlt calls of the frame alone.
void BenchSelectionFrame();
// The print command for a 1920x1080 picture next to a bare StretchDIBits job of the same
// bitmap on the same printer.
void BenchPrint();
// The converter window's run over 100 screenshots and over 100 small pictures, each next to bare
// calls of conversion.dll.
void BenchConverter();

}  // namespace kavlor::bench
