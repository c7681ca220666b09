// Prints the --type names of the symbology table in the form a file
// installed beside the program lists them, so that those files list what
// the table holds: `bash` the completion's word list, `man` the manual
// page's list (each name in bold, with the remark its row makes).
//   quorvane_type_names bash|man
#include "symbols/SymbologyRow.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// A hyphen in roff is \-: a plain one may be set as a dash and breaks
// copying the name.
std::string Roff(const char* text)
{
    std::string out;
    for (const char* c = text; *c; ++c)
        out += *c == '-' ? std::string("\\-") : std::string(1, *c);
    return out;
}

bool SameNote(const char* a, const char* b) { return a == b || (a && b && std::strcmp(a, b) == 0); }

void PrintBash(symbols::SymbologyTable rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        std::printf("%s%s", i ? " " : "", rows[i].name);
    std::printf("\n");
}

// ".BR name ," a row, the last one's with a full stop; a remark after the
// last of the rows next to each other that make it.
void PrintMan(symbols::SymbologyTable rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const symbols::SymbologyRow& row = rows[i];
        const char* end = i + 1 == rows.size() ? "." : ",";
        const bool noteHere = row.manualNote && (i + 1 == rows.size() || !SameNote(row.manualNote, rows[i + 1].manualNote));
        if (noteHere)
            std::printf(".B %s\n(%s)%s\n", Roff(row.name).c_str(), row.manualNote, end);
        else
            std::printf(".BR %s %s\n", Roff(row.name).c_str(), end);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const std::string form = argc == 2 ? argv[1] : "";
    if (form == "bash")
        PrintBash(symbols::Symbologies());
    else if (form == "man")
        PrintMan(symbols::Symbologies());
    else {
        std::fprintf(stderr, "usage: %s bash|man\n", argv[0]);
        return 2;
    }
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}
