#!/usr/bin/env python3
"""Tokenizes adventure sources with the editor grammars and checks the scopes.

The TextMate grammar is run by a small engine that follows TextMate's rules
for the parts the grammar uses: match and begin/end patterns, includes from
the repository, captures, and the earliest match winning (the end pattern and
then the patterns in order on a tie). The Vim syntax file is checked by Vim
itself, when it is installed.
"""
import argparse
import json
import re
import shutil
import subprocess
import sys
import tempfile

failures = []


def expect(condition, message):
    if not condition:
        failures.append(message)


class Grammar:
    def __init__(self, path):
        with open(path, encoding="utf-8") as f:
            self.rules = json.load(f)
        self.repository = self.rules.get("repository", {})
        self.cache = {}

    def regex(self, source):
        if source not in self.cache:
            self.cache[source] = re.compile(source)
        return self.cache[source]

    def expand(self, patterns):
        for p in patterns:
            if "include" in p:
                yield from self.expand([self.repository[p["include"][1:]]])
            else:
                yield p

    def tokenize(self, lines):
        """Yields (line number, start, end, scopes) for every scoped piece."""
        stack = []  # (rule, compiled end)
        for number, line in enumerate(lines, 1):
            pos = 0
            while pos <= len(line):
                context = stack[-1][0]["patterns"] if stack else self.rules["patterns"]
                best = None  # (start, order, kind, rule, match)
                if stack:
                    m = stack[-1][1].search(line, pos)
                    if m:
                        best = (m.start(), -1, "end", stack[-1][0], m)
                for order, rule in enumerate(self.expand(context)):
                    key = "match" if "match" in rule else "begin"
                    m = self.regex(rule[key]).search(line, pos)
                    if m and (best is None or m.start() < best[0]):
                        best = (m.start(), order, key, rule, m)
                if best is None:
                    break
                _, _, kind, rule, m = best
                outer = [r["name"] for r, _ in stack if "name" in r]
                if kind == "end":
                    stack.pop()
                    yield from self.captured(number, m, rule.get("endCaptures", {}), outer)
                elif kind == "match":
                    names = outer + ([rule["name"]] if "name" in rule else [])
                    if "name" in rule:
                        yield (number, m.start(), m.end(), names)
                    yield from self.captured(number, m, rule.get("captures", {}), names)
                else:
                    names = outer + ([rule["name"]] if "name" in rule else [])
                    yield from self.captured(number, m, rule.get("beginCaptures", {}), names)
                    stack.append((rule, self.regex(rule["end"])))
                if m.end() > pos:
                    pos = m.end()
                elif kind != "end":
                    pos += 1  # an empty match would never move on


    @staticmethod
    def captured(number, m, captures, outer):
        for group, capture in captures.items():
            g = int(group)
            if m.group(g) is not None and "name" in capture:
                yield (number, m.start(g), m.end(g), outer + [capture["name"]])


def scopes_by_position(grammar, lines):
    """Maps (line, column) to the innermost scope of the character there."""
    table = {}
    for number, start, end, names in grammar.tokenize(lines):
        for col in range(start, end):
            table[(number, col)] = names[-1]
    return table


def scope_of(table, lines, number, text):
    col = lines[number - 1].find(text)
    assert col >= 0, f"{text!r} is not on line {number}"
    return table.get((number, col), "")


def read_lines(path):
    with open(path, encoding="latin-1") as f:
        return f.read().split("\n")


