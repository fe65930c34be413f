// Small adventure sources for tests, and an in-memory compile run.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "memory_platform.h"

namespace zel::testing {

// The sections of a source, each the lines after its header. The defaults
// make a complete, valid adventure: two locations, two objects, three
// process tables.
struct Sections {
    std::string ctl = "_\n";
    std::string voc = "NORTH 2 NOUN\nN 2 NOUN\nSOUTH 3 NOUN\nS 3 NOUN\nGET 20 VERB\n"
                      "LAMP 30 NOUN\nBOX 31 NOUN\nSMALL 40 ADJECTIVE\n";
    std::string stx = system_messages(61);
    std::string mtx = "/0\nHello.\n";
    std::string otx = "/0\nA lamp.\n/1\nA small box.\n";
    std::string ltx = "/0\nYou are in the hall.\n/1\nYou are outside.\n";
    std::string con = "/0\nN 1\n/1\nS 0\n";
    std::string obj = "/0 0 5 _ _ LAMP _\n/1 CARRIED 10 Y _ BOX SMALL\n";
    std::vector<std::string> pro = {"_ _ DESC\n", "GET LAMP GET 0\n OK\n", ""};

    static std::string system_messages(int count);
    // With a third location, nouns numbered 19 and 20, an adverb and a preposition.
    static Sections three_locations();
    std::string source() const;  // the whole source text
};

struct RunResult {
    std::string out;
    std::string err;
    int status = 0;
    MemoryFileSystem fs;

    const std::string& database() const { return fs.files.at("GAME.ZDB"); }
    bool ok() const { return out.find("*** Compilation ends OK\n") != std::string::npos; }
};

// Compiles GAME.SCE (and any other files given) in memory.
RunResult run(const std::map<std::string, std::string>& files, const std::vector<std::string>& args = {"GAME"},
              const Faults& faults = {});
RunResult run(const std::string& source, const std::vector<std::string>& args = {"GAME"});

// The text with every line feed preceded by a carriage return.
std::string with_crlf(std::string_view text);

}  // namespace zel::testing
