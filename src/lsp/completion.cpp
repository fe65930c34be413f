// Completion: at a "/" that begins a line, the next item number of the
// section and the section headers in the order they are due; in a section, what
// the word under the cursor must be there (a word type, a vocabulary word
// of the type required, a condition or action with its parameter kinds, an
// existing item with a preview of its text, a flag already used with its
// lines).
//
// The line being typed has usually not compiled into the index yet, so the
// place within the line is found by counting its blank-separated words
// before the cursor; everything offered comes from the index.
#include <algorithm>
#include <cctype>
#include <map>

#include "format/format.h"
#include "format/opcodes.h"
#include "lsp/describe.h"
#include "lsp/features.h"
#include "lsp/typed_line.h"

namespace zel::lsp {

namespace {

// Completion item kinds of the protocol.
constexpr int item_function = 3, item_module = 9, item_value = 12, item_keyword = 14, item_constant = 21;

bool blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

LinePlace place_in(std::string_view before) {
    LinePlace place;
    place.indented = !before.empty() && blank(before.front());
    std::size_t i = 0;
    while (i < before.size()) {
        while (i < before.size() && blank(before[i]))
            ++i;
        const std::size_t start = i;
        while (i < before.size() && !blank(before[i]))
            ++i;
        if (start < before.size() && before[start] == ';')
            place.in_comment = true;
        if (i == before.size()) {
            place.word_start = start;
            break;
        }
        std::string word(before.substr(start, i - start));
        std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return std::toupper(c); });
        place.words.push_back(word);
    }
    if (i == 0 || (!before.empty() && blank(before.back())))
        place.word_start = before.size();
    return place;
}

TypedLine typed_at(const Analysis& analysis, int file, const Position& at, Encoding encoding) {
    const LineMap& lines = analysis.files.at(static_cast<std::size_t>(file)).lines;
    TypedLine typed;
    lines.line_column(at, encoding, typed.line, typed.column);
    typed.text = lines.line_text(typed.line);
    typed.place = place_in(typed.text.substr(0, std::min<std::size_t>(typed.column - 1, typed.text.size())));
    return typed;
}

std::string null_word(const Analysis& analysis) {
    const char null = analysis.index.null_word();
    return null == 0 ? std::string() : std::string(1, null);
}

