#!/usr/bin/env python3
"""Checks docs/contract.md against the public headers: every operation a host can call
on the exported classes and their interfaces has one row, and every row names an
operation that exists.

An operation is a member function declared in a public section of a class of the public
headers, deleted ones left out. Rows name it in their first cell as `Class::name`;
constructors and copy or move assignment carry their parameter, as in
`RenderCtrlMgr::RenderCtrlMgr(const RenderCtrlMgr&)`. An override is covered by the row of
the base class that declares it (`IRenderCtrl::release` covers `RenderCtrlMgr::release`).

Usage: contract_check.py <public header directory> <contract.md>
"""
import pathlib
import re
import sys

CLASS_RE = re.compile(r"\b(class|struct)\s+(?:\w+\s+)*?(\w+)\s*(?:final\s*)?(:[^;{]*)?\{")
NAME_RE = re.compile(r"(operator\s*\S+?|~?\w+)\s*$")
ROW_RE = re.compile(r"^\s*(\w+)::(~?\w+|operator\s*=)\s*(\(.*\))?\s*$")


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
    return re.sub(r"//[^\n]*", "", text)


def matching(text, start, opening, closing):
    """Index just past the bracket that closes the one at `start`."""
    depth = 0
    for i in range(start, len(text)):
        if text[i] == opening:
            depth += 1
        elif text[i] == closing:
            depth -= 1
            if depth == 0:
                return i + 1
    raise ValueError("unbalanced " + opening)


def kind(params):
    """The parameter text of a key: told apart only for constructors and assignment."""
    params = params.strip()
    if not params:
        return "()"
    if "&&" in params:
        return "(&&)"
    if "const" in params and "&" in params:
        return "(const&)"
    return "(" + re.sub(r"\s+", "", params) + ")"


def key_of(cls, name, params):
    name = re.sub(r"\s+", "", name)
    if name == cls or name == "operator=":
        return f"{cls}::{name}{kind(params)}"
    return f"{cls}::{name}"


def declarations(body):
    """(access, declaration text) of each member declaration at the top of a class body."""
    access, i, start = "private", 0, 0
    while i < len(body):
        ch = body[i]
        label = re.match(r"\s*(public|private|protected)\s*:(?!:)", body[start:])
        if label and start == i:
            access = label.group(1)
            i = start = start + label.end()
            continue
        if ch == "(":
            i = matching(body, i, "(", ")")
        elif ch == "{":
            i = matching(body, i, "{", "}")
            yield access, body[start:i]
            if body[i:].lstrip().startswith(";"):
                i = body.index(";", i) + 1
            start = i
        elif ch == ";":
            yield access, body[start:i]
            i = start = i + 1
        else:
            i += 1


def header_operations(directory):
    """{class: {key: name}} and {class: [base classes]} of the public headers."""
    ops, bases = {}, {}
    for path in sorted(pathlib.Path(directory).glob("*.h")):
        text = strip_comments(path.read_text())
        for m in CLASS_RE.finditer(text):
            cls = m.group(2)
            open_brace = m.end() - 1
            body = text[open_brace + 1 : matching(text, open_brace, "{", "}") - 1]
            listed = (m.group(3) or ":")[1:].split(",")
            bases[cls] = [b.split()[-1].split("::")[-1] for b in listed if b.strip() and "<" not in b]
            found = ops.setdefault(cls, {})
            for access, decl in declarations(body):
                decl = decl.strip()
                if access != "public" or "(" not in decl or re.match(r"(using|typedef|friend|static_assert)\b", decl):
                    continue
                if re.search(r"=\s*delete\s*$", decl):
                    continue
                paren = decl.index("(")
                name = NAME_RE.search(decl[:paren])
                if not name:
                    continue
                params = decl[paren + 1 : matching(decl, paren, "(", ")") - 1]
                found[key_of(cls, name.group(1), params)] = re.sub(r"\s+", "", name.group(1))
    return ops, bases


def contract_rows(path):
    rows = []
    for line in pathlib.Path(path).read_text().splitlines():
        if not line.startswith("|"):
            continue
        first = line.split("|")[1]
        code = re.search(r"`([^`]*)`", first)
        if not code:
            continue
        m = ROW_RE.match(code.group(1))
        if not m:
            continue
        cls, name, params = m.group(1), m.group(2), (m.group(3) or "()")[1:-1]
        rows.append(key_of(cls, name, params))
    return rows


def check(directory, contract):
    ops, bases = header_operations(directory)
    rows = contract_rows(contract)
    problems = [f"two rows for {key}" for key in sorted({r for r in rows if rows.count(r) > 1})]
    known = {key for found in ops.values() for key in found}
    problems += [f"row for an operation that does not exist: {key}" for key in rows if key not in known]
    covered = set(rows)
    for cls, found in ops.items():
        for key, name in found.items():
            if key in covered:
                continue
            inherited = "(" not in key.split("::", 1)[1] and not name.startswith("~")
            if inherited and any(f"{base}::{name}" in covered and f"{base}::{name}" in ops.get(base, {}) for base in bases[cls]):
                continue
            problems.append(f"no row for {key}")
    return problems, len(known), len(rows)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    problems, operations, rows = check(sys.argv[1], sys.argv[2])
    for problem in problems:
        print(problem)
    print(f"{operations} operations in the headers, {rows} rows, {len(problems)} problems")
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
