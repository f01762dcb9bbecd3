// Image-manifest questions shared by the dialogues: whether to place the device tester Termivo in
// the image and where its file and the board driver's file are.
#pragma once

#include "platform/console.h"

namespace zandinst {

inline constexpr char kTermivoPrompt[] = "\n\nDo you wish to install Termivo (Y/N)? -> ";
inline constexpr char kTermivoDirectoryPrompt[] =
    "\nPlease enter the directory containing the file Termivo.exe:\n\teg. c:\\qrv_stuff, c:\n\t-> ";

// The driver file of a board whose driver always goes into the image.
struct DriverFile {
    const char* directoryPrompt;
    // Manifest line; "%s" is the directory.
    const char* line;
};

// The Termivo question with its manifest line on request, then the driver's directory and line.
// False when input ended before every answer was given.
bool AskTermivoAndDriver(console::Console& con, console::AppendFile& file,
                         const DriverFile& driver);

}  // namespace zandinst
