#!/usr/bin/env python3
"""Writes des_sboxes.inc: the eight DES S-boxes (FIPS 46-3) as boolean
circuits over bit planes, for the bitsliced rounds of des_bitslice.h.

Each S-box output bit is a function of the six input bits x0..x5 (x0 the
first bit of the group). A small search splits each output on one input at a
time, as a multiplexer of its two halves or as one half XORed with their
difference under the input, and keeps the cheapest; gates one output makes
serve the others. The gates are AND, OR, XOR, NOT and AND-NOT, one vector
instruction each. Every output is checked against the table before it is
written.

Run: python3 des_sbox_gen.py > des_sboxes.inc
"""

import itertools

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


# A function of the six inputs is its truth table: bit i is its value when
# input j is bit j of i.
FULL = (1 << 64) - 1
INPUTS = [sum(1 << i for i in range(64) if (i >> j) & 1) for j in range(6)]


def output_table(box, q):
    table = 0
    for i in range(64):
        if sbox_bit(box, [(i >> j) & 1 for j in range(6)], q):
            table |= 1 << i
    return table


def cofactors(f, v):
    """f with input v fixed at 0 and at 1, each spread over both halves."""
    shift = 1 << v
    low = f & ~INPUTS[v] & FULL
    high = f & INPUTS[v]
    return (low | (low << shift)) & FULL, high | (high >> shift)


OPERATIONS = {
    "and": lambda a, b: a & b,
    "or": lambda a, b: a | b,
    "xor": lambda a, b: a ^ b,
    "andnot": lambda a, b: ~a & b & FULL,  # andNot(a, b): one instruction
    "not": lambda a, b: ~a & FULL,
}


class Circuit:
    """Gates of one box, each a function no earlier gate computes."""

    def __init__(self):
        self.gates = {}  # truth table -> (operation, operand tables) or input
        self.order = []
        for j, table in enumerate(INPUTS):
            self.gates[table] = ("input", j)

    def cost(self, f, memo, top=False):
        """The fewest new gates found for f, and the plan that makes them.

        f splits on each input v it depends on, f = v ? f1 : f0, made either
        as a multiplexer of the cofactors (three gates) or as f0 ^ (v & d) or
        f1 ^ (~v & d) with d = f0 ^ f1 (two), the cofactors and d in turn
        the same way. Functions already built are free; memo holds what the
        current circuit makes of each function. At the top, f may also be an
        existing gate XORed with a rest."""
        if f in self.gates:
            return 0, f
        if f in memo:
            return memo[f]
        memo[f] = (float("inf"), None)  # no cycles through f itself
        best = (float("inf"), None)
        if ~f & FULL in self.gates:
            best = (1, ("not", ~f & FULL, None))
        for v in range(6):
            f0, f1 = cofactors(f, v)
            if f0 == f1:
                continue
            x = INPUTS[v]
            for candidate in self.splits(x, f0, f1, memo):
                if candidate[0] < best[0]:
                    best = candidate
        if top:
            for gate in list(self.gates):
                rest, plan = self.cost(f ^ gate, memo)
                if rest + 1 < best[0]:
                    best = (rest + 1, ("xor", gate, plan))
        memo[f] = best
        return best

    def splits(self, x, f0, f1, memo):
        if f0 == 0:
            c, p = self.cost(f1, memo)
            return [(c + 1, ("and", x, p))]
        if f1 == 0:
            c, p = self.cost(f0, memo)
            return [(c + 1, ("andnot", x, p))]
        if f1 == FULL:
            c, p = self.cost(f0, memo)
            return [(c + 1, ("or", x, p))]
        if f0 == FULL:
            c, p = self.cost(f1, memo)
            return [(c + 2, ("not", ("andnot", p, x), None))]
        if f0 == ~f1 & FULL:
            c, p = self.cost(f0, memo)
            return [(c + 1, ("xor", x, p))]
        c0, p0 = self.cost(f0, memo)
        c1, p1 = self.cost(f1, memo)
        cd, pd = self.cost(f0 ^ f1, memo)
        return [(c0 + c1 + 3, ("or", ("andnot", x, p0), ("and", x, p1))),
                (c0 + cd + 2, ("xor", p0, ("and", x, pd))),
                (c1 + cd + 2, ("xor", p1, ("andnot", x, pd)))]

    def make(self, plan):
        """Adds the gates of plan; returns the table it computes."""
        if isinstance(plan, int):
            return plan
        operation, a, b = plan
        a = self.make(a)
        b = self.make(b) if b is not None else None
        table = OPERATIONS[operation](a, b)
        if table not in self.gates:
            self.gates[table] = (operation, a, b)
            self.order.append(table)
        return table


def box_circuit(box):
    """The smallest circuit found over every order of building the outputs:
    what one output makes, the next may use for free."""
    best = None
    for order in itertools.permutations(range(4)):
        circuit = Circuit()
        outputs = [None] * 4
        for q in order:
            f = output_table(box, q)
            _, plan = circuit.cost(f, {}, top=True)
            outputs[q] = circuit.make(plan)
            assert outputs[q] == f
        if best is None or len(circuit.order) < len(best[0].order):
            best = (circuit, outputs)
    return best


def box_code(box):
    circuit, outputs = box_circuit(box)
    names = {table: "x[%d]" % j for j, table in enumerate(INPUTS)}
    lines = ["template <class V>",
             "inline void sbox%d(const V* x, V* out) {" % box]
    for n, table in enumerate(circuit.order):
        operation, a, b = circuit.gates[table]
        names[table] = "t%d" % n
        expr = {"and": "%s & %s", "or": "%s | %s", "xor": "%s ^ %s",
                "andnot": "andNot(%s, %s)", "not": "~%s"}[operation]
        operands = (names[a],) if b is None else (names[a], names[b])
        lines.append("    const V t%d = %s;" % (n, expr % operands))
    for q in range(4):
        lines.append("    out[%d] = %s;" % (q, names[outputs[q]]))
    lines.append("}")
    return "\n".join(lines), len(circuit.order)


def main():
    print("// des_sboxes.inc - generated by des_sbox_gen.py from the DES S-box tables.")
    print("// sboxN(x, out): x[0..5] the six input planes of box N (x[0] its first bit),")
    print("// out[0..3] its four output planes, most significant first.")
    total = 0
    for box in range(8):
        code, n = box_code(box)
        total += n
        print(code)
    print("// %d gates in all." % total)


if __name__ == "__main__":
    main()
