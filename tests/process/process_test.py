#!/usr/bin/env python3
"""Runs the built zelc and zeltool as processes, for what only a process
shows: exit statuses, what goes to standard output and what to standard
error, help and version, output to a full device or a terminal, the files a
command leaves.

Every case runs in a fresh folder holding the example's sources.
"""
import argparse
import os
import pty
import re
import resource
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from collections import namedtuple

Case = namedtuple("Case", "name argv status stdout stderr prepare check full unprivileged no_room file_limit",
                  defaults=(None, None, False, False, False, None))


def no_room_for_files():
    """Every write to a file fails (EFBIG), as on a disk that is full."""
    signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    resource.setrlimit(resource.RLIMIT_FSIZE, (0, 0))


def file_size_limit(size):
    """As `ulimit -f`: a write past size bytes raises SIGXFSZ."""
    return lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (size, size))


def files_of(folder):
    """Every file under folder with its bytes, by path (what is no regular
    file by where it leads)."""
    return {os.path.relpath(os.path.join(root, n), folder):
            read(root, n) if os.path.isfile(os.path.join(root, n)) else os.path.realpath(os.path.join(root, n))
            for root, _, names in os.walk(folder) for n in names}


def read(*path):
    with open(os.path.join(*path), "rb") as f:
        return f.read()


def compiled(d, run):
    run(["zelc", "BEACON"])


def bad_build_setup(d, run):
    for name, text in (("BAD.SCE", "/CTL\n_\n/VOC\nfoo\n"), ("BAD.ZDB", "old"), ("BAD.$$$", "old temporary")):
        with open(os.path.join(d, name), "w") as f:
            f.write(text)


def lower_case_source(d, run):
    """BEACON.ZDB beside its source, named beacon.sce."""
    compiled(d, run)
    os.rename(os.path.join(d, "BEACON.SCE"), os.path.join(d, "beacon.sce"))


def unreadable(d, run):
    os.chmod(d, 0o755)
    os.chmod(os.path.join(d, "BEACON.SCE"), 0)


def zeros(size):
    """Prepares BIG.ZDB: size zero bytes."""
    def prepare(d, run):
        with open(os.path.join(d, "BIG.ZDB"), "wb") as f:
            f.write(bytes(size))
    return prepare


def linked_temporary(d, run):
    """BEACON.$$$, left by an earlier run, is a link to a file of the author's."""
    with open(os.path.join(d, "KEEP"), "w") as f:
        f.write("kept")
    os.symlink("KEEP", os.path.join(d, "BEACON.$$$"))


def sources_that_never_end(d, run):
    """Beside the example: a FIFO, a link to /dev/zero, and an adventure
    whose /LNK chain reaches a FIFO."""
    os.mkfifo(os.path.join(d, "AAA.SCE"))
    os.symlink("/dev/zero", os.path.join(d, "AAB.SCE"))
    with open(os.path.join(d, "AAC.SCE"), "w") as f:
        f.write("/CTL\n_\n/LNK AAA\n")


def special_sources(d, run):
    """GAME.SCE is a link to /dev/zero, FIFO.SCE a FIFO."""
    os.symlink("/dev/zero", os.path.join(d, "GAME.SCE"))
    os.mkfifo(os.path.join(d, "FIFO.SCE"))


def abandoned_temporaries(d, run):
    """Temporary files of builds of processes that no longer run (no pid is
    that high), of one that runs (pid 1), of another adventure, and names that hold no pid."""
    for name in ("BEACON.$$$.999999999", "BEACON.$$$.999999999-2", "BEACON.$$$.1", "BEACON2.$$$.999999999",
                 "BEACON.$$$.9x", "BEACON.$$$.9-x"):
        open(os.path.join(d, name), "w").close()


def endless_regular(path, start=b""):
    """A regular file of 64 GiB that takes no room: start, then zeros."""
    with open(path, "wb") as f:
        f.write(start)
        f.truncate(1 << 36)


def unchanged(d, before):
    return files_of(d) == before


