// The comment frames around the two sections that a dialogue appends: the registry section for
// project.reg and the image-manifest section for project.bib.
#pragma once

#include "platform/console.h"

namespace zandinst {

// How the image-manifest head ends: the board with I/O ports writes its entries after a blank
// line of their own, the other boards directly after the star line's line end.
enum class FilesHeadEnd { kRule, kRuleWithLineEnd };

void WriteRegistryHead(console::AppendFile& file);
void WriteRegistryTail(console::AppendFile& file);
void WriteFilesHead(console::AppendFile& file, FilesHeadEnd end);
void WriteFilesTail(console::AppendFile& file);

}  // namespace zandinst
