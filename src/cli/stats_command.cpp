// zeltool stats: how close an adventure is to every limit of the format, and
// what its database is made of. From a source it compiles in memory and
// writes nothing; from a database it reads the file.
#include <algorithm>
#include <cstdio>
#include <iomanip>
#include <string>
#include <vector>

#include "analysis/figures.h"
#include "cli/check_format.h"
#include "cli/commands.h"
#include "cli/figures_text.h"
#include "cli/source_arg.h"
#include "dbtools/database_tools.h"

namespace zel::tool {

namespace {

constexpr std::size_t tokens_shown = 10;  // most used tokens in the text form

std::string percent(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string limit_title(const analysis::Limit& l) { return l.where.empty() ? l.name : l.name + " (" + l.where + ")"; }

std::string quoted_token(const std::string& token) { return "'" + token + "'"; }

}  // namespace

void write_figures(const std::string& what, const analysis::Figures& f, std::ostream& out) {
    out << what << ": " << f.length << " bytes" << (f.compressed ? ", compressed" : "") << "\n\nLimits, the fullest first\n";
    std::size_t width = 0;
    for (const analysis::Limit& l : f.limits)
        width = std::max(width, limit_title(l).size());
    for (const analysis::Limit& l : f.limits)
        out << "  " << std::left << std::setw(static_cast<int>(width)) << limit_title(l) << std::right << std::setw(7)
            << l.used << " of " << std::setw(5) << l.most << "  (" << std::setw(5) << percent(l.percent()) << "%)\n";
    out << "\nBlocks\n";
    width = std::string("unaccounted").size();
    for (const analysis::Block& b : f.blocks)
        width = std::max(width, b.name.size());
    unsigned total = 0;
    for (const analysis::Block& b : f.blocks) {
        out << "  " << std::left << std::setw(static_cast<int>(width)) << b.name << std::right << std::setw(7) << b.bytes
            << "\n";
        total += b.bytes;
    }
    if (f.unaccounted != 0)
        out << "  " << std::left << std::setw(static_cast<int>(width)) << "unaccounted" << std::right << std::setw(7)
            << f.unaccounted << "\n";
    out << "  " << std::left << std::setw(static_cast<int>(width)) << "total" << std::right << std::setw(7)
        << total + f.unaccounted << "\n";
    if (!f.compressed)
        return;
    out << "\nCompression saved " << f.saving << " bytes (its token table of " << token_block_size
        << " bytes taken off)\nMost used tokens\n";
    for (std::size_t i = 0; i < f.tokens.size() && i < tokens_shown; ++i)
        out << "  " << std::left << std::setw(8) << quoted_token(f.tokens[i].token) << std::right << std::setw(6)
            << f.tokens[i].uses << " uses, " << std::setw(6) << f.tokens[i].saved << " bytes saved\n";
}

void write_figures_json(const std::string& what, const analysis::Figures& f, std::ostream& out) {
    out << "{\n  \"adventure\": " << json_string(what) << ",\n  \"length\": " << f.length << ",\n  \"limits\": [";
    const char* separator = "\n";
    for (const analysis::Limit& l : f.limits) {
        out << separator << "    {\"limit\": " << json_string(l.name) << ", \"used\": " << l.used
            << ", \"most\": " << l.most << ", \"percent\": " << percent(l.percent())
            << ", \"where\": " << (l.where.empty() ? "null" : json_string(l.where)) << "}";
        separator = ",\n";
    }
    out << "\n  ],\n  \"blocks\": [";
    separator = "\n";
    for (const analysis::Block& b : f.blocks) {
        out << separator << "    {\"block\": " << json_string(b.name) << ", \"bytes\": " << b.bytes << "}";
        separator = ",\n";
    }
    out << "\n  ],\n  \"unaccounted\": " << f.unaccounted << ",\n  \"compression\": ";
    if (!f.compressed) {
        out << "null\n}\n";
        return;
    }
    out << "{\"saving\": " << f.saving << ", \"tokens\": [";
    separator = "\n";
    for (const analysis::TokenUse& t : f.tokens) {
        out << separator << "    {\"token\": " << json_string(t.token) << ", \"code\": " << t.code
            << ", \"uses\": " << t.uses << ", \"saved\": " << t.saved << "}";
        separator = ",\n";
    }
    out << (f.tokens.empty() ? "]}\n}\n" : "\n  ]}\n}\n");
}

int run_stats(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool json = false, bad = false;
    std::string path;
    std::vector<std::string> switches;
    for (const std::string& arg : args) {
        if (arg == "--format=json" || arg == "--format=text")
            json = arg == "--format=json";
        else if (!arg.empty() && arg[0] == '-')
            bad = true;
        else if (path.empty())
            path = arg;
        else
            switches.push_back(arg);
    }
    const bool database = is_database_path(path);
    std::optional<SourceArg> source = path.empty() || database ? std::nullopt : source_arg(path);
    if (bad || (!source && !database) || (database && !switches.empty())) {
        print_usage(err, "stats");
        return status_usage;
    }
    analysis::Figures figures;
    if (source) {
        source->switches = switches;
        const std::optional<analysis::Compiled> compiled = compile_source(*source, err);
        if (!compiled)
            return status_usage;
        if (!compiled->database)
            return report_failure("stats", *source, *compiled, false, err, err);
        figures = analysis::figures_of(*compiled->database);
    } else {
        const std::optional<Database> db = load_database(path, err);
        if (!db)
            return status_failed;
        figures = analysis::figures_of(*db);
    }
    if (json)
        write_figures_json(path, figures, out);
    else
        write_figures(path, figures, out);
    return status_ok;
}

}  // namespace zel::tool
