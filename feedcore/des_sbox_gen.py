#!/usr/bin/env python3
"""Writes des_sboxes.inc: the eight DES S-boxes (FIPS 46-3) as boolean
circuits over bit planes, for the bitsliced rounds of des_bitslice.h.

Each S-box output bit is a function of the six input bits x0..x5 (x0 the
first bit of the group). The circuit splits the inputs: the eight minterms
of (x0, x5, x1) select one of eight functions of (x2, x3, x4), and each of
those is built by two levels of multiplexing from functions of x2 alone.
Sub-functions are shared between the four outputs of a box.

Run: python3 des_sbox_gen.py > des_sboxes.inc
"""

SBOXES = [
    [14, 4, 13, 1, 2, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7,
     0, 15, 7, 4, 14, 2, 13, 1, 10, 6, 12, 11, 9, 5, 3, 8,
     4, 1, 14, 8, 13, 6, 2, 11, 15, 12, 9, 7, 3, 10, 5, 0,
     15, 12, 8, 2, 4, 9, 1, 7, 5, 11, 3, 14, 10, 0, 6, 13],
    [15, 1, 8, 14, 6, 11, 3, 4, 9, 7, 2, 13, 12, 0, 5, 10,
     3, 13, 4, 7, 15, 2, 8, 14, 12, 0, 1, 10, 6, 9, 11, 5,
     0, 14, 7, 11, 10, 4, 13, 1, 5, 8, 12, 6, 9, 3, 2, 15,
     13, 8, 10, 1, 3, 15, 4, 2, 11, 6, 7, 12, 0, 5, 14, 9],
    [10, 0, 9, 14, 6, 3, 15, 5, 1, 13, 12, 7, 11, 4, 2, 8,
     13, 7, 0, 9, 3, 4, 6, 10, 2, 8, 5, 14, 12, 11, 15, 1,
     13, 6, 4, 9, 8, 15, 3, 0, 11, 1, 2, 12, 5, 10, 14, 7,
     1, 10, 13, 0, 6, 9, 8, 7, 4, 15, 14, 3, 11, 5, 2, 12],
    [7, 13, 14, 3, 0, 6, 9, 10, 1, 2, 8, 5, 11, 12, 4, 15,
     13, 8, 11, 5, 6, 15, 0, 3, 4, 7, 2, 12, 1, 10, 14, 9,
     10, 6, 9, 0, 12, 11, 7, 13, 15, 1, 3, 14, 5, 2, 8, 4,
     3, 15, 0, 6, 10, 1, 13, 8, 9, 4, 5, 11, 12, 7, 2, 14],
    [2, 12, 4, 1, 7, 10, 11, 6, 8, 5, 3, 15, 13, 0, 14, 9,
     14, 11, 2, 12, 4, 7, 13, 1, 5, 0, 15, 10, 3, 9, 8, 6,
     4, 2, 1, 11, 10, 13, 7, 8, 15, 9, 12, 5, 6, 3, 0, 14,
     11, 8, 12, 7, 1, 14, 2, 13, 6, 15, 0, 9, 10, 4, 5, 3],
    [12, 1, 10, 15, 9, 2, 6, 8, 0, 13, 3, 4, 14, 7, 5, 11,
     10, 15, 4, 2, 7, 12, 9, 5, 6, 1, 13, 14, 0, 11, 3, 8,
     9, 14, 15, 5, 2, 8, 12, 3, 7, 0, 4, 10, 1, 13, 11, 6,
     4, 3, 2, 12, 9, 5, 15, 10, 11, 14, 1, 7, 6, 0, 8, 13],
    [4, 11, 2, 14, 15, 0, 8, 13, 3, 12, 9, 7, 5, 10, 6, 1,
     13, 0, 11, 7, 4, 9, 1, 10, 14, 3, 5, 12, 2, 15, 8, 6,
     1, 4, 11, 13, 12, 3, 7, 14, 10, 15, 6, 8, 0, 5, 9, 2,
     6, 11, 13, 8, 1, 4, 10, 7, 9, 5, 0, 15, 14, 2, 3, 12],
    [13, 2, 8, 4, 6, 15, 11, 1, 10, 9, 3, 14, 5, 0, 12, 7,
     1, 15, 13, 8, 10, 3, 7, 4, 12, 5, 6, 11, 0, 14, 9, 2,
     7, 11, 4, 1, 9, 12, 14, 2, 0, 6, 10, 13, 15, 3, 5, 8,
     2, 1, 14, 7, 4, 10, 8, 13, 15, 12, 9, 0, 3, 5, 6, 11],
]


