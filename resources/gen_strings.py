#!/usr/bin/env python3
"""Builds the program's string tables from resources/strings/*.txt.

One source, several outputs, so that the resource script and the test
machine's table cannot drift apart:

  --rc FILE        the four STRINGTABLEs for the resource compiler (UTF-8)
  --cpp FILE       the same tables as C++ data for resources/string_table.h
  --brand FILE     the selected brand group's texts as macros for the
                   version block (FileDescription, legal rights)

Source format (UTF-8), one entry per id:

  language 1033          (the table's language id, or "language all")
  # comment
  101 "About "
  103 "First line.\\n"
      "Continued on an indented line, joined without a separator."

Escapes inside quotes: \\n (line feed), \\" and \\\\. A file with
"language all" adds its entries to every table.
"""

import argparse
import re
import sys

# Language id -> (LANGUAGE statement, ANSI code page of a system in that language).
LANGUAGES = {
    1033: ("LANG_ENGLISH, SUBLANG_ENGLISH_US", "cp1252"),
    1028: ("LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL", "cp950"),
    1041: ("LANG_JAPANESE, SUBLANG_DEFAULT", "cp932"),  # winnt.rh lacks SUBLANG_JAPANESE_JAPAN
    2052: ("LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED", "cp936"),
}

MESSAGE_IDS = [101, 102, 103, 104, 105, 107] + list(range(109, 121)) + list(range(124, 131))
BRAND_IDS = list(range(300, 334))
ALL_IDS = sorted(MESSAGE_IDS + BRAND_IDS)

DEVICE_TOKEN = "#DEV_NAME#"
VERSION_MARKS = (" v.2.02", " 2.02 版")
WEB_PREFIX = "http://www."
# "Explorer " + link + NUL must fit the 128-byte command buffer.
LINK_CAPACITY = 128 - len("Explorer ") - 1


def group_first_ids():
    """First text id of each brand group: generic, then groups 1 to 6 after their label rows."""
    return [300] + [305 + 5 * (k - 1) for k in range(1, 7)]


class SourceError(Exception):
    pass


def unescape(body, where):
    out = []
    i = 0
    while i < len(body):
        c = body[i]
        if c == "\\":
            if i + 1 >= len(body):
                raise SourceError(f"{where}: lone backslash")
            nxt = body[i + 1]
            if nxt == "n":
                out.append("\n")
            elif nxt in "\"\\":
                out.append(nxt)
            else:
                raise SourceError(f"{where}: unknown escape \\{nxt}")
            i += 2
            continue
        if c == '"':
            raise SourceError(f'{where}: write a double quote inside a text as \\"')
        out.append(c)
        i += 1
    return "".join(out)


QUOTED = r'"((?:[^"\\]|\\.)*)"'
ENTRY_RE = re.compile(r"^(\d+)\s+" + QUOTED + r"\s*$")
CONTINUATION_RE = re.compile(r"^\s+" + QUOTED + r"\s*$")
LANGUAGE_RE = re.compile(r"^language\s+(all|\d+)\s*$")


def parse_source(path):
    """Returns (language or None for all, [(id, text, where)])."""
    language = "unset"
    entries = []
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n").rstrip("\r")
            where = f"{path}:{number}"
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            m = LANGUAGE_RE.match(line)
            if m:
                if language != "unset":
                    raise SourceError(f"{where}: second language line")
                language = None if m.group(1) == "all" else int(m.group(1))
                if language is not None and language not in LANGUAGES:
                    raise SourceError(f"{where}: no table for language {language}")
                continue
            if language == "unset":
                raise SourceError(f"{where}: the file must begin with a language line")
            m = ENTRY_RE.match(line)
            if m:
                entries.append([int(m.group(1)), unescape(m.group(2), where), where])
                continue
            m = CONTINUATION_RE.match(line)
            if m and entries:
                entries[-1][1] += unescape(m.group(1), where)
                continue
            raise SourceError(f"{where}: not an entry: {line!r}")
    if language == "unset":
        raise SourceError(f"{path}: no language line")
    return language, [tuple(e) for e in entries]


def build_tables(paths):
    tables = {lang: {} for lang in LANGUAGES}
    for path in paths:
        language, entries = parse_source(path)
        targets = list(LANGUAGES) if language is None else [language]
        for string_id, text, where in entries:
            for lang in targets:
                if string_id in tables[lang]:
                    raise SourceError(f"{where}: id {string_id} given twice for language {lang}")
                tables[lang][string_id] = text
    return tables


