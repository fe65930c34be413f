// zeltool dump: a readable listing of everything in a database.
#include <iomanip>
#include <map>
#include <set>

#include "format/format.h"
#include "format/opcodes.h"
#include "dbtools/database_tools.h"

namespace zel::tool {

namespace {

bool any_type(unsigned, unsigned) { return true; }

// A text between double quotes: a paragraph break shows as \n, other bytes
// that are not printable as \xNN.
std::string quoted_text(const std::string& text) {
    std::string out = "\"";
    for (char ch : text) {
        const auto u = static_cast<unsigned char>(ch);
        if (u == paragraph_break) {
            out += "\\n";
        } else if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (u >= 32 && u < 127) {
            out += ch;
        } else {
            static const char hex[] = "0123456789abcdef";
            out += "\\x";
            out += hex[u >> 4];
            out += hex[u & 15];
        }
    }
    return out + "\"";
}

std::string printable_char(unsigned char ch) {
    std::string out;
    if (ch >= 33 && ch < 127)
        out.append(1, '\'').append(1, static_cast<char>(ch)).append("' ");
    return out.append("(").append(std::to_string(ch)).append(")");
}

class Lister {
public:
    Lister(const Database& db, std::ostream& out) : db_(db), o_(out) {}

    void run() {
        header();
        vocabulary();
        tokens();
        for (Section s : {Section::stx, Section::mtx, Section::otx, Section::ltx})
            texts(s);
        connections();
        objects();
        process_tables();
    }

private:
    void field(const char* name, const std::string& value) {
        o_ << "  " << std::left << std::setw(28) << name << value << "\n";
    }
    void position(const char* name, unsigned pos) { field(name, "at " + std::to_string(pos)); }

    void header() {
        const Header& h = db_.header;
        o_ << "Header\n";
        field("format word", std::to_string(h.format));
        field("null word character", printable_char(h.nullchr));
        field("objects", std::to_string(h.nobjects));
        field("locations", std::to_string(h.nlocations));
        field("messages", std::to_string(h.nmess));
        field("system messages", std::to_string(h.nsysmess));
        field("process tables", std::to_string(h.nprocess));
        field("token table", h.tokenpos ? "at " + std::to_string(h.tokenpos) : "none (texts not compressed)");
        position("vocabulary", h.vocabpos);
        position("system message offsets", h.stxpos);
        position("message offsets", h.mtxpos);
        position("object text offsets", h.otxpos);
        position("location text offsets", h.ltxpos);
        position("connection offsets", h.conpos);
        position("object word table", h.objwordpos);
        position("object attribute table", h.objattrpos);
        position("initial location table", h.objlocpos);
        position("process table offsets", h.propos);
        field("length", std::to_string(h.length) + " bytes");
    }

    // Every word of one number and type on one line: synonyms together.
    void vocabulary() {
        std::map<std::pair<unsigned, unsigned>, std::string> groups;
        for (const VocabWord& w : db_.vocabulary) {
            std::string& line = groups[{w.number, w.type}];
            std::string word = w.word;
            word.erase(word.find_last_not_of(' ') + 1);
            if (!line.empty())
                line += ' ';
            line += word;
        }
        o_ << "\nVocabulary: " << db_.vocabulary.size() << " words\n";
        for (const auto& [key, words] : groups)
            o_ << "  " << std::right << std::setw(3) << key.first << "  " << std::left << std::setw(12)
               << word_type_names[key.second] << words << "\n";
    }

    void tokens() {
        if (!db_.tokens)
            return;
        o_ << "\nToken table: " << token_count << " tokens\n";
        for (int i = 0; i < token_count; ++i) {
            o_ << (i % 8 == 0 ? "  " : " ") << token_code_base + i << ' ' << quoted_text((*db_.tokens)[i]);
            if (i % 8 == 7)
                o_ << "\n";
        }
    }

    void texts(Section s) {
        const auto& list = db_.section(s);
        std::string title = section_title(s);
        title[0] = static_cast<char>(title[0] - 'a' + 'A');
        o_ << "\n" << title << ": " << list.size() << "\n";
        for (std::size_t n = 0; n < list.size(); ++n)
            o_ << "  /" << std::left << std::setw(4) << n << quoted_text(db_.expand(list[n])) << "\n";
    }

