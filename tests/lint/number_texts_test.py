#!/usr/bin/python3
"""The number-text check flags exactly the lines of its cases file marked "flagged"."""
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import number_texts  # noqa: E402

cases = pathlib.Path(__file__).with_name("number_texts_cases.txt")
lines = cases.read_text(encoding="utf-8").splitlines()
expected = {i + 1 for i, line in enumerate(lines) if "// flagged" in line}
found = {line for line, _ in number_texts.findings(cases)}
if found != expected:
    print("nicht erkannt:", sorted(expected - found), " zu Unrecht:", sorted(found - expected))
    sys.exit(1)
print(f"{len(expected)} Fälle erkannt, keine zu Unrecht.")
