#!/usr/bin/env python3
"""Writes the seed corpus of the language server's fuzz target: the
sessions of real clients kept in fuzz/sessions (fuzz/record-sessions
records them), a session over the linked end-to-end case that asks for
everything at a few places, each a list of message bodies separated by
lines "@@@" (see fuzz/lsp_fuzz.cpp), and one raw stream with broken
framing. The inputs stay small, so that the target runs quickly.

  fuzz/lsp_seeds.py FOLDER
"""
import json
import os
import sys

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def message(method, params, ident=None):
    m = {"jsonrpc": "2.0", "method": method, "params": params}
    if ident is not None:
        m["id"] = ident
    return json.dumps(m)


def session(files):
    """Opens every file, asks for everything at a few places, edits, ends."""
    bodies = [message("initialized", {})]
    for name, text in files:
        bodies.append(message("textDocument/didOpen", {"textDocument": {
            "uri": "mem:/" + name, "languageId": "zel", "version": 1, "text": text}}))
    ident = 1
    for name, text in files:
        doc = {"uri": "mem:/" + name}
        lines = text.split("\n")
        for line in range(0, len(lines), max(1, len(lines) // 2)):
            at = {"line": line, "character": min(len(lines[line]), 5)}
            for method in ("hover", "definition", "completion", "prepareRename", "signatureHelp", "documentHighlight"):
                bodies.append(message("textDocument/" + method, {"textDocument": doc, "position": at}, ident))
                ident += 1
            bodies.append(message("textDocument/rename", {"textDocument": doc, "position": at, "newName": "1"}, ident))
            ident += 1
            bodies.append(message("textDocument/references", {"textDocument": doc, "position": at,
                                                              "context": {"includeDeclaration": True}}, ident))
            ident += 1
        for method in ("documentSymbol", "foldingRange", "semanticTokens/full"):
            bodies.append(message("textDocument/" + method, {"textDocument": doc}, ident))
            ident += 1
        whole = {"start": {"line": 0, "character": 0}, "end": {"line": len(lines), "character": 0}}
        for method in ("inlayHint", "semanticTokens/range"):
            bodies.append(message("textDocument/" + method, {"textDocument": doc, "range": whole}, ident))
            ident += 1
        bodies.append(message("textDocument/codeAction", {"textDocument": doc, "range": whole,
                                                           "context": {"diagnostics": []}}, ident))
        ident += 1
        edited = "\n".join(lines[:len(lines) // 2] + lines[len(lines) // 2 + 1:])
        bodies.append(message("textDocument/didChange", {"textDocument": dict(doc, version=2),
                                                          "contentChanges": [{"text": edited}]}))
    bodies.append(message("workspace/didChangeConfiguration", {"settings": {"zel": {"inlayHints": {"width": 3}}}}))
    bodies.append(message("workspace/symbol", {"query": "a"}, ident))
    ident += 1
    bodies.append(message("shutdown", None, ident))
    bodies.append(message("exit", None))
    return "\n@@@\n".join(bodies)


def read(path):
    with open(path, encoding="latin-1") as f:
        return f.read()


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    case = os.path.join(TOP, "tests", "cases", "adventure-linked", "in")
    linked = [(n, read(os.path.join(case, n))) for n in ("GAME.SCE", "SHORE.SCE", "CAVE.SCE")]
    seeds = {"linked": session(linked)}
    sessions = os.path.join(TOP, "fuzz", "sessions")
    for name in sorted(os.listdir(sessions)):
        seeds["session-" + name] = read(os.path.join(sessions, name))
    seeds["raw"] = ("RAW\nContent-Length: 5\r\n\r\n{\"a\":Content-Length: x\r\n\r\n"
                    "Content-Length: 2\r\n\r\n[]Content-Length: 99999999999\r\n\r\n")
    for name, text in seeds.items():
        with open(os.path.join(out, name), "w", encoding="latin-1") as f:
            f.write(text)
    print(f"{len(seeds)} seeds in {out}")


if __name__ == "__main__":
    main()
