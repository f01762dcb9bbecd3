#include "generator/section_frames.h"

namespace zandinst {

namespace {

// ";" followed by 91 asterisks.
constexpr char kStarLine[] =
    ";*******************************************************************************************";

constexpr char kRegistryTitle[] = "\n;   QRV Ports (Paste at the end of your project.reg file)";
constexpr char kRegistryEnd[] = "\n;   End of QRV Ports";
constexpr char kFilesTitle[] = "\n;   QRV Files (Paste at the end of your project.bib file)";
constexpr char kFilesEnd[] = "\n;   End of QRV Files";

// The star line with the line feeds before and after it: the opening rule ("\n\n" before), the
// rule ("\n"), the rule with line end ("\n", "\n") and the closing rule ("\n", "\n\n").
void WriteRule(console::AppendFile& file, const char* before, const char* after) {
    console::WriteAppendFile(file, before);
    console::WriteAppendFile(file, kStarLine);
    console::WriteAppendFile(file, after);
}

void WriteOpeningRule(console::AppendFile& file) {
    WriteRule(file, "\n\n", "");
}

void WriteClosingRule(console::AppendFile& file) {
    WriteRule(file, "\n", "\n\n");
}

}  // namespace

void WriteRegistryHead(console::AppendFile& file) {
    WriteOpeningRule(file);
    console::WriteAppendFile(file, kRegistryTitle);
    WriteRule(file, "\n", "");
}

void WriteRegistryTail(console::AppendFile& file) {
    WriteOpeningRule(file);
    console::WriteAppendFile(file, kRegistryEnd);
    WriteClosingRule(file);
}

void WriteFilesHead(console::AppendFile& file, FilesHeadEnd end) {
    WriteOpeningRule(file);
    console::WriteAppendFile(file, kFilesTitle);
    WriteRule(file, "\n", end == FilesHeadEnd::kRule ? "" : "\n");
}

void WriteFilesTail(console::AppendFile& file) {
    WriteOpeningRule(file);
    console::WriteAppendFile(file, kFilesEnd);
    WriteClosingRule(file);
}

}  // namespace zandinst
