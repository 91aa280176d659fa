// The exports of conversion.dll and the results they return. Each converts one file of the
// current directory, named without folder, into the other format under its produced name
// (convert/ConversionNames.h), in the current directory.
#pragma once

namespace kavlor {

enum ConversionResult : int {
    kConversionOk = 0,
    kConversionSourceUnreadable = 1,  // no such file, not a plain file, a name with a folder, or unreadable
    kConversionDamaged = 2,           // not a picture of the source's format, or damaged
    kConversionTooLarge = 3,          // over 32,767 pixels a side or 100 megapixels, or out of memory
    kConversionCannotWrite = 4,       // the result could not be written or put in place
};

}  // namespace kavlor

// The name is 8-bit text in the system's ANSI code page. `reserved` is always 0 and changes
// nothing. A failed call leaves no new file and any older file of the produced name as it was.
extern "C" {
int __stdcall BmpToJpg(char* fileName, int reserved);
int __stdcall JpgToBmp(char* fileName, int reserved);
}
