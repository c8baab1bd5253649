#!/usr/bin/env python3
"""Generates diag/ResultCodeTable.inc, the code-to-name table behind ResultCodeName.

The names and values come from the public Win32/COM/DirectX error headers that Debian's
mingw-w64-common package installs (/usr/share/mingw-w64/include). The script evaluates the
constants the way a C compiler would (macro expansion, casts, 32-bit arithmetic), so no value is
typed by hand.

Rules:
  * Constants written as HRESULTs (_HRESULT_TYPEDEF_, _NDIS_ERROR_TYPEDEF_, MAKE_HRESULT and the
    per-family MAKE_*HRESULT/STATUS macros, HRESULT_FROM_WIN32, an (HRESULT) or (SCODE) cast, or
    a bare literal above 0xFFFF) keep their own value.
  * Bare Win32 error numbers of winerror.h (ERROR_*, WSA*, RPC_*, EPT_*, DNS_*, ...) are stored in
    their HRESULT_FROM_WIN32 form, 0x8007xxxx (0 stays 0).
  * Range markers and building blocks (FACILITY_*, SEVERITY_*, *_FIRST, *_LAST, *_BASE,
    WSABASEERR, and *_MASK when it is a bare number) are not codes and are left out.
  * One name per code. When several constants share a code, the first one wins in this order:
    header order of HEADERS below; within a header, HRESULT-form constants before converted
    Win32 numbers; then the order in the file. PREFERRED overrides that for the few codes where
    the file order would pick a narrow alias over the generic COM name.

Usage:
  gen_result_codes.py [--include DIR] [--output FILE]   write the table
  gen_result_codes.py --check FILE                        exit 1 if FILE is not what would be written
"""

import argparse
import os
import re
import sys

DEFAULT_INCLUDE = "/usr/share/mingw-w64/include"

# (header, name prefixes taken from it). winerror.h is taken whole, less the range markers.
HEADERS = [
    ("winerror.h", None),
    ("dxgi.h", ("DXGI_ERROR_", "DXGI_STATUS_")),
    ("d3d11.h", ("D3D11_ERROR_",)),
    ("d3d10.h", ("D3D10_ERROR_",)),
    ("d3d9.h", ("D3DERR_", "D3DOK_", "D3D_OK", "S_NOT_RESIDENT", "S_RESIDENT_IN_SHARED_MEMORY",
                "S_PRESENT_MODE_CHANGED", "S_PRESENT_OCCLUDED")),
    ("d3dx9.h", ("D3DXERR_",)),
    ("d2derr.h", ("D2DERR_",)),
    ("dwrite.h", ("DWRITE_E_",)),
    ("xaudio2.h", ("XAUDIO2_E_",)),
    ("dinput.h", ("DIERR_", "DI_")),
    ("ddraw.h", ("DDERR_", "DD_OK", "DD_FALSE")),
    ("vfwmsgs.h", ("VFW_E_", "VFW_S_", "E_PROP_")),
]

# Codes whose header order would name them after an alias rather than the generic constant.
PREFERRED = {
    0x00000000: "S_OK",
}

# FWP_E_INVALID_NET_MASK is a real code, so a _MASK name is only left out when it is a bare number.
EXCLUDED_NAME = re.compile(r"^(FACILITY_|SEVERITY_|_)|_(FIRST|LAST|BASE)$|BASEERR$")
EXCLUDED_BARE_NAME = re.compile(r"_MASK$")

# Macros the evaluation needs that live outside the headers read (in _mingw.h).
BUILTIN_DEFINES = {
    "__MSABI_LONG": (["x"], "x"),
}

# Expanding one of these, or casting to an HRESULT type, marks a value as an HRESULT.
HRESULT_MACROS = {"_HRESULT_TYPEDEF_", "_NDIS_ERROR_TYPEDEF_", "MAKE_HRESULT", "MAKE_SCODE"}
HRESULT_TYPES = {"HRESULT", "SCODE"}
SIGNED_TYPES = {"HRESULT", "SCODE", "LONG", "__LONG32", "long", "int", "INT", "signed", "NTSTATUS"}
UNSIGNED_TYPES = {"DWORD", "ULONG", "UINT", "unsigned", "WORD", "USHORT", "BYTE"}
TYPE_WORDS = SIGNED_TYPES | UNSIGNED_TYPES

