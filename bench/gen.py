#!/usr/bin/env python3
"""Generates the benchmark workloads of zelc into a directory.

  a/MAXVALID.SCE  the largest valid adventure: 2211 vocabulary words, 255
                  system messages, messages and object texts, 252 locations
                  with their exits, 255 objects and 255 process tables, the
                  first ones with full entry indexes; the database is exactly
                  65,535 bytes long.
  a54/TOOBIG.SCE  the same with one more entry, long enough that the database
                  passes 65,535 bytes with and without compression: error 54.
  b/HUGE*.SCE     about 200 MB (--mb) of comment lines and text lines in
                  linked files; every text is near the most one text may hold,
                  so the database passes 65,535 bytes and the run ends in
                  error 54 after compiling everything.
  c/ERRORS.SCE    a valid beginning, then one error in every line of the
                  connections, the objects and the process tables (--errors).

Everything is derived from a fixed seed, so the same arguments give the same
files byte for byte.
"""
import argparse
import os
import random
import re
import sys

WORK_AREA = 16000
VOCAB_CAPACITY = (WORK_AREA - 517) // 7  # 2211
DB_LIMIT = 65535
NULL = "_"

def read_tokens():
    """The compression tokens, read from their one definition in the compiler."""
    here = os.path.dirname(os.path.abspath(__file__))
    text = open(os.path.join(here, "..", "src", "format", "tables.cpp"), encoding="latin-1").read()
    table = text[text.index("token_table[token_count] = {"):]
    table = table[:table.index("};")]
    return [bytes(m, "latin-1").decode("unicode_escape") for m in re.findall(r'"((?:[^"\\]|\\.)*)"', table)]


TOKENS = read_tokens()
assert len(TOKENS) == 128

PROSE = ("you are in the a dark cave with walls of old stone and there is a "
         "narrow passage to the north while water drips from above you can see "
         "nothing but shadows here the air is cold and damp it is quiet apart "
         "from your own steps an iron door stands open to the east beyond it "
         "lies a hall full of dust and broken furniture someone has been here "
         "before you left a lamp on the floor and a note that you can't read "
         "The path goes on towards the river You hear a distant bell ringing "
         "above the forest is thick and green with trees that reach the sky").split()


def prose(rng, length):
    """English-like text of about length characters, as one string."""
    words = []
    n = 0
    while n < length:
        w = rng.choice(PROSE)
        words.append(w)
        n += len(w) + 1
    text = " ".join(words)[:length].rstrip()
    return text[0].upper() + text[1:] + "."


def wrap(text, width=64):
    """Splits text into source lines of at most width characters, at blanks;
    the lines join again with one blank each, as the compiler joins them."""
    lines, line = [], ""
    for w in text.split(" "):
        if line and len(line) + 1 + len(w) > width:
            lines.append(line)
            line = w
        else:
            line = w if not line else line + " " + w
    lines.append(line)
    return lines


def stored_length(lines):
    """Bytes a text takes in the database: its characters, one join space
    between non-empty lines, a 13 for every empty line, the terminator."""
    n, join = 1, False
    for line in lines:
        if line == "":
            n += 1
            join = False
        else:
            n += len(line) + (1 if join else 0)
            join = True
    return n


def text_bytes(lines):
    out, join = bytearray(), False
    for line in lines:
        if line == "":
            out.append(13)
            join = False
        else:
            if join:
                out.append(32)
            out += line.encode("ascii")
            join = True
    return out


def compressed_saving(lines):
    """Bytes saved by the token substitution on one text."""
    text = text_bytes(lines)
    before = len(text)
    for i, tok in enumerate(TOKENS):
        t = tok.encode("ascii")
        out, k = bytearray(), 0
        while k + len(t) <= len(text):
            if text[k:k + len(t)] == t:
                out.append(128 + i)
                k += len(t)
            else:
                out.append(text[k])
                k += 1
        out += text[k:]
        text = out
    return before - len(text)


# ---------------------------------------------------------------- vocabulary

