# Run after each link of conversion.dll: its exports must be exactly the plain names BmpToJpg
# and JpgToBmp (a 32-bit stdcall name can pick up an @8 suffix), and it may import nothing but
# kernel32.dll and msvcrt.dll, so that it needs no MinGW runtime DLL and loads nothing from the
# current directory. Arguments: -DOBJDUMP=... -DDLL=...
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "${OBJDUMP} could not read ${DLL}")
endif()
# The name table: "[Ordinal/Name Pointer] Table", then one "[   i] Name" line per export.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)*" names "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" exports "${names}")
list(TRANSFORM exports REPLACE "\\[ *[0-9]+\\] " "")
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
string(TOLOWER "${imports}" imports)
if(NOT exports STREQUAL "BmpToJpg;JpgToBmp")
    message(FATAL_ERROR "conversion.dll exports ${exports}, not exactly BmpToJpg and JpgToBmp")
endif()
if(NOT imports STREQUAL "dll name: kernel32.dll;dll name: msvcrt.dll")
    message(FATAL_ERROR "conversion.dll imports ${imports}")
endif()