TOKEN = re.compile(r"\s*(?:(0[xX][0-9a-fA-F]+|\d+)[uUlL]*|([A-Za-z_]\w*)|(<<|>>|<=|>=|==|!=|&&|\|\||[-+*/%&|^~!?:()<>,]))")


class EvalError(Exception):
    pass


def tokenize(text):
    tokens = []
    pos = 0
    text = text.strip()
    while pos < len(text):
        m = TOKEN.match(text, pos)
        if not m:
            raise EvalError("cannot read %r" % text[pos:])
        if m.group(1) is not None:
            lit = m.group(1)
            tokens.append(("num", int(lit, 16) if lit[:2].lower() == "0x" else int(lit, 8 if lit != "0" and lit.startswith("0") else 10)))
        elif m.group(2) is not None:
            tokens.append(("id", m.group(2)))
        else:
            tokens.append(("op", m.group(3)))
        pos = m.end()
        while pos < len(text) and text[pos].isspace():
            pos += 1
    return tokens


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
    return re.sub(r"//[^\n]*", "", text)


def logical_lines(text):
    """Lines with continuations joined, each with the line number it starts on."""
    lines = text.split("\n")
    out = []
    i = 0
    while i < len(lines):
        start = i
        line = lines[i]
        while line.endswith("\\") and i + 1 < len(lines):
            i += 1
            line = line[:-1] + " " + lines[i]
        out.append((start + 1, line))
        i += 1
    return out


DEFINE = re.compile(r"^\s*#\s*define\s+([A-Za-z_]\w*)(\(([^)]*)\))?\s*(.*)$")


class Header:
    def __init__(self, path):
        with open(path, encoding="latin-1") as f:
            text = strip_comments(f.read())
        self.defines = {}   # name -> (params or None, body), first definition wins
        self.order = []     # (line, name, body) of object-like defines, in file order
        for line_no, line in logical_lines(text):
            m = DEFINE.match(line)
            if not m:
                continue
            name, has_params, params, body = m.group(1), m.group(2), m.group(3), m.group(4).strip()
            if name in self.defines:
                continue
            if has_params is not None:
                self.defines[name] = ([p.strip() for p in params.split(",") if p.strip()], body)
            else:
                self.defines[name] = (None, body)
                self.order.append((line_no, name, body))
        # Enumerators with an explicit value (the D3DX codes are an enum).
        self.enumerators = []
        for m in re.finditer(r"\benum\b[^{;]*\{(.*?)\}", text, flags=re.S):
            body_start = text.count("\n", 0, m.start(1)) + 1
            offset = 0
            for item in m.group(1).split(","):
                em = re.match(r"\s*([A-Za-z_]\w*)\s*=\s*(.+?)\s*$", item, flags=re.S)
                if em:
                    line_no = body_start + m.group(1).count("\n", 0, offset + item.find(em.group(1)))
                    self.enumerators.append((line_no, em.group(1), " ".join(em.group(2).split())))
                offset += len(item) + 1


