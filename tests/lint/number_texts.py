#!/usr/bin/python3
"""Fails when C++ sources turn numbers into text or back through the process locale.

A German desktop makes the C library's LC_NUMERIC write "1,2" for 1.2; every number text of the
program goes through src/text (std::to_chars / std::from_chars) instead. This check reads the
sources, not their types, so it flags the calls that may depend on the locale:
  - printf/scanf-family calls whose format has a floating conversion or the ' grouping flag,
  - strtod, strtof, strtold, atof, std::stod, std::stof, std::stold,
  - std::to_string (its floating overloads follow the locale; text::format_int takes integers),
  - number formatting with iostreams (string streams, std::fixed, setprecision, imbue),
  - Qt's locale-aware number texts (QLocale::system(), QLocale().toString/toDouble, %L1).
Usage: number_texts.py DIR_OR_FILE...; prints each finding as FILE:LINE: what, exits 1 if any.
"""
import pathlib
import re
import sys

# Files that may convert numbers through the locale, each with the reason. None do today.
ALLOWED = {}

PRINTF = re.compile(r"\b(?:std::)?(?:v?[sfd]?n?printf|v?s?scanf|v?fscanf|asprintf)\s*\(")
FLOAT_CONVERSION = re.compile(r"%[-+ #0']*(?:\d+|\*)?(?:\.(?:\d+|\*))?(?:hh|h|ll|l|L|j|z|t)?[eEfFgGaA]")
GROUPING = re.compile(r"%[-+ #0]*'")
PATTERNS = [
    (re.compile(r"\b(?:std::)?(?:strtod|strtof|strtold|atof)\s*\("), "strtod/atof folgt dem Locale"),
    (re.compile(r"\bstd::(?:stod|stof|stold)\s*\("), "std::stod/stof folgt dem Locale"),
    (re.compile(r"\bstd::to_string\s*\("), "std::to_string (text::format_int für ganze Zahlen)"),
    (re.compile(r"\b(?:std::)?(?:i|o)?stringstream\b"), "Zahlen über iostreams"),
    (re.compile(r"\bstd::(?:fixed|scientific|hexfloat|defaultfloat|setprecision)\b"),
     "Zahlen über iostreams"),
    (re.compile(r"\.imbue\s*\("), "Locale eines Streams"),
    (re.compile(r"\bQLocale::system\s*\("), "QLocale::system() folgt dem Desktop"),
    (re.compile(r"\bQLocale\s*\(\s*\)\s*\.\s*(?:toString|toDouble|toFloat|toInt)\b"),
     "QLocale() folgt dem Desktop"),
]
QT_LOCALIZED_ARG = re.compile(r'"[^"\n]*%L\d')


def without_comments(source, blank_strings=False):
    """Blanks out comments, and with blank_strings the insides of string literals (keeping line
    numbers)."""
    out = []
    i, n = 0, len(source)
    while i < n:
        c = source[i]
        if source.startswith("//", i):
            j = source.find("\n", i)
            j = n if j < 0 else j
            i = j
        elif source.startswith("/*", i):
            j = source.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append("\n" * source.count("\n", i, j))
            i = j
        elif c == '"' or c == "'":
            if c == '"' and i > 0 and source[i - 1] == "R":  # raw string R"x(...)x"
                k = source.find("(", i)
                end = ")" + source[i + 1 : k] + '"'
                j = source.find(end, k)
                j = n if j < 0 else j + len(end)
            else:
                j = i + 1
                while j < n and source[j] != c and source[j] != "\n":
                    j += 2 if source[j] == "\\" else 1
                j += 1
            literal = source[i:j]
            if blank_strings:
                literal = c + re.sub(r"[^\n]", " ", literal[1:-1]) + c
            out.append(literal)
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out)


def call_text(code, start):
    """The text of a call from its opening parenthesis to the matching closing one."""
    depth = 0
    for j in range(start, len(code)):
        if code[j] == "(":
            depth += 1
        elif code[j] == ")":
            depth -= 1
            if depth == 0:
                return code[start : j + 1]
    return code[start:]


def findings(path):
    code = without_comments(path.read_text(encoding="utf-8", errors="replace"))
    line_of = lambda pos: code.count("\n", 0, pos) + 1
    for m in PRINTF.finditer(code):
        call = call_text(code, m.end() - 1)
        literals = "".join(re.findall(r'"((?:[^"\\\n]|\\.)*)"', call))
        if FLOAT_CONVERSION.search(literals) or GROUPING.search(literals):
            yield line_of(m.start()), "printf/scanf mit Gleitkomma oder Tausendertrennung"
    bare = without_comments(path.read_text(encoding="utf-8", errors="replace"), True)
    for pattern, what in PATTERNS:
        for m in pattern.finditer(bare):
            yield line_of(m.start()), what
    for m in QT_LOCALIZED_ARG.finditer(code):
        yield line_of(m.start()), "%L in einem Qt-Text folgt dem Locale"


def main(args):
    roots = [pathlib.Path(a) for a in args]
    files = []
    for root in roots:
        if root.is_dir():
            files += sorted(p for p in root.rglob("*") if p.suffix in (".cpp", ".h", ".hpp", ".cc"))
        else:
            files.append(root)
    bad = 0
    for path in files:
        if any(path.as_posix().endswith(a) for a in ALLOWED):
            continue
        for line, what in sorted(set(findings(path))):
            print(f"{path}:{line}: {what}")
            bad += 1
    if bad:
        print(f"{bad} Zahlentext(e) über das Locale des Prozesses; Zahlen laufen über src/text.")
        return 1
    print(f"{len(files)} Dateien ohne Zahlentext über das Locale.")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
