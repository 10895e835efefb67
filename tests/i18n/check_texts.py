#!/usr/bin/env python3
"""Checks that keep the translations complete.

  check_texts.py SOURCE_DIR translations   every .ts is up to date with the sources
                                           (lupdate into a scratch copy changes
                                           nothing) and every text has a finished
                                           translation that keeps its placeholders
                                           and its access key
  check_texts.py SOURCE_DIR literals       every Japanese string literal of the
                                           program's sources is marked for
                                           translation, but for the allowed few

Prints what is wrong and exits 1; exits 0 when all is well.
"""
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

FOLDERS = ["archive", "image", "pack", "platform", "strip", "tools", "ui"]
JAPANESE = re.compile("[\u3000-\u30ff\u3400-\u9fff\uf900-\ufaff\uff00-\uffef]")
# The calls whose text arguments are translated, by the window or by quelo-pack.
MARKERS = {"tr", "Tr", "translate", "QUELO_TR_NOOP", "QT_TR_NOOP", "QT_TRANSLATE_NOOP"}
# Japanese literals that stay Japanese in every language: (file, text) and why.
ALLOWED = {
    # The caption height is measured on a tall Japanese glyph; never shown.
    ("ui/main/frmMain_Startup.cpp", "文~_"),
    # A language is offered under its own name, so that its reader finds it.
    ("ui/main/frmMain_Commands.cpp", "日本語(&J)"),
}


def placeholders(text):
    return sorted(set(re.findall(r"%[1-9]", text)))


def access_keys(text):
    return re.findall(r"&([^&\s])", text.replace("&&", ""))


def check_translations(root):
    problems = []
    tss = sorted(f for f in os.listdir(os.path.join(root, "translations")) if f.endswith(".ts"))
    if not tss:
        return ["no .ts file in translations/"]
    for name in tss:
        path = os.path.join(root, "translations", name)
        with tempfile.TemporaryDirectory() as scratch:
            copy = os.path.join(scratch, name)
            with open(path, "rb") as f:
                original = f.read()
            with open(copy, "wb") as f:
                f.write(original)
            run = subprocess.run([os.path.join(root, "scripts", "update-translations.sh"), copy],
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
            if run.returncode != 0:
                problems.append("%s: lupdate failed: %s" % (name, run.stdout))
                continue
            with open(copy, "rb") as f:
                updated = f.read()
            if updated != original:
                problems.append("%s is stale: run scripts/update-translations.sh, then translate what is new" % name)
            for context in ET.fromstring(updated).iter("context"):
                where = context.findtext("name")
                for message in context.iter("message"):
                    source = message.findtext("source") or ""
                    translation = message.find("translation")
                    text = translation.text if translation is not None else None
                    kind = translation.get("type") if translation is not None else None
                    if kind in ("vanished", "obsolete"):
                        continue
                    if not text or kind == "unfinished":
                        problems.append("%s: %s: no translation for %r" % (name, where, source))
                        continue
                    if placeholders(text) != placeholders(source):
                        problems.append("%s: %s: %r loses or adds placeholders in %r" % (name, where, source, text))
                    if len(access_keys(source)) != len(access_keys(text)):
                        problems.append("%s: %s: %r and %r differ in access keys" % (name, where, source, text))
    return problems


def literals(code):
    """(position, text, enclosing call name) of every string literal, comments skipped."""
    out, stack, i, n = [], [], 0, len(code)
    while i < n:
        c = code[i]
        if code.startswith("//", i):
            i = code.find("\n", i)
            i = n if i < 0 else i
        elif code.startswith("/*", i):
            i = code.find("*/", i + 2)
            i = n if i < 0 else i + 2
        elif c == "'":
            j = i + 1
            while j < n and code[j] != "'":
                j += 2 if code[j] == "\\" else 1
            i = j + 1
        elif c == '"':
            raw = re.match(r'R"([^(\s]*)\(', code[i - 1:i + 20]) if i > 0 and code[i - 1] == "R" else None
            if raw:
                end = code.find(")" + raw.group(1) + '"', i)
                end = n if end < 0 else end
                out.append((i, code[i + len(raw.group(0)) - 1:end], stack[-1] if stack else None))
                i = end + len(raw.group(1)) + 2
                continue
            j = i + 1
            while j < n and code[j] != '"':
                j += 2 if code[j] == "\\" else 1
            out.append((i, code[i + 1:j], stack[-1] if stack else None))
            i = j + 1
        elif c == "(":
            name = re.search(r"([A-Za-z_][A-Za-z_0-9]*)\s*$", code[max(0, i - 80):i])
            stack.append(name.group(1) if name else "")
            i += 1
        elif c == ")":
            if stack:
                stack.pop()
            i += 1
        else:
            i += 1
    return out


def check_literals(root):
    problems = []
    for folder in FOLDERS:
        for base, _, files in os.walk(os.path.join(root, folder)):
            for f in sorted(files):
                if not f.endswith((".cpp", ".h")):
                    continue
                path = os.path.join(base, f)
                rel = os.path.relpath(path, root).replace(os.sep, "/")
                with open(path, encoding="utf-8") as src:
                    code = src.read()
                for pos, text, call in literals(code):
                    if not JAPANESE.search(text) or call in MARKERS or (rel, text) in ALLOWED:
                        continue
                    line = code.count("\n", 0, pos) + 1
                    problems.append('%s:%d: "%s" is not marked for translation' % (rel, line, text))
    return problems


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in ("translations", "literals"):
        print(__doc__)
        return 2
    root = os.path.abspath(sys.argv[1])
    problems = check_translations(root) if sys.argv[2] == "translations" else check_literals(root)
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