def sbox_bit(box, x, q):
    """Output bit q (0 = most significant) of box for the 6-bit list x."""
    row = x[0] * 2 + x[5]
    col = x[1] * 8 + x[2] * 4 + x[3] * 2 + x[4]
    return (SBOXES[box][row * 16 + col] >> (3 - q)) & 1


class Circuit:
    def __init__(self):
        self.lines = []
        self.memo = {}
        self.count = 0

    def emit(self, expr):
        name = "t%d" % self.count
        self.count += 1
        self.lines.append("    const V %s = %s;" % (name, expr))
        return name

    def func(self, table, nvars):
        """A function of x2..x(1+nvars) given by its truth table (bit i is
        the value for x2 + 2*x3 + 4*x4 = i); None for the constant 0."""
        size = 1 << nvars
        full = (1 << size) - 1
        key = (table, nvars)
        if key in self.memo:
            return self.memo[key]
        if table == 0:
            result = None
        elif table == full:
            result = "ones"
        elif nvars == 1:
            result = "x[2]" if table == 2 else "n2"
        else:
            half = size // 2
            lo = self.func(table & ((1 << half) - 1), nvars - 1)
            hi = self.func(table >> half, nvars - 1)
            sel = "x[%d]" % (1 + nvars)
            nsel = "n%d" % (1 + nvars)
            if lo == hi:
                result = lo
            elif lo is None:
                result = self.emit("%s & %s" % (hi, sel)) if hi != "ones" else sel
            elif hi is None:
                result = self.emit("%s & %s" % (lo, nsel)) if lo != "ones" else nsel
            elif hi == "ones":
                result = self.emit("%s | %s" % (lo, sel))
            elif lo == "ones":
                result = self.emit("%s | %s" % (hi, nsel))
            else:
                result = self.emit("%s ^ ((%s ^ %s) & %s)" % (lo, lo, hi, sel))
        self.memo[key] = result
        return result


def box_code(box):
    c = Circuit()
    # Minterms of the selecting inputs (x0, x5, x1).
    pairs = {}
    for a in (0, 1):
        for b in (0, 1):
            pairs[(a, b)] = c.emit("%s & %s" % ("x[0]" if a else "n0", "x[5]" if b else "n5"))
    minterms = {}
    for a in (0, 1):
        for b in (0, 1):
            for d in (0, 1):
                minterms[(a, b, d)] = c.emit("%s & %s" % (pairs[(a, b)], "x[1]" if d else "n1"))
    outputs = []
    for q in range(4):
        terms = []
        for (a, b, d), m in sorted(minterms.items()):
            table = 0
            for i in range(8):
                x = [a, d, i & 1, (i >> 1) & 1, (i >> 2) & 1, b]
                table |= sbox_bit(box, x, q) << i
            g = c.func(table, 3)
            if g is None:
                continue
            terms.append(m if g == "ones" else c.emit("%s & %s" % (m, g)))
        expr = terms[0]
        for t in terms[1:]:
            expr = c.emit("%s | %s" % (expr, t))
        outputs.append(expr)
    body = ["template <class V>",
            "inline void sbox%d(const V* x, V* out, [[maybe_unused]] V ones) {" % box]
    for v in (0, 1, 2, 3, 4, 5):
        body.append("    [[maybe_unused]] const V n%d = ~x[%d];" % (v, v))
    body += c.lines
    for q in range(4):
        body.append("    out[%d] = %s;" % (q, outputs[q]))
    body.append("}")
    return "\n".join(body), c.count


def main():
    print("// des_sboxes.inc - generated by des_sbox_gen.py from the DES S-box tables.")
    print("// sboxN(x, out, ones): x[0..5] the six input planes of box N (x[0] its first")
    print("// bit), out[0..3] its four output planes, most significant first.")
    total = 0
    for box in range(8):
        code, n = box_code(box)
        total += n
        print(code)
    print("// %d gates in all." % total)


if __name__ == "__main__":
    main()