CONSONANTS = "BCDFGHJKLMNPRSTVWZ"
VOWELS = "AEIOU"
TYPES = ["VERB", "NOUN", "ADJECTIVE", "ADVERB", "PREPOSITION", "CONJUNCTION", "PRONOUN"]


def make_words(count, rng):
    """count distinct five-character words, first letters spread over A to Z."""
    seen, words = set(), []
    letters = "ABCDEFGHIJKLMNOPRSTUVWY"
    while len(words) < count:
        w = (rng.choice(letters) + rng.choice(CONSONANTS + VOWELS) + rng.choice(VOWELS) +
             rng.choice(CONSONANTS) + rng.choice(VOWELS))
        if w not in seen:
            seen.add(w)
            words.append(w)
    return words


class Vocab:
    def __init__(self, count, rng):
        self.lines = []
        self.by_type = {t: [] for t in TYPES}
        self.movement = []  # verbs, and nouns below 20
        for i, w in enumerate(make_words(count, rng)):
            kind = TYPES[[0, 1, 1, 1, 2, 2, 3, 4, 5, 6][i % 10]]
            number = i % 254 + 1
            self.by_type[kind].append(w)
            if kind == "VERB" or (kind == "NOUN" and number < 20):
                self.movement.append(w)
            spelt = w
            if i % 7 == 0:
                spelt = w.lower()
            elif i % 11 == 0:
                spelt = w + "ING"  # cut to five characters
            line = f"{spelt} {number} {kind}"
            if i % 13 == 0:
                line += " ; a word of the game"
            self.lines.append(line)

    def section(self):
        return ["/VOC"] + self.lines


# -------------------------------------------------------------- the sections

def text_section(name, texts):
    out = [name]
    for n, lines in enumerate(texts):
        out.append(f"/{n}")
        out.extend(lines)
    return out


def control():
    return ["; generated benchmark adventure", "/CTL", NULL]


def connections(rng, vocab, nloc, exits=4):
    lines, size = ["/CON"], 0
    for loc in range(nloc):
        lines.append(f"/{loc}")
        for _ in range(exits):
            lines.append(f"{rng.choice(vocab.movement)} {rng.randrange(nloc)}")
        size += 2 * exits + 1 + 2
    return lines, size


def objects(rng, vocab, nobj, nloc):
    lines = ["/OBJ"]
    nouns, adjs = vocab.by_type["NOUN"], vocab.by_type["ADJECTIVE"]
    containers = []
    for n in range(nobj):
        wear = n % 5 == 0
        cont = n < nloc and n % 3 == 0
        if cont:
            containers.append(n)
        where = ["CARRIED", str(rng.randrange(nloc)), NULL, "WORN" if wear else "254"][n % 4]
        noun = rng.choice(nouns) if n % 9 else NULL
        adj = rng.choice(adjs) if noun != NULL and n % 2 else NULL
        lines.append(f"/{n} {where} {n % 64} {'Y' if cont else NULL} {'Y' if wear else NULL} {noun} {adj}")
    size = 2 * nobj + nobj + nobj + 1
    return lines, size, containers


