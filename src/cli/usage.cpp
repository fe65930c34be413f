// What zeltool says about its own use: the usage of the tool and of every
// command, printed for --help and after a usage error.
#include "cli/commands.h"

namespace zel::tool {

namespace {

struct Usage {
    const char* command;
    const char* synopsis;  // after "zeltool "
    const char* details;   // lines after the synopsis
};

const Usage usages[] = {
    {"build", "build NAME [N] [C] [T] [--format=text|json]",
     "Compiles NAME.SCE into NAME.ZDB as zelc does with the same switches, and prints\n"
     "the diagnostics as check does. NAME.ZDB is replaced only when the compilation\n"
     "ends without errors; after a failure the folder is as it was.\n"},
    {"check", "check NAME [N] [C] [T] [--format=text|json]",
     "Compiles NAME.SCE as zelc does with switch N, writing nothing, and prints every\n"
     "diagnostic as FILE:LINE:COLUMN: error N: message with its notes (FILE:LINE:COLUMN:\n"
     "note: ...), then the summary line.\n"},
    {"dump", "dump GAME.ZDB", "Lists everything in a database.\n"},
    {"decompile", "decompile GAME.ZDB [-o DIR] [-n NAME] [--force]",
     "Writes NAME.SCE into DIR (created when missing; default: here), a source that\n"
     "zelc compiles back into the same database. An existing file is never replaced\n"
     "unless --force is given.\n"},
    {"map", "map GAME.ZDB|NAME [--objects] [--start N] [-T FORMAT]",
     "Prints the map as a Graphviz DOT graph, or renders it with dot -TFORMAT: of a\n"
     "database, or drawn from a source with the authors' names for the locations,\n"
     "GOTOs, containers, and the unreachable locations shaded; --objects lists\n"
     "where the objects start, --start N takes location N as the start.\n"},
    {"lint", "lint NAME [switches] [-W CODE] [-Wno-CODE] [--werror] [--start N] [--format=text|json]",
     "Compiles NAME.SCE in memory, writing nothing, and reports what it gets wrong\n"
     "although it compiles, each finding with its code. -W and -Wno- switch a code, a\n"
     "group (map, unused, flags, limits, comments) or all; a comment line\n"
     "';zel-lint: disable-next CODE' silences one in the source. Exit status 1 for a\n"
     "warning (with --werror also for an info) or errors in the source.\n"},
    {"stats", "stats NAME|GAME.ZDB [switches] [--format=text|json]",
     "Shows how close the adventure is to every limit of the format, the size of\n"
     "every block of its database and, when compressed, what compression saved. A\n"
     "source is compiled in memory, writing nothing.\n"},
    {"renumber", "renumber NAME KIND FROM TO [--dry-run]",
     "Gives item FROM of a kind the number TO; the items between move on by one, and\n"
     "every definition and reference across the /LNK chain follows. KIND is sysmess\n"
     "(61 on), message, object, location, table (3 on) or flag (into a flag nothing\n"
     "uses).\n"},
    {"insert", "insert NAME KIND AT [--text TEXT] [--dry-run]",
     "Makes a new item AT (with the lines of TEXT as its text) and moves the later\n"
     "ones up by one, with every reference; says what the new item still needs.\n"},
    {"delete", "delete NAME KIND N [--dry-run]",
     "Deletes item N and moves the later ones down by one, with every reference;\n"
     "refused, with every use listed, while anything refers to it.\n"},
    {"rename", "rename NAME WORD NEWWORD [--dry-run]",
     "Changes one spelling of a vocabulary word on its /VOC line and wherever it is\n"
     "read; synonyms keep theirs. Refused for a word the compiler would take for\n"
     "another (only five characters count).\n"},
    {"new", "new NAME [DIR] [--split]",
     "Writes DIR/NAME.SCE (default: here), a small adventure that compiles and passes\n"
     "lint, with comments on every section; --split puts everything after the\n"
     "vocabulary in a second file linked by /LNK. Never writes over a file.\n"},
    {"lsp", "lsp [--stdio]",
     "A language server (Language Server Protocol 3.17) on standard input and output,\n"
     "for editors: diagnostics on every change, hover, definition, references,\n"
     "outline, folding, completion, quick fixes, inlay hints, signature help,\n"
     "document highlight, workspace symbols and semantic tokens.\n"},
    {"help", "help [COMMAND]", "Prints the usage of zeltool or of one command.\n"},
};

const Usage* find(const std::string& command) {
    for (const Usage& u : usages)
        if (command == u.command)
            return &u;
    return nullptr;
}

}  // namespace

bool is_command(const std::string& command) { return find(command) != nullptr; }

void print_usage(std::ostream& out, const std::string& command) {
    if (const Usage* u = find(command)) {
        out << "usage: zeltool " << u->synopsis << "\n" << u->details;
        if (command == "build" || command == "check" || command == "lint" || command == "stats" || command == "map")
            out << "NAME is the adventure name or its source file (NAME.SCE, in any case), after\n"
                   "a folder if the sources are elsewhere, or a later file of its /LNK chain; the\n"
                   "switches are zelc's.\n";
        if (command == "renumber" || command == "insert" || command == "delete" || command == "rename")
            out << "The source must compile without errors. Every changed file is written beside\n"
                   "itself and renamed over it once all are written; --dry-run prints the change\n"
                   "as a unified diff and writes nothing. Exit status 1 when the edit is refused.\n";
        return;
    }
    out << "usage: zeltool COMMAND [ARGUMENTS]\n"
           "       zeltool --help | --version\n\n"
           "Commands:\n";
    for (const Usage& u : usages)
        out << "  zeltool " << u.synopsis << "\n";
    out << "\n'zeltool COMMAND --help' or 'zeltool help COMMAND' describes one command.\n";
}

}  // namespace zel::tool