def dry_run_first(argv):
    """Keeps the diff that the same edit with --dry-run prints, as EDIT.DIFF."""
    def prepare(d, run):
        with open(os.path.join(d, "EDIT.DIFF"), "wb") as f:
            f.write(run(argv + ["--dry-run"]).stdout)
    return prepare


def as_the_dry_run_said(d, before):
    """The files are what the dry run's diff makes of the files before."""
    copy = tempfile.mkdtemp(prefix="zelprocess.")
    try:
        for name, data in before.items():
            with open(os.path.join(copy, name), "wb") as f:
                f.write(data)
        applied = subprocess.run(["patch", "-s", "-p1", "-i", "EDIT.DIFF"], cwd=copy).returncode == 0
        return applied and files_of(copy) == files_of(d) and files_of(d) != before
    finally:
        shutil.rmtree(copy, ignore_errors=True)


def new_adventure_written(*names):
    return lambda d, before: all(n in files_of(d) and n not in before for n in names)


def cases(regression):
    usage = r"^usage: zeltool COMMAND"
    return [
        Case("zelc compiles", ["zelc", "BEACON"], 0, r"^\nZEL COMPILER V2\.3\n(.|\n)*\*\*\* Compilation ends OK\n$", "",
             check=lambda d, b: "BEACON.ZDB" in files_of(d)),
        Case("zelc replaces a linked temporary file", ["zelc", "BEACON"], 0, r"Compilation ends OK", "",
             prepare=linked_temporary,
             check=lambda d, b: read(d, "KEEP") == b"kept" and not os.path.islink(os.path.join(d, "BEACON.ZDB"))),
        Case("zelc without a name", ["zelc"], 0, r"\*\*\* Compilation ends with 1 ERROR\n$", r"^Invalid File Name\n$"),
        Case("zelc unreadable source", ["zelc", "BEACON"], 0, r"\*\*\* ERROR 55 - Failure to read BEACON\.SCE\n", "",
             prepare=unreadable, unprivileged=True),
        Case("help", ["zeltool", "--help"], 0, usage, ""),
        Case("help command", ["zeltool", "help"], 0, usage, ""),
        Case("help of a command", ["zeltool", "help", "build"], 0, r"^usage: zeltool build NAME", ""),
        Case("command --help", ["zeltool", "check", "--help"], 0, r"^usage: zeltool check NAME", ""),
        Case("version", ["zeltool", "--version"], 0, r"^zeltool \d+\.\d+(\.\d+)*\n$", ""),
        Case("no command", ["zeltool"], 2, r"^$", usage),
        Case("unknown command", ["zeltool", "frobnicate"], 2, r"^$", r"^zeltool: unknown command frobnicate\n" + usage[1:]),
        Case("unknown option", ["zeltool", "--frobnicate"], 2, r"^$", r"^zeltool: unknown option --frobnicate\n"),
        Case("unknown option of a command", ["zeltool", "dump", "--frobnicate", "BEACON.ZDB"], 2, r"^$",
             r"^usage: zeltool dump"),
        Case("dump to a full device", ["zeltool", "dump", "BEACON.ZDB"], 1, None,
             r"^zeltool: cannot write standard output: No space left on device\n$", prepare=compiled,
             full=True),
        Case("map to a full device", ["zeltool", "map", "BEACON.ZDB"], 1, None, r"cannot write standard output",
             prepare=compiled, full=True),
        Case("check to a full device", ["zeltool", "check", "BEACON"], 1, None, r"cannot write standard output",
             full=True),
        Case("check a source file name", ["zeltool", "check", "./beacon.sce"], 0, r"^\*\*\* Compilation ends OK\n$", ""),
        Case("check unreadable source", ["zeltool", "check", "BEACON"], 1,
             r"^BEACON\.SCE: error 55: Failure to read BEACON\.SCE\n", "", prepare=unreadable, unprivileged=True),
        Case("build", ["zeltool", "build", "BEACON", "C"], 0, r"^\*\*\* Compilation ends OK\n$", "",
             check=lambda d, b: files_of(d).get("BEACON.ZDB") == read(regression, "BEACON-C.ZDB")),
        Case("build with N writes nothing", ["zeltool", "build", "BEACON.SCE", "N"], 0, r"Compilation ends OK", "",
             check=unchanged),
        Case("zelc past the file size limit reports a full disk", ["zelc", "BEACON"], 0,
             r"\*\*\* ERROR 38 - Disk full\nDatabase is \d+ bytes long\n\*\*\* Compilation ends with 1 ERROR\n$", "",
             file_limit=4096, check=lambda d, b: set(files_of(d)) - set(b) == {"BEACON.$$$"}),
        Case("build past the file size limit leaves the folder as it was", ["zeltool", "build", "BEACON"], 1,
             r"^BEACON\.SCE: error 38: Disk full\n", "", file_limit=4096, check=unchanged),
        Case("build removes the temporary files of builds that no longer run", ["zeltool", "build", "BEACON"], 0,
             r"Compilation ends OK", "", prepare=abandoned_temporaries,
             check=lambda d, b: {n for n in files_of(d) if ".$$$" in n or n.endswith(".ZDB")} ==
             {"BEACON.$$$.1", "BEACON2.$$$.999999999", "BEACON.$$$.9x", "BEACON.$$$.9-x", "BEACON.ZDB"}),
        Case("failed build", ["zeltool", "build", "BAD"], 1,
             r"^BAD\.SCE:4:4: error 2: .*\n(.|\n)*\*\*\* Compilation ends with 2 ERRORS\n$", "", prepare=bad_build_setup,
             check=unchanged),
        Case("failed build in json", ["zeltool", "build", "BAD", "--format=json"], 1, r'"errors": 2,', "",
             prepare=bad_build_setup, check=unchanged),
        Case("lint writes nothing", ["zeltool", "lint", "beacon.sce", "C", "-Wall"], 0, r"^$", "", check=unchanged),
        Case("lint of a source with errors", ["zeltool", "lint", "BAD"], 1, r"^BAD\.SCE:4:4: error 2: ", "",
             prepare=bad_build_setup, check=unchanged),
        Case("lint with an unknown code", ["zeltool", "lint", "BEACON", "-Wnonsense"], 2, r"^$",
             r"^zeltool lint: unknown code or group 'nonsense' after -W\nusage: zeltool lint"),
        Case("stats writes nothing", ["zeltool", "stats", "BEACON", "C"], 0, r"^BEACON: 10814 bytes, compressed\n", "",
             check=unchanged),
        Case("check of a missing source names it in upper case", ["zeltool", "check", "area"], 1,
             r"^AREA\.SCE: error 37: AREA\.SCE not found\n", ""),
        Case("check of a missing source cuts its name to eight characters", ["zeltool", "check", "areaslong"], 1,
             r"^AREASLON\.SCE: error 37: AREASLON\.SCE not found\n", ""),
        Case("check refuses an option of three dashes", ["zeltool", "check", "---x", "BEACON"], 2, r"^$",
             r"^zeltool check: unknown option ---x\n"),
        Case("stats of a whole database has nothing unaccounted", ["zeltool", "stats", "BEACON"], 0,
             r"^(?!(.|\n)*unaccounted)BEACON: ", ""),
        Case("stats of a linked file", ["zeltool", "stats", "BEACON2"], 0, r"^BEACON2: \d+ bytes\n",
             r"using BEACON\.SCE, whose /LNK chain reaches it"),
        Case("check of a linked file passes over sources that never end", ["zeltool", "check", "BEACON2"], 0,
             r"^\*\*\* Compilation ends OK\n$", r"using BEACON\.SCE, whose /LNK chain reaches it",
             prepare=sources_that_never_end),
        Case("check refuses a source that is a device", ["zeltool", "check", "GAME"], 1,
             r"^GAME\.SCE: error 55: .*\nGAME\.SCE: note: GAME\.SCE is not a regular file", "", prepare=special_sources),
        Case("lint refuses a source that is a FIFO", ["zeltool", "lint", "FIFO"], 1,
             r"^FIFO\.SCE: error 55: .*\nFIFO\.SCE: note: FIFO\.SCE is not a regular file", "",
             prepare=special_sources, check=unchanged),
        Case("stats to a full device", ["zeltool", "stats", "BEACON"], 1, None, r"cannot write standard output",
             full=True),
        Case("map of a source writes nothing", ["zeltool", "map", "BEACON", "--objects"], 0, r'^digraph "BEACON" \{\n',
             "", check=unchanged),
        Case("dump reads a file as large as a database can be", ["zeltool", "dump", "BIG.ZDB"], 1, r"^$",
             r"the format word is 0 instead of 512", prepare=zeros(65536)),
        Case("dump refuses a larger file unread", ["zeltool", "dump", "BIG.ZDB"], 1, r"^$",
             r"larger than any database can be", prepare=zeros(65537)),
        # Standard input ends before an exit: status 1, but no complaint about the option.
        Case("lsp accepts --stdio", ["zeltool", "lsp", "--stdio"], 1, r"^$", ""),
        Case("decompile keeps a source", ["zeltool", "decompile", "BEACON.ZDB"], 1, r"^$",
             r"^zeltool: BEACON\.SCE exists; nothing written", prepare=compiled, check=unchanged),
        Case("decompile keeps a source named in another case", ["zeltool", "decompile", "BEACON.ZDB"], 1, r"^$",
             r"^zeltool: \./beacon\.sce exists; nothing written", prepare=lower_case_source, check=unchanged),
        Case("decompile with an unknown option", ["zeltool", "decompile", "-z"], 2, r"^$", r"^usage: zeltool decompile"),
        Case("decompile --force", ["zeltool", "decompile", "--force", "BEACON.ZDB"], 0, r"^Wrote BEACON\.SCE\n", "",
             prepare=compiled),
        Case("decompile --force replaces a source named in another case",
             ["zeltool", "decompile", "--force", "BEACON.ZDB"], 0, r"^Wrote \./beacon\.sce\n", "",
             prepare=lower_case_source,
             check=lambda d, b: {n for n in files_of(d) if n.upper() == "BEACON.SCE"} == {"beacon.sce"}),
        Case("decompile --force with no room", ["zeltool", "decompile", "--force", "BEACON.ZDB"], 1, r"^$",
             r"^zeltool: cannot write BEACON\.SCE: File too large\n$", prepare=compiled, no_room=True),
        Case("renumber --dry-run writes nothing", ["zeltool", "renumber", "BEACON", "message", "12", "5", "--dry-run"],
             0, r"^--- a/BEACON2\.SCE\n\+\+\+ b/BEACON2\.SCE\n@@ -31,23 \+31,23 @@\n(.|\n)*\+\+\+ b/BEACON3\.SCE\n",
             r"^zeltool renumber: message 12 is now 5; 5 to 11 are now 6 to 12; 8 references in 1 file "
             r"\(nothing written: --dry-run\)\n$", check=unchanged),
        Case("renumber as its dry run said", ["zeltool", "renumber", "BEACON", "message", "12", "5"], 0,
             r"^BEACON2\.SCE: changed\nBEACON3\.SCE: changed\nmessage 12 is now 5; 5 to 11 are now 6 to 12; "
             r"8 references in 1 file\n$", "", prepare=dry_run_first(["zeltool", "renumber", "BEACON", "message", "12", "5"]),
             check=as_the_dry_run_said),
        Case("insert says what the new item needs", ["zeltool", "insert", "beacon2", "object", "18"], 0,
             r"^BEACON2\.SCE: changed\nnew object 18, after the last; no references\n"
             r"BEACON2\.SCE:\d+:1: to do: the text of object 18 is empty: write it below this line\n"
             r"BEACON2\.SCE:\d+:1: to do: object 18 is new: set its noun", r"using BEACON\.SCE",
             prepare=sources_that_never_end),
        Case("rename", ["zeltool", "rename", "BEACON", "lantern", "LAMPLIGHT"], 0,
             r"^BEACON\.SCE: changed\nBEACON2\.SCE: changed\nLANTERN \(noun 70\) is now LAMPLIGHT; 2 uses in 1 file\n$", ""),
        Case("delete refused while used", ["zeltool", "delete", "BEACON", "message", "5"], 1, r"^$",
             r"^zeltool delete: refused: message 5 is still used: change these first\n"
             r"BEACON3\.SCE:\d+:22: note: MESSAGE in table 0 names message 5\n$", check=unchanged),
        Case("renumber a source with errors", ["zeltool", "renumber", "BAD", "message", "0", "1"], 1, r"^$",
             r"^zeltool renumber: refused: the source has 2 errors, (.|\n)*\nBAD\.SCE:4:4: note: error 2: ",
             prepare=bad_build_setup, check=unchanged),
        Case("renumber with no room", ["zeltool", "renumber", "BEACON", "message", "12", "5"], 1, r"^$",
             r"^zeltool renumber: cannot write beside .*BEACON2\.SCE: File too large\n$", no_room=True, check=unchanged),
        Case("renumber of an unknown kind", ["zeltool", "renumber", "BEACON", "widget", "1", "2"], 2, r"^$",
             r"^usage: zeltool renumber NAME KIND FROM TO", check=unchanged),
        Case("new", ["zeltool", "new", "game", "new/folder", "--split"], 0,
             r"^Wrote new/folder/GAME\.SCE\nWrote new/folder/GAME2\.SCE\nCompile it with: cd new/folder && zelc GAME\n$",
             "", check=new_adventure_written("new/folder/GAME.SCE", "new/folder/GAME2.SCE")),
        Case("new keeps a source", ["zeltool", "new", "beacon"], 1, r"^$", r"^zeltool: BEACON\.SCE exists; nothing written\n$",
             check=unchanged),
        Case("decompile into a new folder", ["zeltool", "decompile", "BEACON.ZDB", "-o", "new/folder"], 0,
             r"^Wrote new/folder/BEACON\.SCE\n", "", prepare=compiled,
             check=lambda d, b: "new/folder/BEACON.SCE" in files_of(d)),
    ]