class Entries:
    """Process entries with valid conditions and actions."""

    def __init__(self, rng, vocab, counts, containers):
        self.rng, self.v = rng, vocab
        self.nsys, self.nmes, self.nobj, self.nloc = counts
        self.containers = containers

    def action(self):
        r, v = self.rng, self.v
        choices = [
            (f"AT {r.randrange(self.nloc)}", 2), (f"PRESENT {r.randrange(self.nobj)}", 2),
            (f"CARRIED {r.randrange(self.nobj)}", 2), (f"CHANCE {r.randrange(1, 100)}", 2),
            (f"ZERO {r.randrange(256)}", 2), (f"EQ {r.randrange(256)} {r.randrange(256)}", 3),
            (f"ADJECT1 {r.choice(v.by_type['ADJECTIVE'])}", 2), (f"ADVERB {r.choice(v.by_type['ADVERB'])}", 2),
            (f"MESSAGE {r.randrange(self.nmes)}", 2), (f"SYSMESS {r.randrange(self.nsys)}", 2),
            (f"GET {r.randrange(self.nobj)}", 2), (f"DROP {r.randrange(self.nobj)}", 2),
            (f"PLACE {r.randrange(self.nobj)} {r.choice(['HERE', 'carried', 'WORN', NULL, '7'])}", 3),
            (f"SET {r.randrange(39, 256)}", 2), (f"LET {r.randrange(39, 256)} {r.randrange(256)}", 3),
            (f"PUTIN {r.randrange(self.nobj)} {r.choice(self.containers)}", 3),
            (f"GOTO {r.randrange(self.nloc)}", 2), (f"PREP {r.choice(v.by_type['PREPOSITION'])}", 2),
            (f"NOUN2 {r.choice(v.by_type['NOUN'])}", 2), (f"DOALL {r.choice(['HERE', '3'])}", 2),
            ("DESC", 1), ("DONE", 1), ("OK", 1), ("NEWLINE", 1),
        ]
        return r.choice(choices)

    def entry(self, lines_wanted):
        """Source lines of one entry and the bytes it takes (record included)."""
        r, v = self.rng, self.v
        verb = r.choice(v.movement + [NULL])
        noun = r.choice(v.by_type["NOUN"] + [NULL])
        text, size = self.action()
        lines = [f"{verb} {noun} {text}"]
        for _ in range(lines_wanted - 1):
            text, n = self.action()
            lines.append(f"  {text}" + ("  ; why not" if r.random() < 0.1 else ""))
            size += n
        return lines, size + 1 + 4


def process_tables(entries, ntables, budget, full_tables, per_table_rest):
    """Tables 0 to ntables - 1: the first full_tables with 129 entries, the
    others with per_table_rest entries; table 0 names the last table so that
    all of them are required. Stops filling when the budget is used up."""
    tables = [[] for _ in range(ntables)]
    size = 4 * ntables  # zero word and offset of every table
    tables[0].append([f"{NULL} {NULL} PROCESS {ntables - 1}"])
    size += 2 + 1 + 4
    for t in range(ntables):
        want = 129 if t < full_tables else per_table_rest
        while len(tables[t]) < want:
            lines, n = entries.entry(1 + entries.rng.randrange(3))
            if size + n > budget:
                break
            tables[t].append(lines)
            size += n
    return tables, size


def table_lines(tables):
    out = []
    for t, entries in enumerate(tables):
        out.append(f"/PRO {t}")
        for n, lines in enumerate(entries):
            out.extend(lines)
            if n % 10 == 9:
                out.append("")  # blank lines pass between entries
    return out


def write(path, lines):
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines))
        f.write("\n")


# -------------------------------------------------------------- workload (a)

