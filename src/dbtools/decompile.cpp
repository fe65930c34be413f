// zeltool decompile: writes a source that the compiler turns back into the
// very same database, and says what no source could express.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "core/memory_files.h"
#include "driver/compile.h"
#include "format/format.h"
#include "format/opcodes.h"
#include "dbtools/database_tools.h"
#include "dbtools/text_lines.h"

namespace zel::tool {

namespace {


bool is_noun(unsigned type, unsigned) { return type == noun; }
bool is_adjective(unsigned type, unsigned) { return type == adjective; }
bool is_adverb(unsigned type, unsigned) { return type == adverb; }
bool is_preposition(unsigned type, unsigned) { return type == preposition; }

using Accepts = bool (*)(unsigned, unsigned);

struct WordKind {
    Accepts accepts;
    const char* name;
};

WordKind word_kind(int kind) {
    switch (kind) {
    case kind_adverb: return {is_adverb, "adverb"};
    case kind_noun: return {is_noun, "noun"};
    case kind_adjective: return {is_adjective, "adjective"};
    default: return {is_preposition, "preposition"};
    }
}

bool letter_or_digit(unsigned char ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9'); }

// Room of the compiler's output buffer: a text and a table's entry index
// must fit in it.
unsigned buffer_room(const Database& db) {
    return workarea_threshold - static_cast<unsigned>(db.vocabulary.size() + 1) * entry_size;
}

std::string trimmed(const std::string& word) {
    std::string w = word;
    w.erase(w.find_last_not_of(' ') + 1);
    return w;
}

class SourceWriter {
public:
    SourceWriter(const Database& db, Decompiled& out) : db_(db), d_(out), nullchr_(1, static_cast<char>(db.header.nullchr)) {}

    void run() {
        d_.compressed = db_.tokens.has_value();
        check_counts();
        check_tokens();
        s_ << "; " << d_.name << ".SCE, recovered from its database by zeltool decompile.\n"
           << "; Compile it with: " << compile_command(d_) << "\n";
        control();
        vocabulary();
        for (Section s : {Section::stx, Section::mtx, Section::otx, Section::ltx})
            texts(s);
        connections();
        objects();
        process_tables();
        d_.source = s_.str();
    }

private:
    void problem(const std::string& message) { d_.problems.push_back(message); }

    void check_counts() {
        const Header& h = db_.header;
        if (h.nsysmess < fewest_sysmess)
            problem("the database has " + std::to_string(h.nsysmess) +
                    " system messages; a source needs at least 61");
        for (Section s : {Section::mtx, Section::otx, Section::ltx})
            if (db_.section(s).empty())
                problem(std::string("the database has no ") + section_title(s) +
                        "; a source needs at least one");
        if (h.nlocations > most_locations)
            problem("the database has " + std::to_string(h.nlocations) + " locations; a source allows at most 252");
        if (db_.vocabulary.size() > vocab_capacity)
            problem("the vocabulary has " + std::to_string(db_.vocabulary.size()) +
                    " words; the compiler takes at most " + std::to_string(vocab_capacity));
        if (auto layout = layout_problem(db_))
            problem("the layout differs from what the compiler writes: " + *layout);
    }

    void check_tokens() {
        if (!db_.tokens)
            return;
        for (int i = 0; i < token_count; ++i)
            if ((*db_.tokens)[i] != token_table[i]) {
                problem("token " + std::to_string(i) + " of the database's token table is '" + (*db_.tokens)[i] +
                        "', but the compiler's is '" + token_table[i] + "'");
                return;
            }
    }

    void control() {
        const unsigned char ch = db_.header.nullchr;
        // Not a letter, digit or blank, and nothing the reader treats as the
        // end of a line or of the file, or as a comment.
        const bool writable = ch != 0 && ch != '\t' && ch != '\n' && ch != '\r' && ch != 26 && ch != ' ' &&
                              ch != ';' && !letter_or_digit(ch) && !(ch >= 'a' && ch <= 'z');
        if (!writable)
            problem("the null word character (value " + std::to_string(ch) + ") cannot be written in a control line");
        s_ << "/CTL\n" << nullchr_ << "\n";
    }

    void vocabulary() {
        std::vector<const VocabWord*> words;
        for (const VocabWord& w : db_.vocabulary) {
            words.push_back(&w);
            check_word(w);
        }
        // Synonyms together: by number, then type; the compiler sorts anyway.
        std::stable_sort(words.begin(), words.end(), [](const VocabWord* a, const VocabWord* b) {
            return std::tie(a->number, a->type) < std::tie(b->number, b->type);
        });
        s_ << "/VOC\n";
        for (const VocabWord* w : words) {
            std::string word = trimmed(w->word);
            word.resize(std::max<std::size_t>(word.size(), 5), ' ');
            s_ << word << ' ' << w->number << (w->number < 10 ? "   " : w->number < 100 ? "  " : " ")
               << word_type_names[w->type] << "\n";
        }
    }

    void check_word(const VocabWord& w) {
        const std::string word = trimmed(w.word);
        const bool readable = !word.empty() && std::all_of(word.begin(), word.end(), [](char ch) {
            return letter_or_digit(static_cast<unsigned char>(ch));
        });
        if (!readable)
            problem("the vocabulary word '" + w.word + "' is not made of upper-case letters and digits");
        if (w.number < 1 || w.number > 254)
            problem("the vocabulary word '" + word + "' has the number " + std::to_string(w.number) +
                    "; words are numbered 1 to 254");
    }

    void texts(Section s) {
        const bool compressed_section = db_.tokens && s != Section::otx;
        s_ << section_header(s) << "\n";
        const auto& list = db_.section(s);
        for (std::size_t n = 0; n < list.size(); ++n) {
            const std::string name = "text " + std::to_string(n) + " of the " + section_title(s);
            const Text& text = list[n];
            if (db_.tokens && !compressed_section &&
                std::any_of(text.bytes.begin(), text.bytes.end(), [](unsigned char b) { return b > 127; }))
                problem(name + " cannot be written as source: it holds a character above 127, which the "
                        "compiler refuses with switch C");
            const std::string expanded = compressed_section ? db_.expand(text) : std::string(text.bytes.begin(), text.bytes.end());
            if (expanded.size() + 1 > buffer_room(db_))
                problem(name + " cannot be written as source: its " + std::to_string(expanded.size()) +
                        " characters do not fit the compiler's text buffer");
            const TextLines lines = split_text(expanded);
            if (!lines.problem.empty())
                problem(name + " cannot be written as source: " + lines.problem);
            s_ << "/" << n << "\n";
            for (const std::string& line : lines.lines)
                s_ << line << "\n";
        }
    }

    // A word of the vocabulary for the number, or the null word character
    // for 255; a problem when the vocabulary has none.
    std::string word(unsigned number, Accepts accepts, const char* kind, const std::string& where) {
        if (number == no_word)
            return nullchr_;
        std::string w = db_.word_for(number, accepts);
        if (w.empty()) {
            problem(where + " names word number " + std::to_string(number) + ", but the vocabulary has no " +
                    kind + " with that number");
            return std::string("?").append(std::to_string(number));
        }
        return w;
    }

    std::string location_text(unsigned n, std::size_t most) const {
        const auto& ltx = db_.section(Section::ltx);
        return n < ltx.size() ? text_preview(db_.expand(ltx[n]), most) : std::string();
    }

    void connections() {
        s_ << "/CON\n";
        const unsigned nloc = db_.header.nlocations;
        for (std::size_t n = 0; n < db_.locations.size(); ++n) {
            s_ << "; " << location_text(static_cast<unsigned>(n), 60) << "\n/" << n << "\n";
            for (const Exit& e : db_.locations[n].exits) {
                const std::string where = "an exit of location " + std::to_string(n);
                const std::string w = word(e.word, is_movement_word, "verb or noun below 20", where);
                if (e.destination >= nloc)
                    problem(where + " leads to location " + std::to_string(e.destination) + ", which does not exist");
                s_ << w << ' ' << e.destination << "\n";
            }
        }
    }

    std::string object_location(unsigned loc) const {
        switch (loc) {
        case loc_notcreated: return nullchr_;
        case loc_worn: return "WORN";
        case loc_carried: return "CARRIED";
        default: return std::to_string(loc);
        }
    }

    void objects() {
        s_ << "/OBJ\n";
        const auto& otx = db_.section(Section::otx);
        for (std::size_t n = 0; n < db_.objects.size(); ++n) {
            const Object& o = db_.objects[n];
            const std::string where = "object " + std::to_string(n);
            check_object(o, static_cast<unsigned>(n), where);
            if (n < otx.size())
                s_ << "; " << text_preview(db_.expand(otx[n]), 60) << "\n";
            s_ << '/' << n << ' ' << object_location(o.location) << ' ' << (o.attributes & 63) << ' '
               << ((o.attributes & container_bit) ? "Y" : nullchr_) << ' '
               << ((o.attributes & wearable_bit) ? "Y" : nullchr_) << ' '
               << word(o.noun, is_noun, "noun", where) << ' ' << word(o.adjective, is_adjective, "adjective", where)
               << "\n";
        }
    }

    void check_object(const Object& o, unsigned n, const std::string& where) {
        const Header& h = db_.header;
        if (o.location >= h.nlocations && o.location != loc_notcreated && o.location != loc_worn &&
            o.location != loc_carried)
            problem(where + " starts at location " + std::to_string(o.location) + ", which does not exist");
        if ((o.attributes & container_bit) && n >= h.nlocations)
            problem(where + " is a container but has no location of its own number");
        if (o.location == loc_worn && !(o.attributes & wearable_bit))
            problem(where + " starts worn but is not wearable");
        if (o.adjective != no_word && o.noun == no_word)
            problem(where + " has an adjective but no noun");
    }

    void process_tables() {
        const unsigned needed = std::max(3u, highest_process_table() + 1);
        if (db_.tables.size() != needed)
            problem("the database has " + std::to_string(db_.tables.size()) + " process tables, but its PROCESS "
                    "actions make the compiler expect " + std::to_string(needed));
        const std::size_t most_entries = (buffer_room(db_) + 3) / 4;
        for (std::size_t t = 0; t < db_.tables.size(); ++t) {
            const ProcessTable& table = db_.tables[t];
            if (table.entries.size() > most_entries)
                problem("process table " + std::to_string(t) + " has " + std::to_string(table.entries.size()) +
                        " entries; the compiler's index takes at most " + std::to_string(most_entries));
            s_ << "/PRO " << t << "\n";
            for (std::size_t e = 0; e < table.entries.size(); ++e)
                entry(table.entries[e], "entry " + std::to_string(e) + " of process table " + std::to_string(t));
        }
    }

    unsigned highest_process_table() const {
        unsigned highest = 2;
        for (const ProcessTable& table : db_.tables)
            for (const Entry& e : table.entries)
                for (const Action& a : e.actions)
                    if (opcode_table[a.opcode].kind1 == kind_process)
                        highest = std::max(highest, a.params[0]);
        return highest;
    }

    void entry(const Entry& e, const std::string& where) {
        std::string verb_word = word(e.verb, is_movement_word, "verb or noun below 20", where);
        std::string noun_word = word(e.noun, is_noun, "noun", where);
        verb_word.resize(std::max<std::size_t>(verb_word.size(), 5), ' ');
        noun_word.resize(std::max<std::size_t>(noun_word.size(), 5), ' ');
        if (e.actions.empty())
            problem(where + " has no condition or action");
        const std::string indent(12, ' ');
        for (std::size_t i = 0; i < e.actions.size(); ++i)
            s_ << (i == 0 ? verb_word + ' ' + noun_word + ' ' : indent) << action(e.actions[i], where) << "\n";
        s_ << "\n";
    }

    std::string action(const Action& a, const std::string& where) {
        const OpcodeRow& row = opcode_table[a.opcode];
        std::string text = row.name;
        const int kinds[2] = {row.kind1, row.kind2};
        for (std::size_t k = 0; k < a.params.size(); ++k)
            text += ' ' + parameter(kinds[k], a.opcode, a.params[k], where + ", " + row.name);
        return text;
    }

    std::string parameter(int kind, unsigned opcode, unsigned value, const std::string& where) {
        const Header& h = db_.header;
        auto below = [&](unsigned limit, const char* what) {
            if (value >= limit)
                problem(where + " names " + what + " " + std::to_string(value) + ", which does not exist");
        };
        switch (kind) {
        case kind_object: below(h.nobjects, "object"); break;
        case kind_location:
            below(h.nlocations, "location");
            if (names_container(static_cast<int>(opcode)) &&
                (value >= db_.objects.size() || !(db_.objects[value].attributes & container_bit)))
                problem(where + " needs a container, but object " + std::to_string(value) + " is none");
            break;
        case kind_message: below(h.nmess, "message"); break;
        case kind_sysmess: below(h.nsysmess, "system message"); break;
        case kind_process:
            if (value < 2 || value > highest_named_table)
                problem(where + " names process table " + std::to_string(value) + "; only 2 to 254 can be named");
            break;
        case kind_percent:
            if (value < 1 || value > 99)
                problem(where + " has the percentage " + std::to_string(value) + "; only 1 to 99 can be written");
            break;
        case kind_flag:
            if (value == 38 && refuses_flag38(static_cast<int>(opcode)))
                problem(where + " names flag 38, which the compiler refuses there");
            break;
        case kind_locword:
            if (value >= h.nlocations && value < loc_notcreated)
                below(h.nlocations, "location");
            return location_word(value);
        case kind_adverb:
        case kind_noun:
        case kind_adjective:
        case kind_preposition: {
            const WordKind w = word_kind(kind);
            return word(value, w.accepts, w.name, where);
        }
        default: break;
        }
        return std::to_string(value);
    }

    std::string location_word(unsigned value) const {
        switch (value) {
        case loc_notcreated: return nullchr_;
        case loc_worn: return "WORN";
        case loc_carried: return "CARRIED";
        case loc_here: return "HERE";
        default: return std::to_string(value);
        }
    }

    const Database& db_;
    Decompiled& d_;
    std::string nullchr_;
    std::ostringstream s_;
};

// The first lines the compiler printed about an error, for the report.
std::string compiler_errors(const std::string& output) {
    std::istringstream in(output);
    std::string line, previous, result;
    while (std::getline(in, line)) {
        if (line.rfind("*** ERROR", 0) == 0)
            result += "  " + previous + "\n  " + line + "\n";
        previous = line;
    }
    return result;
}

}  // namespace

std::string compile_command(const Decompiled& d) { return "zelc " + d.name + (d.compressed ? " C" : ""); }

Decompiled decompile_database(const Database& db, const std::string& name) {
    Decompiled d;
    d.name = name;
    SourceWriter(db, d).run();
    return d;
}

std::optional<std::string> recompile_difference(const Decompiled& source, const Database& db) {
    MemoryFiles files;
    files.files[source.name + ".SCE"] = source.source;
    StringConsole console;
    std::vector<std::string> args{source.name};
    if (source.compressed)
        args.emplace_back("C");
    compile(args, console, files);
    const auto it = files.files.find(source.name + ".ZDB");
    if (it == files.files.end())
        return "the compiler did not accept the source written:\n" + compiler_errors(console.output);
    const std::string& bytes = it->second;
    const std::size_t common = std::min(bytes.size(), db.bytes.size());
    std::size_t at = 0;
    while (at < common && static_cast<unsigned char>(bytes[at]) == db.bytes[at])
        ++at;
    if (at == common && bytes.size() == db.bytes.size())
        return std::nullopt;
    return "the source written compiles into a different database: the bytes first differ at offset " +
           std::to_string(at) + ", in " + describe_offset(db, static_cast<unsigned>(at));
}

int decompile_to(const Database& db, const std::string& name, std::ostream& source, std::ostream& err) {
    const Decompiled d = decompile_database(db, name);
    source << d.source;
    if (!d.problems.empty()) {
        for (const std::string& p : d.problems)
            err << "zeltool: " << p << "\n";
        err << "zeltool: no source can reproduce this database exactly; the source written is the nearest one\n";
        return status_failed;
    }
    if (auto difference = recompile_difference(d, db)) {
        err << "zeltool: " << *difference << "\n";
        return status_failed;
    }
    return status_ok;
}


}  // namespace zel::tool