    std::string word(unsigned number, bool (*accepts)(unsigned, unsigned)) const {
        if (number == no_word)
            return db_.header.nullchr > 32 && db_.header.nullchr < 127 ? std::string(1, static_cast<char>(db_.header.nullchr))
                                                                      : std::string("-");
        std::string w = db_.word_for(number, accepts);
        if (w.empty())
            w = db_.word_for(number, any_type);
        return w.empty() ? std::string("#").append(std::to_string(number)) : w;
    }

    void connections() {
        o_ << "\nConnections\n";
        for (std::size_t n = 0; n < db_.locations.size(); ++n) {
            o_ << "  /" << std::left << std::setw(4) << n;
            const auto& exits = db_.locations[n].exits;
            if (exits.empty())
                o_ << "no exits";
            for (std::size_t i = 0; i < exits.size(); ++i)
                o_ << (i ? ", " : "") << word(exits[i].word, is_movement_word) << " -> " << exits[i].destination;
            o_ << "\n";
        }
    }

    static std::string location(unsigned loc) {
        switch (loc) {
        case loc_notcreated: return "not created";
        case loc_worn: return "worn";
        case loc_carried: return "carried";
        case loc_here: return "here";
        default: return std::to_string(loc);
        }
    }

    void objects() {
        o_ << "\nObjects\n";
        const auto& otx = db_.section(Section::otx);
        for (std::size_t n = 0; n < db_.objects.size(); ++n) {
            const Object& ob = db_.objects[n];
            o_ << "  /" << std::left << std::setw(4) << n << "words " << word(ob.noun, any_type) << ' '
               << word(ob.adjective, any_type) << ", weight " << (ob.attributes & 63)
               << ((ob.attributes & container_bit) ? ", container" : "") << ((ob.attributes & wearable_bit) ? ", wearable" : "")
               << ", starts " << location(ob.location);
            if (n < otx.size())
                o_ << ", " << quoted_text(db_.expand(otx[n]));
            o_ << "\n";
        }
    }

    std::string parameter(int kind, unsigned value) const {
        switch (kind) {
        case kind_locword:
            if (value == loc_notcreated)
                return word(no_word, any_type);
            return value == loc_worn ? "WORN" : value == loc_carried ? "CARRIED" : value == loc_here ? "HERE" : std::to_string(value);
        case kind_adverb:
        case kind_noun:
        case kind_adjective:
        case kind_preposition:
            return word(value, any_type);
        default:
            return std::to_string(value);
        }
    }

    void process_tables() {
        o_ << "\nProcess tables: " << db_.tables.size() << "\n";
        for (std::size_t t = 0; t < db_.tables.size(); ++t) {
            const ProcessTable& table = db_.tables[t];
            o_ << "/PRO " << t << ": " << table.entries.size() << (table.entries.size() == 1 ? " entry" : " entries") << ", index at " << table.pos << "\n";
            for (const Entry& e : table.entries) {
                o_ << "  " << word(e.verb, is_movement_word) << ' ' << word(e.noun, any_type) << "  (at " << e.pos
                   << ")\n";
                for (const Action& a : e.actions) {
                    const OpcodeRow& row = opcode_table[a.opcode];
                    o_ << "      " << row.name;
                    const int kinds[2] = {row.kind1, row.kind2};
                    for (std::size_t k = 0; k < a.params.size(); ++k)
                        o_ << ' ' << parameter(kinds[k], a.params[k]);
                    o_ << "\n";
                }
            }
        }
    }

    const Database& db_;
    std::ostream& o_;
};

}  // namespace

void dump_database(const Database& db, std::ostream& out) { Lister(db, out).run(); }

std::optional<Database> load_database(const std::string& path, std::ostream& err) {
    Bytes bytes;
    std::string error;
    if (!read_file(path, bytes, error)) {
        err << "zeltool: " << error << "\n";
        return std::nullopt;
    }
    std::optional<Database> db = read_database(std::move(bytes), error);
    if (!db)
        err << "zeltool: " << path << ": " << error << "\n";
    return db;
}

}  // namespace zel::tool