class Evaluator:
    def __init__(self, defines):
        self.defines = defines
        self.is_hresult = False

    def expand(self, tokens, hidden=frozenset()):
        out = []
        i = 0
        while i < len(tokens):
            kind, value = tokens[i]
            if kind != "id" or value in hidden or value not in self.defines:
                out.append(tokens[i])
                i += 1
                continue
            params, body = self.defines[value]
            if params is None:
                if value in HRESULT_MACROS:
                    self.is_hresult = True
                out.extend(self.expand(tokenize(body), hidden | {value}))
                i += 1
                continue
            if i + 1 >= len(tokens) or tokens[i + 1] != ("op", "("):
                out.append(tokens[i])
                i += 1
                continue
            args, i = self.collect_args(tokens, i + 2)
            if len(args) != len(params):
                raise EvalError("%s takes %d arguments" % (value, len(params)))
            if value in HRESULT_MACROS:
                self.is_hresult = True
            expanded_args = {p: self.expand(a, hidden) for p, a in zip(params, args)}
            substituted = []
            for tok in tokenize(body):
                if tok[0] == "id" and tok[1] in expanded_args:
                    substituted.extend([("op", "(")] + expanded_args[tok[1]] + [("op", ")")])
                else:
                    substituted.append(tok)
            out.extend(self.expand(substituted, hidden | {value}))
        return out

    @staticmethod
    def collect_args(tokens, i):
        args, current, depth = [], [], 0
        while i < len(tokens):
            tok = tokens[i]
            if tok == ("op", "(") :
                depth += 1
            elif tok == ("op", ")"):
                if depth == 0:
                    if current or args:
                        args.append(current)
                    return args, i + 1
                depth -= 1
            elif tok == ("op", ",") and depth == 0:
                args.append(current)
                current = []
                i += 1
                continue
            current.append(tok)
            i += 1
        raise EvalError("unbalanced macro call")

    def evaluate(self, text):
        self.is_hresult = False
        self.tokens = self.expand(tokenize(text))
        self.pos = 0
        value = self.conditional()
        if self.pos != len(self.tokens):
            raise EvalError("trailing tokens in %r" % text)
        return value & 0xFFFFFFFF

    # Recursive descent over C's operator precedence; values are Python ints, wrapped to 32 bits
    # where C would (casts, shifts).
    def peek(self):
        return self.tokens[self.pos] if self.pos < len(self.tokens) else (None, None)

    def take(self, op):
        if self.peek() == ("op", op):
            self.pos += 1
            return True
        return False

    def conditional(self):
        cond = self.binary(0)
        if self.take("?"):
            a = self.conditional()
            if not self.take(":"):
                raise EvalError("missing ':'")
            b = self.conditional()
            return a if cond else b
        return cond

    LEVELS = [["||"], ["&&"], ["|"], ["^"], ["&"], ["==", "!="], ["<", ">", "<=", ">="],
              ["<<", ">>"], ["+", "-"], ["*", "/", "%"]]

    def binary(self, level):
        if level == len(self.LEVELS):
            return self.unary()
        left = self.binary(level + 1)
        while True:
            kind, op = self.peek()
            if kind != "op" or op not in self.LEVELS[level]:
                return left
            self.pos += 1
            right = self.binary(level + 1)
            left = self.apply(op, left, right)

    @staticmethod
    def apply(op, a, b):
        if op == "||": return int(bool(a) or bool(b))
        if op == "&&": return int(bool(a) and bool(b))
        if op == "|": return a | b
        if op == "^": return a ^ b
        if op == "&": return a & b
        if op == "==": return int(a == b)
        if op == "!=": return int(a != b)
        if op == "<": return int(a < b)
        if op == ">": return int(a > b)
        if op == "<=": return int(a <= b)
        if op == ">=": return int(a >= b)
        if op == "<<": return (a << b) & 0xFFFFFFFF
        if op == ">>": return a >> b
        if op == "+": return a + b
        if op == "-": return a - b
        if op == "*": return a * b
        if b == 0:
            raise EvalError("division by zero")
        if op == "/": return int(a / b)
        return a - int(a / b) * b

    def unary(self):
        if self.take("-"): return -self.unary()
        if self.take("+"): return self.unary()
        if self.take("~"): return ~self.unary() & 0xFFFFFFFF
        if self.take("!"): return int(not self.unary())
        return self.primary()

    def primary(self):
        kind, value = self.peek()
        if kind == "num":
            self.pos += 1
            return value
        if (kind, value) == ("op", "("):
            # A cast is a parenthesised run of type words.
            end = self.pos + 1
            words = []
            while end < len(self.tokens) and self.tokens[end][0] == "id" and self.tokens[end][1] in TYPE_WORDS:
                words.append(self.tokens[end][1])
                end += 1
            if words and end < len(self.tokens) and self.tokens[end] == ("op", ")"):
                self.pos = end + 1
                operand = self.unary() & 0xFFFFFFFF
                if any(w in HRESULT_TYPES for w in words):
                    self.is_hresult = True
                if "unsigned" in words or any(w in UNSIGNED_TYPES for w in words):
                    return operand
                return operand - (1 << 32) if operand & 0x80000000 else operand
            self.pos += 1
            inner = self.conditional()
            if not self.take(")"):
                raise EvalError("missing ')'")
            return inner
        raise EvalError("unexpected %r" % (value,))