def run_case(case, tools, examples, drop):
    d = tempfile.mkdtemp(prefix="zelprocess.")
    try:
        for name in os.listdir(examples):
            if name.endswith(".SCE"):
                shutil.copy(os.path.join(examples, name), d)

        if case.prepare:
            case.prepare(d, lambda argv: subprocess.run([tools[argv[0]]] + argv[1:], cwd=d, capture_output=True))
        before = None if case.unprivileged else files_of(d)
        prefix = drop if case.unprivileged else []
        stdout = open("/dev/full", "w") if case.full else subprocess.PIPE
        try:
            p = subprocess.run(prefix + [tools[case.argv[0]]] + case.argv[1:], cwd=d, stdin=subprocess.DEVNULL,
                               stdout=stdout, stderr=subprocess.PIPE, timeout=60,
                               preexec_fn=no_room_for_files if case.no_room else
                               file_size_limit(case.file_limit) if case.file_limit else None)
        except subprocess.TimeoutExpired:
            return ["did not end within 60 seconds"]
        out = (p.stdout or b"").decode("latin-1")
        # A build with coverage instrumentation complains when another user,
        # or a file size limit, keeps it from writing its counters; that is no
        # output of the program.
        err = "".join(line for line in p.stderr.decode("latin-1").splitlines(True)
                      if not line.startswith(("profiling:", "libgcov profiling error:")))
        faults = []
        if p.returncode != case.status:
            faults.append(f"exit status {p.returncode}, expected {case.status}")
        if case.stdout is not None and not re.search(case.stdout, out):
            faults.append(f"standard output does not match {case.stdout!r}:\n{out[-2000:]}")
        if not re.search(case.stderr or "^$", err):
            faults.append(f"standard error does not match {case.stderr!r}:\n{err[-2000:]}")
        if case.check and not case.check(d, before):
            faults.append("the files afterwards are not what they should be")
        return faults
    finally:
        shutil.rmtree(d, ignore_errors=True)


