#!/usr/bin/env python3
"""Checks the rules of tools/resultcodes/gen_result_codes.py on small made-up headers."""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.environ.get("RESULTCODES_TOOL_DIR",
                                  os.path.join(os.path.dirname(__file__), "../../tools/resultcodes")))
import gen_result_codes as gen  # noqa: E402

WINERROR = r"""
#define FACILITY_WIN32 7
#define SEVERITY_ERROR 1
#define ERROR_SUCCESS __MSABI_LONG(0)
#define ERROR_FILE_NOT_FOUND __MSABI_LONG(2L)
#define ERROR_ACCESS_DENIED 5L
#define SEC_E_OK ((HRESULT)0x00000000)
#define WSABASEERR 10000
#define WSAECONNRESET (WSABASEERR + 54)
#define DNS_ERROR_MASK 0x00002328
#define FWP_E_INVALID_NET_MASK _HRESULT_TYPEDEF_(0x80320032)
#define MK_E_FIRST __MSABI_LONG(0x800401E0)
#define MAKE_HRESULT(sev,fac,code) ((HRESULT) (((unsigned __LONG32)(sev)<<31) | \
    ((unsigned __LONG32)(fac)<<16) | ((unsigned __LONG32)(code))))
#define __HRESULT_FROM_WIN32(x) ((HRESULT)(x) <= 0 ? ((HRESULT)(x)) : ((HRESULT) (((x) & 0x0000FFFF) | (FACILITY_WIN32 << 16) | 0x80000000)))
#define HRESULT_FROM_WIN32(x) __HRESULT_FROM_WIN32(x)
#define _HRESULT_TYPEDEF_(_sc) ((HRESULT)_sc)
#define S_OK ((HRESULT)0x00000000)
#define E_ACCESSDENIED _HRESULT_TYPEDEF_(0x80070005)  /* beats ERROR_ACCESS_DENIED */
#define E_NOT_SUFFICIENT_BUFFER HRESULT_FROM_WIN32(122)
#define STATUS_LIKE _NDIS_ERROR_TYPEDEF_(0x80340001)
#define _NDIS_ERROR_TYPEDEF_(x) (x)
"""

DX = r"""
#define _FACD3D 0x876
#define MAKE_D3DHRESULT( code )  MAKE_HRESULT( 1, _FACD3D, code )
#define D3D_OK S_OK
#define D3DERR_INVALIDCALL MAKE_D3DHRESULT(2156)
#define D3DERR_SMALL 12
#define D3DERR_PLAIN 0x88760001
#define OTHER_CONSTANT MAKE_D3DHRESULT(3)
enum _D3DXERR {
    D3DXERR_INVALIDDATA = MAKE_D3DHRESULT(2905),
    D3DXERR_NEXT        = MAKE_D3DHRESULT(2906)
};
#define D3DERR_DUP_OF_WIN32 HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)
"""


class GeneratorRules(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        for name, text in (("winerror.h", WINERROR), ("dx.h", DX)):
            with open(os.path.join(self.dir.name, name), "w") as f:
                f.write(text)
        self.saved = gen.HEADERS
        gen.HEADERS = [("winerror.h", None), ("dx.h", ("D3DERR_", "D3DXERR_", "D3D_OK"))]
        self.table, self.skipped = gen.collect(self.dir.name)

    def tearDown(self):
        gen.HEADERS = self.saved
        self.dir.cleanup()

    def test_values_and_forms(self):
        t = self.table
        self.assertEqual(t[0x80070002], "ERROR_FILE_NOT_FOUND")      # Win32 number, converted
        self.assertEqual(t[0x80072746], "WSAECONNRESET")             # expression, converted
        self.assertEqual(t[0x80320032], "FWP_E_INVALID_NET_MASK")    # real code ending in _MASK
        self.assertEqual(t[0x80340001], "STATUS_LIKE")
        self.assertEqual(t[0x8876086C], "D3DERR_INVALIDCALL")        # family macro
        self.assertEqual(t[0x88760001], "D3DERR_PLAIN")              # bare 32-bit literal
        self.assertEqual(t[0x88760B59], "D3DXERR_INVALIDDATA")       # enumerator
        self.assertEqual(t[0x88760B5A], "D3DXERR_NEXT")
        self.assertEqual(t[0x8007007A], "E_NOT_SUFFICIENT_BUFFER")   # HRESULT_FROM_WIN32 form
        self.assertEqual(self.skipped, [])

    def test_markers_and_foreign_names_are_left_out(self):
        names = set(self.table.values())
        for left_out in ("FACILITY_WIN32", "SEVERITY_ERROR", "WSABASEERR", "DNS_ERROR_MASK",
                         "MK_E_FIRST", "OTHER_CONSTANT", "D3DERR_SMALL"):
            self.assertNotIn(left_out, names)

    def test_duplicates_resolve_deterministically(self):
        t = self.table
        self.assertEqual(t[0], "S_OK")                   # preferred over SEC_E_OK and ERROR_SUCCESS
        self.assertEqual(t[0x80070005], "E_ACCESSDENIED")  # HRESULT form before the Win32 number
        self.assertEqual(t[0x80070002], "ERROR_FILE_NOT_FOUND")  # earlier header wins

    def test_render_is_sorted_and_stable(self):
        text = gen.render(self.table)
        rows = [line for line in text.splitlines() if line.startswith("{")]
        codes = [int(row[1:11], 16) for row in rows]
        self.assertEqual(codes, sorted(set(codes)))
        self.assertEqual(text, gen.render(dict(reversed(list(self.table.items())))))


class Evaluation(unittest.TestCase):
    def value(self, text, defines=None):
        return gen.Evaluator(defines or {}).evaluate(text)

    def test_c_arithmetic(self):
        self.assertEqual(self.value("(1 << 31) | (0x876 << 16) | 2905"), 0x88760B59)
        self.assertEqual(self.value("(HRESULT)0xFFFFFFFF <= 0 ? 1 : 2"), 1)
        self.assertEqual(self.value("(unsigned long)0xFFFFFFFF <= 0 ? 1 : 2"), 2)
        self.assertEqual(self.value("-1"), 0xFFFFFFFF)
        self.assertEqual(self.value("010 + 0x10 + 10UL"), 34)

    def test_unreadable_expressions_fail(self):
        for text in ("UNDEFINED_NAME", "(1", "1 +", "sizeof(int)", "1 / 0"):
            with self.assertRaises(gen.EvalError, msg=text):
                self.value(text)


if __name__ == "__main__":
    unittest.main()