def workload_a(out):
    rng = random.Random(9)
    vocab = Vocab(VOCAB_CAPACITY, rng)
    room = WORK_AREA - (VOCAB_CAPACITY + 1) * 7  # 516: the longest text is room - 1 bytes
    nsys, nmes, nobj, nloc = 255, 255, 255, 252

    def texts(count, longest):
        result = []
        for n in range(count):
            length = 509 if n < longest else rng.randrange(8, 30)
            lines = wrap(prose(rng, length))
            if n % 17 == 0 and len(lines) > 1:
                lines.insert(1, "")
            result.append(lines)
        return result

    sections = {"/STX": texts(nsys, 4), "/MTX": texts(nmes, 4), "/OTX": texts(nobj, 2), "/LTX": texts(nloc, 4)}
    con, con_size = connections(rng, vocab, nloc)
    obj, obj_size, containers = objects(rng, vocab, nobj, nloc)
    fixed = 32 + 7 * VOCAB_CAPACITY + 1 + con_size + obj_size
    text_size = sum(stored_length(t) + 2 for s in sections.values() for t in s)
    entries = Entries(rng, vocab, (nsys, nmes, nobj, nloc), containers)
    slack = 40  # left for the final adjustment of the texts
    tables, pro_size = process_tables(entries, 255, DB_LIMIT - fixed - text_size - slack, 10, 2)
    total = fixed + text_size + pro_size

    # Lengthen short texts of the location section one character at a time
    # until the database is exactly DB_LIMIT bytes long.
    ltx = sections["/LTX"]
    k = 10
    while total < DB_LIMIT:
        lines = ltx[k % len(ltx)]
        if stored_length(lines) < room - 1:
            lines[-1] = lines[-1][:-1] + "s."
            total += 1
        k += 1
    assert total == DB_LIMIT, total
    assert all(stored_length(t) <= room for s in sections.values() for t in s)

    def source(extra_entry):
        lines = control() + vocab.section()
        for name, texts_ in sections.items():
            lines += text_section(name, texts_)
        lines += con + obj
        t = [list(e) for e in tables]
        if extra_entry:
            t[-1] = t[-1] + [extra_entry]
        lines += table_lines(t)
        return lines

    os.makedirs(os.path.join(out, "a"), exist_ok=True)
    write(os.path.join(out, "a", "MAXVALID.SCE"), source(None))

    # The variant: one more entry of three-byte actions, enough to pass the
    # limit even after compression has saved what it can.
    saving = sum(compressed_saving(t) for name in ("/STX", "/MTX", "/LTX") for t in sections[name])
    compressed_total = total + 309 - saving
    need = DB_LIMIT + 1 - compressed_total
    actions = max(1, (need - 1 - 4 - 1 + 2) // 3 + 1)
    extra = [f"{NULL} {NULL} LET 100 1"] + [f"  LET {100 + i % 100} {i % 256}" for i in range(1, actions)]
    os.makedirs(os.path.join(out, "a54"), exist_ok=True)
    write(os.path.join(out, "a54", "TOOBIG.SCE"), source(extra))
    return total, compressed_total


# -------------------------------------------------------------- workload (b)

SMALL_VOCAB = ["NORTH 2 NOUN", "N 2 NOUN", "SOUTH 3 NOUN", "S 3 NOUN", "EAST 4 NOUN", "E 4 NOUN",
               "WEST 5 NOUN", "W 5 NOUN", "GET 20 VERB", "DROP 21 VERB", "LOOK 22 VERB",
               "LAMP 30 NOUN", "BOX 31 NOUN", "KEY 32 NOUN", "SMALL 40 ADJECTIVE", "RUSTY 41 ADJECTIVE",
               "QUICK 50 ADVERB", "INTO 60 PREPOSITION"]


def comment(rng):
    return "; " + prose(rng, rng.randrange(30, 110))


def workload_b(out, megabytes, files=10):
    rng = random.Random(2)
    room = WORK_AREA - (len(SMALL_VOCAB) + 1) * 7
    target = megabytes * 1000 * 1000
    counts = {"/STX": 255, "/MTX": 255, "/OTX": 255, "/LTX": 252}
    ntexts = sum(counts.values())
    # Every text stops short of the room one text may take; comment lines
    # between the text lines make up the rest of the size.
    per_text = min(room - 200, target // 2 // ntexts)
    comment_share = max(1, round((target - ntexts * per_text) / (ntexts * per_text) * 66 / 76) - 1)
    paragraphs = [wrap(prose(rng, 2000), 70) for _ in range(8)]
    comments = [comment(rng) for _ in range(64)]

    base = os.path.join(out, "b")
    os.makedirs(base, exist_ok=True)
    for old in os.listdir(base):
        os.remove(os.path.join(base, old))
    per_file = target // files
    state = {"file": 0, "size": 0, "total": 0, "f": None}

    def open_file(n):
        name = "HUGE.SCE" if n == 0 else f"HUGE{n}.SCE"
        state["f"] = open(os.path.join(base, name), "w", encoding="ascii", newline="\n")
        state["size"] = 0

    def emit(line):
        if state["size"] >= per_file:
            state["file"] += 1
            state["f"].write(f"/LNK huge{state['file']}\n")
            state["f"].close()
            open_file(state["file"])
        state["f"].write(line + "\n")
        state["size"] += len(line) + 1
        state["total"] += len(line) + 1

    open_file(0)
    for line in control() + ["/VOC"] + SMALL_VOCAB:
        emit(line)
    k = 0
    for name, count in counts.items():
        emit(name)
        for n in range(count):
            emit(f"/{n}")
            stored = 0
            while stored + 80 < per_text:
                for line in paragraphs[k % len(paragraphs)]:
                    if stored + len(line) + 1 >= per_text:
                        break
                    emit(line)
                    stored += len(line) + 1
                    for _ in range(comment_share):
                        emit(comments[rng.randrange(len(comments))])
                k += 1
                emit("")
                stored += 1
    emit("/CON")
    for loc in range(252):
        emit(f"/{loc}")
        emit(f"N {(loc + 1) % 252}")
        emit(f"S {(loc + 251) % 252}")
    emit("/OBJ")
    for n in range(255):
        emit(f"/{n} {n % 252} {n % 64} _ _ LAMP _")
    for line in ["/PRO 0", "_ _ DESC", "/PRO 1", "GET LAMP GET 0", " OK", "/PRO 2", "LOOK _ DESC"]:
        emit(line)
    # Comments up to the size asked for: they end the last process table.
    while state["total"] < target:
        emit(comments[rng.randrange(len(comments))])
    state["f"].close()
    return sum(os.path.getsize(os.path.join(base, name)) for name in os.listdir(base))


# -------------------------------------------------------------- workload (c)

def workload_c(out, errors):
    rng = random.Random(3)
    lines = control() + ["/VOC"] + SMALL_VOCAB
    lines += text_section("/STX", [[f"System message {n}."] for n in range(61)])
    lines += text_section("/MTX", [["Hello."]])
    lines += text_section("/OTX", [["A lamp."], ["A small box."]])
    lines += text_section("/LTX", [["You are in the hall."], ["You are outside."]])
    # Every exit line and every entry line below holds exactly one fault.
    bad_exits = ["N 9", "LAMP 1", "PLUGH 1", "N 1 2", "N", "N HERE", "SMALL 0", "N! 1"]
    bad_entries = ["_ _ AT 9", "_ _ FROB", "PLUGH _ DESC", "_ _ DONE 5", "_ _ CHANCE 100",
                   "_ _ MESSAGE 7", "LAMP LAMP DESC", "_ GET DESC", "_ _ SET 38", "_ _ PUTIN 0 0",
                   "_ _ PROCESS 1", "_ _ GET", "_ _"]
    third = errors // 3
    lines += ["/CON", "/0"] + [bad_exits[i % len(bad_exits)] for i in range(third)] + ["/1", "S 0"]
    lines += ["/OBJ", "/0 0 5 _ _ LAMP _", "/1 CARRIED 10 Y _ BOX SMALL"]
    lines += ["/PRO 0"]
    # A failed entry ends at the next line that does not begin with a blank,
    # so every line is an entry of its own.
    lines += [bad_entries[i % len(bad_entries)] for i in range(errors - third)]
    lines += ["/PRO 1", "/PRO 2"]
    os.makedirs(os.path.join(out, "c"), exist_ok=True)
    write(os.path.join(out, "c", "ERRORS.SCE"), lines)


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("out", help="directory to write the workloads into")
    p.add_argument("--mb", type=int, default=200, help="size of workload (b) in megabytes")
    p.add_argument("--errors", type=int, default=600000, help="error lines of workload (c)")
    p.add_argument("--only", choices=["a", "b", "c"], action="append", help="generate only these")
    args = p.parse_args()
    only = set(args.only or ["a", "b", "c"])
    os.makedirs(args.out, exist_ok=True)
    if "a" in only:
        plain, compressed = workload_a(args.out)
        print(f"a: database {plain} bytes ({compressed} compressed); a54 passes the limit", file=sys.stderr)
    if "b" in only:
        print(f"b: {workload_b(args.out, args.mb)} bytes of source", file=sys.stderr)
    if "c" in only:
        workload_c(args.out, args.errors)
        print(f"c: {args.errors} error lines", file=sys.stderr)


if __name__ == "__main__":
    main()
