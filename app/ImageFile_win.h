// Reading image files into pictures through the Windows imaging component, and writing
// pictures as BMP, PNG or JPEG files without ever leaving a half-written file in place of the
// old one.
#pragma once
#include <windows.h>

#include <string>

#include "base/FileDialogRules.h"
#include "base/Picture.h"

namespace kavlor {

enum class ImageLoadError {
    None,
    Missing,      // no such file (or a folder)
    Unreadable,   // the file exists but cannot be opened for reading
    UnknownKind,  // not an image, or a kind of image no installed decoder knows
    Damaged,      // an image file whose contents are truncated or inconsistent
    TooLarge,     // over the side or pixel limit of PictureSizeAllowed
    OutOfMemory,
};

struct ImageLoad {
    PicturePtr picture;
    ImageLoadError error = ImageLoadError::None;
};

// Reads the first frame of an image file into a picture compatible with the screen. Needs COM
// on the calling thread.
ImageLoad LoadPictureFile(const std::wstring& path);

enum class ImageSaveError {
    None,
    NoPixels,       // the picture's bits could not be read, have no form of the type or no encoder
    CannotCreate,   // no new file can be made in the target's folder
    WriteFailed,    // writing the new file failed, for instance on a full disk
    CannotReplace,  // the target cannot be replaced: in use, or a folder
};

// Writes the picture: as an uncompressed BMP at its own size and depth; as a PNG of 24-bit RGB, or
// of its palette where it has one; as a JPEG of quality 90 without chroma subsampling. The file
// is written beside the target first and replaces it only once complete: on failure the old file
// stays. PNG needs COM on the calling thread.
ImageSaveError SavePictureFile(const Picture& picture, const std::wstring& path, SaveType type = SaveType::Bmp);

}  // namespace kavlor