# Fixture checks: (line, text, scope the first character of the text gets).
FIXTURE_SCOPES = [
    (1, "; every", "comment.line.semicolon.zel"),
    (2, "/CTL", "keyword.control.section.zel"),
    (3, "_", "constant.character.null-word.zel"),
    (5, "NORTH", "variable.other.word.zel"),
    (5, "2", "constant.numeric.zel"),
    (5, "NOUN", "storage.type.word-type.zel"),
    (6, "verb", "storage.type.word-type.zel"),
    (6, "; take", "comment.line.semicolon.zel"),
    (8, "ADJECTIVE", "storage.type.word-type.zel"),
    (10, "0", "constant.numeric.item-number.zel"),
    (11, "AT the", "string.unquoted.text.zel"),
    (11, "CARRIED", "string.unquoted.text.zel"),
    (12, "; a comment", "comment.line.semicolon.zel"),
    (17, "0", "constant.numeric.item-number.zel"),
    (18, "NORTH", "variable.other.word.zel"),
    (18, "1", "constant.numeric.zel"),
    (18, "; a corridor", "comment.line.semicolon.zel"),
    (19, "/lnk", "keyword.control.import.zel"),
    (19, "part2", "string.unquoted.filename.zel"),
    (20, "/OBJ", "keyword.control.section.zel"),
    (21, "CARRIED", "constant.language.location.zel"),
    (21, "5", "constant.numeric.zel"),
    (22, "/PRO", "keyword.control.section.zel"),
    (22, "1", "constant.numeric.zel"),
    (23, "GET", "variable.other.verb.zel"),
    (23, "LAMP", "variable.other.noun.zel"),
    (23, "PRESENT", "support.function.condact.zel"),
    (23, "0", "constant.numeric.zel"),
    (24, "notcarried", "support.function.condact.zel"),
    (25, "PLACE", "support.function.condact.zel"),
    (25, "HERE", "constant.language.location.zel"),
    (26, "FROB", "invalid.illegal.condact.zel"),
    (27, "CARRY", "variable.other.verb.zel"),
    (27, "CARRIED", "support.function.condact.zel"),
    (27, "; the verb", "comment.line.semicolon.zel"),
]

# The same lines in Vim: (line, text, syntax group).
FIXTURE_VIM = [
    (1, "; every", "zelComment"), (2, "/CTL", "zelHeader"), (3, "_", "zelNullWord"),
    (5, "NORTH", "zelWord"), (5, "2", "zelNumber"), (5, "NOUN", "zelWordType"),
    (6, "; take", "zelTrailingComment"), (11, "AT the", "zelText"), (10, "/0", "zelItemNumber"),
    (19, "/lnk", "zelLink"), (19, "part2", "zelLinkName"), (21, "CARRIED", "zelLocation"), (23, "GET", "zelEntryWords"),
    (23, "PRESENT", "zelCondact"), (24, "notcarried", "zelCondact"), (25, "HERE", "zelLocation"),
    (26, "FROB", "zelProcess"), (27, "CARRY", "zelEntryWords"), (27, "CARRIED", "zelCondact"),
]


def check_fixture(grammar, path):
    lines = read_lines(path)
    table = scopes_by_position(grammar, lines)
    for number, text, scope in FIXTURE_SCOPES:
        got = scope_of(table, lines, number, text)
        expect(got == scope, f"{path}:{number}: {text!r} has scope {got!r}, expected {scope!r}")


def check_source(grammar, path):
    """A source that compiles: every header is a section keyword, every name
    of a condition or action is known, texts are texts."""
    lines = read_lines(path)
    table = scopes_by_position(grammar, lines)
    section = None
    for number, line in enumerate(lines, 1):
        if re.match(r"/[A-Za-z]", line):
            section = line[1:4].upper()
            scope = table.get((number, 0), "")
            expected = "keyword.control.import.zel" if section == "LNK" else "keyword.control.section.zel"
            expect(scope == expected, f"{path}:{number}: header has scope {scope!r}")
        elif line.startswith(";"):
            expect(table.get((number, 0)) == "comment.line.semicolon.zel", f"{path}:{number}: comment not scoped")
        elif section in ("STX", "MTX", "OTX", "LTX") and line and not line.startswith("/"):
            expect(table.get((number, 0)) == "string.unquoted.text.zel", f"{path}:{number}: text not scoped")
        elif section == "PRO":
            # the name of a condition or action: first word of a continuation
            # line, third of an entry header line
            m = re.match(r"[ \t]+([^ \t;])", line) or re.match(r"[^ \t;]+[ \t]+[^ \t;]+[ \t]+([^ \t;])", line)
            if m:
                got = table.get((number, m.start(1)), "")
                expect(got == "support.function.condact.zel", f"{path}:{number}: {line.strip()!r} name has scope {got!r}")
    illegal = [key for key, scope in table.items() if scope.startswith("invalid")]
    expect(not illegal, f"{path}: invalid scopes at {sorted(illegal)[:5]}")