def progress_on_a_terminal(tools, argv, expected):
    """On a terminal each line must show while the program still runs: the
    source here never ends for zelc (it is /dev/zero), and for zeltool, which
    reads regular files only, lasts 64 GiB (a file with no blocks), so
    nothing else would."""
    d = tempfile.mkdtemp(prefix="zelprocess.")
    master, slave = pty.openpty()
    try:
        if argv[0] == "zelc":
            os.symlink("/dev/zero", os.path.join(d, "BEACON.SCE"))
        else:
            endless_regular(os.path.join(d, "BEACON.SCE"))
        p = subprocess.Popen([tools[argv[0]]] + argv[1:], cwd=d, stdout=slave, stderr=subprocess.DEVNULL)
        seen = b""
        while expected.encode() not in seen and select.select([master], [], [], 10)[0]:
            seen += os.read(master, 4096)
        p.kill()
        p.wait()
        return [] if expected.encode() in seen else [f"{expected!r} did not show; the terminal got {seen[-500:]!r}"]
    finally:
        os.close(master)
        os.close(slave)
        shutil.rmtree(d, ignore_errors=True)


def interrupted_build(tools, signum):
    """A build ended by a signal removes its temporary file, and ends by
    that signal; its source is still being read when the signal comes."""
    d = tempfile.mkdtemp(prefix="zelprocess.")
    try:
        endless_regular(os.path.join(d, "GAME.SCE"), b"/CTL\n_\n")
        # (A shell's background job may start with SIGINT ignored, which the
        # build must respect.)
        p = subprocess.Popen([tools["zeltool"], "build", "GAME"], cwd=d, stdout=subprocess.DEVNULL,
                             preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_DFL))
        for _ in range(100):
            started = sorted(os.listdir(d))
            if len(started) > 1:
                break
            time.sleep(0.1)
        p.send_signal(signum)
        status, left = p.wait(timeout=60), sorted(os.listdir(d))
        ok = status == -signum and len(started) == 2 and left == ["GAME.SCE"]
        return [] if ok else [f"exit status {status}; the folder held {started} while building and {left} after"]
    finally:
        shutil.rmtree(d, ignore_errors=True)


