#!/usr/bin/env python3
"""Runs nvim_lsp.lua in a headless Neovim against `zeltool lsp` on a copy of
the example adventure. Exits 77 (skipped) when Neovim is not installed."""
import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile

SKIPPED = 77


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zeltool", required=True)
    parser.add_argument("--examples", required=True, help="directory of BEACON.SCE, BEACON2.SCE and BEACON3.SCE")
    parser.add_argument("--timeout", type=float, default=60)
    args = parser.parse_args()
    nvim = shutil.which("nvim")
    if not nvim:
        print("nvim not installed: the language server is not tried in Neovim")
        return SKIPPED
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "nvim_lsp.lua")
    with tempfile.TemporaryDirectory() as tmp:
        adventure = os.path.join(tmp, "adventure")
        os.mkdir(adventure)
        for name in ("BEACON.SCE", "BEACON2.SCE", "BEACON3.SCE"):
            shutil.copy(os.path.join(args.examples, name), adventure)
        result = os.path.join(tmp, "result")
        # Neovim's configuration, state and the client's log stay in tmp.
        env = dict(os.environ, ZEL_ZELTOOL=os.path.abspath(args.zeltool), ZEL_DIR=adventure, ZEL_RESULT=result,
                   HOME=tmp, XDG_CONFIG_HOME=tmp, XDG_DATA_HOME=tmp, XDG_STATE_HOME=tmp, XDG_CACHE_HOME=tmp)
        command = [nvim, "--headless", "--clean", "-n", "-i", "NONE", "-c", f"luafile {script}"]
        # Its own session, so that a hang is ended together with the server.
        process = subprocess.Popen(command, env=env, cwd=adventure, start_new_session=True,
                                   stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        try:
            output = process.communicate(timeout=args.timeout)[0].decode(errors="replace")
        except subprocess.TimeoutExpired:
            output = f"nvim did not finish within {args.timeout} s\n"
        finally:
            try:  # whatever is left of the session: nvim that hung, a server that did not exit
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            process.wait()
        verdict = open(result).read() if os.path.exists(result) else "no result\n"
        if verdict == "ok\n":
            return 0
        log = os.path.join(tmp, "nvim", "lsp.log")
        sys.stdout.write(verdict + output + (open(log).read() if os.path.exists(log) else ""))
        return 1


if __name__ == "__main__":
    sys.exit(main())