def check_names(grammar, names):
    """Every name of the opcode table, and nothing else, is a condition or
    action; a name of seven characters also with more characters after it."""
    lines = ["/PRO 0"] + [" " + n for n in names] + [" " + n.lower() for n in names]
    lines += [" " + n + "XYZ" for n in names if len(n) == 7]
    others = [" FROB", " 65", " 65 _", " ATX", " NOTCAR", " X" + names[0]]
    table = scopes_by_position(grammar, lines + others)
    for number in range(2, len(lines) + 1):
        expect(table.get((number, 1)) == "support.function.condact.zel", f"{lines[number - 1]!r} is not a name")
    for i, text in enumerate(others, len(lines) + 1):
        expect(table.get((i, 1)) != "support.function.condact.zel", f"{text!r} taken for a name")


def check_vim(vim_file, names, fixture):
    vim = shutil.which("vim")
    if not vim:
        print("vim not installed: Vim syntax not checked")
        return
    probes = [(n, lines_text, group) for n, lines_text, group in FIXTURE_VIM]
    lines = read_lines(fixture)
    with tempfile.TemporaryDirectory() as tmp:
        names_file = f"{tmp}/names.SCE"
        with open(names_file, "w") as f:
            f.write("/PRO 0\n" + "".join(f" {n}\n" for n in names))
        out = f"{tmp}/out"
        script = f"{tmp}/probe.vim"
        cols = [(n, lines[n - 1].find(text) + 1) for n, text, _ in probes]
        with open(script, "w") as f:
            f.write(f"source {vim_file}\nlet r = []\n")
            for n, c in cols:
                f.write(f"call add(r, synIDattr(synID({n}, {c}, 1), 'name'))\n")
            f.write(f"edit {names_file}\nset filetype=\nsource {vim_file}\n")
            for n in range(2, len(names) + 2):
                f.write(f"call add(r, synIDattr(synID({n}, 2, 1), 'name'))\n")
            f.write(f"call writefile(r, '{out}')\nqa!\n")
        subprocess.run([vim, "-Nu", "NONE", "-i", "NONE", "-es", "-c", "syntax on", "-S", script, fixture],
                       check=False, timeout=60, stdin=subprocess.DEVNULL)
        try:
            with open(out) as f:
                got = f.read().split("\n")
        except FileNotFoundError:
            expect(False, "vim produced no result")
            return
    for (n, text, group), g in zip(probes, got):
        expect(g == group, f"vim: {fixture}:{n}: {text!r} is {g!r}, expected {group!r}")
    for name, g in zip(names, got[len(probes):]):
        expect(g == "zelCondact", f"vim: {name!r} is {g!r}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--opnames", required=True)
    parser.add_argument("--textmate", required=True)
    parser.add_argument("--vim", required=True)
    parser.add_argument("sources", nargs="+", help="sources that compile; the last is the fixture")
    args = parser.parse_args()

    names = subprocess.run([args.opnames], check=True, capture_output=True, text=True).stdout.split()
    grammar = Grammar(args.textmate)  # json.load: the grammar is valid JSON
    check_names(grammar, names)
    for source in args.sources[:-1]:
        check_source(grammar, source)
    check_fixture(grammar, args.sources[-1])
    check_vim(args.vim, names, args.sources[-1])
    for f in failures:
        print("FAIL:", f)
    print(f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