def report(name, faults):
    print(("FAIL " if faults else "ok   ") + name + "".join("\n     " + f for f in faults))
    return bool(faults)


def main():
    parser = argparse.ArgumentParser()
    for option in ("--zelc", "--zeltool", "--examples", "--regression"):
        parser.add_argument(option, required=True)
    parser.add_argument("--without-server", action="store_true", help="zeltool was built without its server")
    args = parser.parse_args()
    tools = {"zelc": os.path.abspath(args.zelc), "zeltool": os.path.abspath(args.zeltool)}
    # A file without permissions is still readable to root: drop to nobody.
    drop = []
    if os.geteuid() == 0:
        drop = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
        if not shutil.which("setpriv") or subprocess.run(drop + ["true"]).returncode != 0:
            drop = None
    failed = 0
    for case in cases(args.regression):
        if case.unprivileged and drop is None:
            print(f"SKIP {case.name}: root cannot drop its privileges here")
            continue
        if args.without_server and case.argv[1:2] == ["lsp"]:
            print(f"SKIP {case.name}: zeltool has no language server")
            continue
        failed += report(case.name, run_case(case, tools, args.examples, drop))
    for argv, expected in ((["zelc", "BEACON"], "Trying to find /CTL"),
                           (["zeltool", "check", "BEACON"], "error 41: /CTL expected")):
        failed += report(" ".join(argv) + " on a terminal", progress_on_a_terminal(tools, argv, expected))
    for signum in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        failed += report(f"build ended by {signal.Signals(signum).name}", interrupted_build(tools, signum))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