namespace {

struct Offer {
    json items = json::array();
    json range;  // of the word being typed
    void add(const std::string& label, int kind, const std::string& detail, const std::string& sort = {},
             const std::string& documentation = {}) {
        json item{{"label", label}, {"kind", kind}, {"textEdit", {{"range", range}, {"newText", label}}}};
        if (!detail.empty())
            item["detail"] = detail;
        if (!sort.empty())
            item["sortText"] = sort;
        if (!documentation.empty())
            item["documentation"] = {{"kind", "markdown"}, {"value", documentation}};
        items.push_back(std::move(item));
    }
};

std::string sort_key(int number) {
    const std::string digits = std::to_string(number);
    return std::string(digits.size() < 3 ? 3 - digits.size() : 0, '0') + digits;
}

void offer_texts(const Analysis& analysis, Kind kind, Offer& offer) {
    for (const TextDef& t : analysis.index.texts())
        if (t.kind == kind) {
            const std::string text = readable_text(t);
            offer.add(std::to_string(t.number), item_value, preview(t), sort_key(t.number),
                      fence_for(text) + "text\n" + text + "\n" + fence_for(text));
        }
}

// Vocabulary words of a type; movement words (a verb, or a noun below 20)
// when type is -1.
void offer_words(const Analysis& analysis, int type, Offer& offer) {
    const std::string null = null_word(analysis);
    if (!null.empty())
        offer.add(null, item_constant, "no word", "~");
    for (const WordDef& w : analysis.index.words()) {
        const bool movement = w.type == verb || (w.type == noun && w.number < 20);
        if (type == w.type || (type < 0 && movement))
            offer.add(w.word, item_constant, std::to_string(w.number) + " " + type_name(w.type));
    }
}

void offer_locations(const Analysis& analysis, bool keywords, Offer& offer) {
    offer_texts(analysis, Kind::location, offer);
    if (!keywords)
        return;
    for (const char* word : {"HERE", "CARRIED", "WORN"})
        offer.add(word, item_keyword, "location code");
    const std::string null = null_word(analysis);
    if (!null.empty())
        offer.add(null, item_keyword, "not created");
}

void offer_condacts(Offer& offer) {
    for (int op = 0; op < opcode_count; ++op)
        if (!reserved_opcode(op))
            offer.add(opcode_table[op].name, item_function, signature(op));
}

// The flags the adventure uses, each with the lines that use it.
void offer_flags(const Analysis& analysis, Offer& offer) {
    constexpr std::size_t most_lines = 10;
    std::map<int, std::vector<const Reference*>> uses;
    for (const Reference& r : analysis.index.references())
        if (r.kind == Kind::flag)
            uses[r.number].push_back(&r);
    const auto& files = analysis.index.files();
    for (const auto& [flag, refs] : uses) {
        std::string lines;
        for (std::size_t i = 0; i < refs.size() && i < most_lines; ++i) {
            const Span& at = refs[i]->at;
            const std::string_view text = analysis.line_text(at.file, at.line);
            lines.append(static_cast<std::size_t>(at.file) < files.size() ? files[static_cast<std::size_t>(at.file)].found : "?")
                .append(":")
                .append(std::to_string(analysis.index.editor_line(at.file, at.line)))
                .append("  ")
                .append(text.substr(0, text.find(" ;")))
                .append("\n");
        }
        if (refs.size() > most_lines)
            lines.append("and ").append(std::to_string(refs.size() - most_lines)).append(" more\n");
        offer.add(std::to_string(flag), item_value,
                  "flag used on " + std::to_string(refs.size()) + (refs.size() == 1 ? " line" : " lines"), sort_key(flag),
                  fence_for(lines) + "\n" + lines + fence_for(lines));
    }
}

void offer_parameter(const Analysis& analysis, int kind, Offer& offer) {
    switch (kind) {
    case kind_object: offer_texts(analysis, Kind::object, offer); break;
    case kind_location: offer_locations(analysis, false, offer); break;
    case kind_locword: offer_locations(analysis, true, offer); break;
    case kind_message: offer_texts(analysis, Kind::message, offer); break;
    case kind_sysmess: offer_texts(analysis, Kind::sysmess, offer); break;
    case kind_adverb: offer_words(analysis, adverb, offer); break;
    case kind_noun: offer_words(analysis, noun, offer); break;
    case kind_adjective: offer_words(analysis, adjective, offer); break;
    case kind_preposition: offer_words(analysis, preposition, offer); break;
    case kind_flag: offer_flags(analysis, offer); break;
    case kind_process:
        for (const SectionDef& s : analysis.index.sections())
            if (s.header == "/PRO" && s.number >= 2)
                offer.add(std::to_string(s.number), item_value,
                          std::to_string(analysis.index.entries_of(s.number).size()) + " entries", sort_key(s.number));
        break;
    default: break;
    }
}

// A condition or action line: its name, then its parameters.
void offer_condact_part(const Analysis& analysis, const std::vector<std::string>& words, std::size_t name,
                        Offer& offer) {
    if (words.size() == name) {
        offer_condacts(offer);
        return;
    }
    const int opcode = find_opcode(words[name].substr(0, 7).c_str());
    if (opcode < 0 || reserved_opcode(opcode))
        return;
    const std::size_t param = words.size() - name - 1;
    const OpcodeRow& row = opcode_table[opcode];
    if (param == 0 && row.kind1 != kind_none)
        offer_parameter(analysis, row.kind1, offer);
    else if (param == 1 && row.kind1 != kind_none && row.kind2 != kind_none)
        offer_parameter(analysis, row.kind2, offer);
}

void offer_process_line(const Analysis& analysis, const LinePlace& place, Offer& offer) {
    const std::size_t n = place.words.size();
    if (place.indented)
        offer_condact_part(analysis, place.words, 0, offer);
    else if (n == 0)
        offer_words(analysis, -1, offer);
    else if (n == 1)
        offer_words(analysis, noun, offer);
    else
        offer_condact_part(analysis, place.words, 2, offer);
}

void offer_object_line(const Analysis& analysis, const LinePlace& place, Offer& offer) {
    const std::size_t n = place.words.size();
    if (n == 1) {
        offer_locations(analysis, true, offer);
    } else if (n == 3 || n == 4) {
        offer.add("Y", item_keyword, n == 3 ? "container" : "wearable");
        const std::string null = null_word(analysis);
        if (!null.empty())
            offer.add(null, item_keyword, n == 3 ? "not a container" : "not wearable");
    } else if (n == 5 || n == 6) {
        offer_words(analysis, n == 5 ? noun : adjective, offer);
    }
}

// The sections in the order they are due; the process tables follow.
constexpr const char* fixed_sections[] = {"/CTL", "/VOC", "/STX", "/MTX", "/OTX", "/LTX", "/CON", "/OBJ"};
constexpr const char* section_contents[] = {"the null word character", "vocabulary", "system messages", "messages",
                                            "object texts", "location texts", "connections", "objects"};
constexpr int fixed_count = 8;

// A section's place in that order: /PRO n after the others.
int due_place(const SectionDef& s) {
    if (s.header == "/PRO")
        return fixed_count + s.number;
    for (int i = 0; i < fixed_count; ++i)
        if (s.header == fixed_sections[i])
            return i;
    return -1;
}

bool earlier(const Span& a, int file, unsigned line) { return a.file < file || (a.file == file && a.line < line); }

// The number the next item of the section at `place` is due, after the last
// one before the cursor; -1 when the section has no numbered items.
int next_item(const Analysis& analysis, const SectionDef& s, int place, int file, unsigned line) {
    static constexpr Kind text_kinds[] = {Kind::sysmess, Kind::message, Kind::object, Kind::location};
    int last = -1;
    auto take = [&](const Span& at, int number) {
        if (!earlier(at, s.at.file, s.at.line) && earlier(at, file, line))
            last = number;
    };
    if (place >= 2 && place <= 5) {
        for (const TextDef& t : analysis.index.texts())
            if (t.kind == text_kinds[place - 2])
                take(t.at, t.number);
    } else if (place == 6) {
        for (const ConnectionDef& c : analysis.index.connections())
            take(c.at, c.location);
    } else if (place == 7) {
        for (const ObjectDef& o : analysis.index.objects())
            take(o.at, o.object);
    } else {
        return -1;
    }
    return last + 1;
}

// At a "/" that begins a line: the next item number of the section the
// cursor is in, and the section headers from the next one due on.
void offer_slash(const Analysis& analysis, int file, unsigned line, Offer& offer) {
    const SectionDef* current = nullptr;
    for (const SectionDef& s : analysis.index.sections())
        if (earlier(s.at, file, line) && due_place(s) >= 0)
            current = &s;
    const int place = current ? due_place(*current) : -1;
    const int item = current ? next_item(analysis, *current, place, file, line) : -1;
    if (item >= 0) {
        offer.add(numbered("/", item), item_value, std::string("the next item of ").append(current->header), "0");
        offer.items.back()["preselect"] = true;
    }
    const int next = place + 1;
    for (int i = std::max(next, 0); i < fixed_count; ++i)
        offer.add(fixed_sections[i], item_module, section_contents[i], numbered("1", i - next));
    const int table = std::max(next - fixed_count, 0);
    offer.add(numbered("/PRO ", table), item_module, "process table", numbered("1", std::max(fixed_count - next, 0)));
    offer.add("/LNK", item_module, "the source goes on in another file", "2");
    if (item < 0)
        offer.items.front()["preselect"] = true;
}

}  // namespace