def check_tables(tables):
    problems = []
    for lang, table in tables.items():
        missing = sorted(set(ALL_IDS) - set(table))
        extra = sorted(set(table) - set(ALL_IDS))
        if missing:
            problems.append(f"language {lang}: ids missing: {missing}")
        if extra:
            problems.append(f"language {lang}: ids the program does not have: {extra}")
        codepage = LANGUAGES[lang][1]
        for string_id, text in table.items():
            try:
                text.encode(codepage)
            except UnicodeEncodeError as e:
                problems.append(f"language {lang}, id {string_id}: {text[e.start:e.end]!r} "
                                f"has no place in code page {codepage}")
        for first in group_first_ids():
            name, device, about, link = (table.get(first + i, "") for i in range(4))
            where = f"language {lang}, brand group at {first}"
            if DEVICE_TOKEN in device:
                problems.append(f"{where}: the device name holds {DEVICE_TOKEN}")
            head, sep, rights = about.partition("\n\n")
            if not sep or not rights or "\n" in rights or head not in (name + m for m in VERSION_MARKS):
                problems.append(f"{where}: the About text is not the program name, a version mark, "
                                f"a blank line and a rights line")
            if link != "no link" and WEB_PREFIX not in link:
                problems.append(f"{where}: the link is neither 'no link' nor a web address")
            if len(link.encode(codepage)) > LINK_CAPACITY:
                problems.append(f"{where}: the link is longer than {LINK_CAPACITY} bytes")
            if first > 300:
                label = table.get(first - 1, "")
                if not re.fullmatch(r"\.+[^.].*[^.]\.+", label):
                    problems.append(f"{where}: label row {label!r} is not a name between dots")
    if problems:
        raise SourceError("\n".join(problems))


def rc_literal(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '""').replace("\n", "\\n") + '"'


def c_literal(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n") + '"'


HEADER = "// Generated by resources/gen_strings.py from resources/strings; do not edit.\n"


def write_rc(tables, path):
    out = [HEADER, "#pragma code_page(65001)\n"]
    for lang, table in tables.items():
        out.append(f"\nLANGUAGE {LANGUAGES[lang][0]}\nSTRINGTABLE\nBEGIN\n")
        for string_id in sorted(table):
            out.append(f"    {string_id}, {rc_literal(table[string_id])}\n")
        out.append("END\n")
    write_text(path, "".join(out))


def write_cpp(tables, path):
    out = [HEADER, '#include "resources/string_table.h"\n\n',
           "const StringEntry kStringEntries[] = {\n"]
    for lang, table in tables.items():
        for string_id in sorted(table):
            out.append(f"    {{{lang}, {string_id}, {c_literal(table[string_id])}}},\n")
    out.append("};\n\nconst unsigned kStringEntryCount = sizeof kStringEntries / sizeof kStringEntries[0];\n")
    write_text(path, "".join(out))


def write_brand(tables, first_id, path):
    english = tables[1033]
    rights = english[first_id + 2].partition("\n\n")[2]
    out = [HEADER, "#pragma once\n",
           f"#define BRAND_PROGRAM_NAME {c_literal(english[first_id])}\n",
           f"#define BRAND_RIGHTS_LINE {c_literal(rights)}\n"]
    write_text(path, "".join(out))


def write_text(path, text):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("sources", nargs="+")
    parser.add_argument("--brand-first-id", type=int, default=330)
    parser.add_argument("--rc")
    parser.add_argument("--cpp")
    parser.add_argument("--brand")
    args = parser.parse_args()
    try:
        if args.brand_first_id not in group_first_ids():
            raise SourceError(f"{args.brand_first_id} is not the first id of a brand group "
                              f"({group_first_ids()})")
        tables = build_tables(args.sources)
        check_tables(tables)
    except (SourceError, OSError) as e:
        print(f"gen_strings: {e}", file=sys.stderr)
        return 1
    if args.rc:
        write_rc(tables, args.rc)
    if args.cpp:
        write_cpp(tables, args.cpp)
    if args.brand:
        write_brand(tables, args.brand_first_id, args.brand)
    return 0


if __name__ == "__main__":
    sys.exit(main())