def collect(include_dir):
    """Returns {code: name} and a list of skipped constants (name, reason)."""
    winerror = Header(os.path.join(include_dir, "winerror.h"))
    candidates = []  # (sort key, code, name)
    skipped = []
    for header_index, (header_name, prefixes) in enumerate(HEADERS):
        header = winerror if header_name == "winerror.h" else Header(os.path.join(include_dir, header_name))
        defines = dict(BUILTIN_DEFINES)
        defines.update(winerror.defines)
        defines.update(header.defines)
        evaluator = Evaluator(defines)
        entries = header.order + header.enumerators
        for line_no, name, body in entries:
            if prefixes is None:
                if EXCLUDED_NAME.search(name):
                    continue
            elif not name.startswith(prefixes):
                continue
            if not body:
                continue
            try:
                value = evaluator.evaluate(body)
            except (EvalError, RecursionError) as error:
                skipped.append((header_name, name, str(error)))
                continue
            if evaluator.is_hresult or value > 0xFFFF:
                tier = 0
            elif EXCLUDED_BARE_NAME.search(name):
                continue
            elif prefixes is None:
                # A bare Win32 error number: its HRESULT_FROM_WIN32 form.
                tier = 1
                if value != 0:
                    value = (value & 0xFFFF) | 0x80070000
            else:
                continue  # a small plain number in a DirectX header is not a result code
            candidates.append(((header_index, tier, line_no), value, name))
    candidates.sort(key=lambda c: c[0])
    table = {}
    for _, value, name in candidates:
        table.setdefault(value, name)
    for value, name in PREFERRED.items():
        if any(c[1] == value and c[2] == name for c in candidates):
            table[value] = name
    return table, skipped


def render(table):
    lines = [
        "// Generated by tools/resultcodes/gen_result_codes.py from the mingw-w64 error headers",
        "// (Debian package mingw-w64-common). Do not edit; regenerate with:",
        "//   python3 tools/resultcodes/gen_result_codes.py --output diag/ResultCodeTable.inc",
        "// Sorted by code (as unsigned 32-bit), one name per code. %d entries." % len(table),
    ]
    for value in sorted(table):
        lines.append("{0x%08Xu, L\"%s\"}," % (value, table[value]))
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--include", default=DEFAULT_INCLUDE, help="folder holding the mingw-w64 headers")
    parser.add_argument("--output", help="table file to write (default: standard output)")
    parser.add_argument("--check", help="compare with this table file instead of writing")
    parser.add_argument("--verbose", action="store_true", help="list constants that could not be evaluated")
    args = parser.parse_args()

    if not os.path.isfile(os.path.join(args.include, "winerror.h")):
        print("gen_result_codes: %s has no winerror.h (install mingw-w64-common)" % args.include, file=sys.stderr)
        return 2
    table, skipped = collect(args.include)
    if args.verbose:
        for header, name, reason in skipped:
            print("skipped %s: %s (%s)" % (header, name, reason), file=sys.stderr)
    text = render(table)
    if args.check:
        try:
            with open(args.check, encoding="utf-8") as f:
                current = f.read()
        except OSError as error:
            print("gen_result_codes: cannot read %s: %s" % (args.check, error.strerror), file=sys.stderr)
            return 1
        if current != text:
            print("gen_result_codes: %s is out of date; regenerate it" % args.check, file=sys.stderr)
            return 1
        return 0
    if args.output:
        with open(args.output, "w", encoding="utf-8") as f:
            f.write(text)
        print("wrote %d entries to %s" % (len(table), args.output))
    else:
        sys.stdout.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