json completion(const Analysis& analysis, int file, const Position& at, Encoding encoding) {
    const LineMap& lines = analysis.files.at(static_cast<std::size_t>(file)).lines;
    const TypedLine typed = typed_at(analysis, file, at, encoding);
    const unsigned line = typed.line, column = typed.column;
    const std::string_view text = typed.text;
    const LinePlace& place = typed.place;
    if (place.in_comment)
        return json::array();
    Offer offer;
    offer.range = {{"start", to_json(lines.position(line, static_cast<unsigned>(place.word_start) + 1, encoding))},
                   {"end", to_json(at)}};
    const bool slash = place.words.empty() && place.word_start < text.size() && text[place.word_start] == '/';
    unsigned column_in_piece = 0;
    const unsigned compiler_line = analysis.index.compiler_line(file, line, column, column_in_piece);
    if (slash && !place.indented) {
        offer_slash(analysis, file, compiler_line, offer);
        return offer.items;
    }
    const int section = analysis.index.section_at(Span{file, compiler_line, 1, 1});
    if (section < 0)
        return offer.items;
    const std::string& header = analysis.index.sections()[static_cast<std::size_t>(section)].header;
    const bool item_line = !place.words.empty() && place.words.front().front() == '/';
    if (header == "/VOC" && place.words.size() == 2) {
        for (const char* type : word_type_names)
            offer.add(type, item_keyword, "word type");
    } else if (header == "/CON" && !item_line && place.words.size() <= 1) {
        if (place.words.empty())
            offer_words(analysis, -1, offer);
        else
            offer_locations(analysis, false, offer);
    } else if (header == "/OBJ" && item_line) {
        offer_object_line(analysis, place, offer);
    } else if (header == "/PRO") {
        offer_process_line(analysis, place, offer);
    }
    return offer.items;
}

}  // namespace zel::lsp
