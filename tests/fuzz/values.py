"""Argument values for the fuzzer: mostly plausible ones, and the hostile ones a careless or
malicious caller passes (wrong types, out-of-range ints, objects whose __index__ misbehaves)."""

from __future__ import annotations

import random

import _velmora as v


class ClearingIndex:
    """An int-like object whose __index__ empties the list it sits in before answering."""

    def __init__(self, owner: list, value: int):
        self.owner = owner
        self.value = value

    def __index__(self) -> int:
        self.owner.clear()
        return self.value


class ShrinkingIndex(ClearingIndex):
    def __index__(self) -> int:
        del self.owner[len(self.owner) // 2 :]
        return self.value


class GrowingIndex(ClearingIndex):
    def __index__(self) -> int:
        self.owner.extend(range(64))
        return self.value


class RaisingIndex:
    def __index__(self) -> int:
        raise ArithmeticError("index refused")


class PlainIndex:
    def __init__(self, value: int):
        self.value = value

    def __index__(self) -> int:
        return self.value


HOSTILE_NAMES = [
    "",
    " ",
    "a b",
    "tab\there",
    "nul\x00byte",
    "line\nbreak",
    "\x7f",
    "\u00a0nbsp",
    "\u2028",
    "caf\u00e9",
    "\u6f22\u5b57",
    "\U0001F600",
    "clk",
    "mrst",
    "a/b",
    "../up",
    "x" * 191,
    "x" * 192,
    "x" * 193,
    "y" * 300,
    "module",
    "1digit",
    "\\escaped",
]

HOSTILE_INTS = [0, -1, 1, 2, 63, 64, 65, 127, 128, 2**16, 2**16 + 1, 2**31 - 1, 2**31, -(2**31),
                -(2**31) - 1, 2**32, 2**63, 2**64 - 1, 2**64, -(2**64), 2**200, -(2**200)]


def not_a_value(rng: random.Random):
    """Something of the wrong Python type."""
    return rng.choice([None, 1.5, "3", b"bytes", [], {}, object(), True, False, v.LogicOp,
                       PlainIndex(3), RaisingIndex(), (1, 2), complex(1, 1)])


class Values:
    """Draws arguments; `hostility` is the chance of a hostile value where a plausible one fits."""

    def __init__(self, rng: random.Random, hostility: float):
        self.rng = rng
        self.hostility = hostility
        self.counter = 0

    def hostile(self) -> bool:
        return self.rng.random() < self.hostility

    def name(self) -> object:
        if self.hostile():
            r = self.rng.random()
            if r < 0.8:
                return self.rng.choice(HOSTILE_NAMES)
            return not_a_value(self.rng)
        self.counter += 1
        return self.rng.choice(["n", "sig", "a", "b", "x_y", "blk", "m"]) + str(self.counter)

    def io_name(self) -> object:
        if self.hostile():
            return self.name()
        self.counter += 1
        return f"p{self.counter}"

    def width(self) -> object:
        if self.hostile():
            r = self.rng.random()
            if r < 0.6:
                return self.rng.choice(HOSTILE_INTS)
            if r < 0.8:
                return PlainIndex(self.rng.choice([1, 4, 0, -3]))
            return not_a_value(self.rng)
        return self.rng.choice([1, 1, 1, 2, 3, 4, 4, 8, 8, 16, 32, 63, 64, 65, 100, 130])

    def opt_width(self) -> object:
        return None if self.rng.random() < 0.4 else self.width()

    def opt_count(self) -> object:
        return None if self.rng.random() < 0.4 else self.count()

    def policy(self) -> object:
        if self.hostile():
            return self.rng.choice([3, -1, 2**40, "AckOne", None, v.ArbLockedChannel.Ack])
        return self.rng.choice(list(v.ArbSamePriPolicy) + [0, 1, 2])

    def channel(self) -> object:
        if self.hostile():
            return self.rng.choice([2, -1, "Req", None, v.ArbSamePriPolicy.AckAll])
        return self.rng.choice(list(v.ArbLockedChannel) + [0, 1])

    def shape(self) -> object:
        if self.hostile():
            return self.rng.choice([[], [0], [2**64], [-1], [2**20, 2**20], "2", None, [1.5],
                                    [PlainIndex(2)], (3, 2**40)])
        return [self.rng.choice([1, 2, 3, 4]) for _ in range(self.rng.randrange(1, 3))]

    def field(self) -> object:
        if self.hostile():
            return self.rng.choice(["", "nope", None, 3, "x" * 300])
        return self.rng.choice(["v", "w", "f"])

    def fields(self) -> object:
        if self.hostile():
            return self.rng.choice([[], [("v", 0)], [("v", 8), ("v", 4)], [("", 1)], [(1, 2)],
                                    [("v",)], "v", None, [("v", 2**40)], [("v", -3)]])
        return [(f, self.rng.choice([1, 4, 8])) for f in ["v", "w", "f"][:self.rng.randrange(1, 4)]]

    def backing(self) -> object:
        if self.hostile():
            return self.rng.choice([v.HwComponentType.MEM_BLOCK, 99, -1, None, "REG"])
        return self.rng.choice([v.HwComponentType.REG, v.HwComponentType.WIRE])

    def index_width(self) -> object:
        if self.hostile():
            return self.width()
        return self.rng.choice([1, 2, 3, 4, 8])

    def count(self) -> object:
        """A signed 32-bit count (priority, extension count)."""
        if self.hostile():
            return self.width()
        return self.rng.choice([0, 1, 2, 5, 10, 50, 100, -5])

    def u64(self) -> object:
        if self.hostile():
            r = self.rng.random()
            if r < 0.7:
                return self.rng.choice(HOSTILE_INTS)
            return not_a_value(self.rng)
        return self.rng.choice([0, 1, 5, 255, 2**32 + 7, 2**64 - 1, self.rng.getrandbits(64)])

    def big_int(self) -> int:
        r = self.rng.random()
        if r < 0.5:
            return self.rng.randrange(-4, 300)
        if r < 0.8:
            return self.rng.choice(HOSTILE_INTS)
        return self.rng.getrandbits(self.rng.choice([65, 128, 300])) * self.rng.choice([1, -1])

    def limbs(self) -> object:
        if self.hostile():
            r = self.rng.random()
            if r < 0.6:
                limbs: list = [self.rng.getrandbits(64) for _ in range(self.rng.randrange(0, 4))]
                kind = self.rng.choice([ClearingIndex, ShrinkingIndex, GrowingIndex])
                limbs.insert(0, kind(limbs, 1))
                limbs.append(kind(limbs, 2))
                return limbs
            if r < 0.8:
                return [self.rng.choice([-1, 2**64, RaisingIndex(), "1", None])]
            return self.rng.choice(["1234", b"\x01\x02", 7, None, {1: 2}, (x for x in [1])])
        n = self.rng.randrange(0, 4)
        seq = [self.rng.getrandbits(64) for _ in range(n)]
        return tuple(seq) if self.rng.random() < 0.3 else seq

    def flag(self) -> object:
        if self.hostile():
            return self.rng.choice([0, 1, None, "True", 2])
        return self.rng.random() < 0.5

    def op(self) -> object:
        if self.hostile():
            return self.rng.choice([26, 27, -1, 2**32, 2**40, None, "ArithPlus", 1.0])
        if self.rng.random() < 0.5:
            return self.rng.choice(list(v.LogicOp))
        return self.rng.randrange(0, 26)

    def unary_op(self) -> object:
        if self.hostile():
            return self.op()
        return self.rng.choice([v.LogicOp.BitwiseInvr, v.LogicOp.LogicalNot, 3, 8])

    def slice_for(self, width: int | None) -> object:
        if self.rng.random() < 0.5:
            return None
        if self.hostile():
            r = self.rng.random()
            if r < 0.5:
                return v.Slice(self.rng.choice([-1, 0, 3, 2**31 - 1]),
                               self.rng.choice([-2**31, 0, 2, 2**31 - 1]))
            if r < 0.7:
                return v.Slice.__new__(v.Slice)
            return not_a_value(self.rng)
        w = width if width and width > 0 else 8
        start = self.rng.randrange(0, w)
        stop = self.rng.randrange(start + 1, w + 1)
        return v.Slice(start, stop)

    def output_dir(self, good: str) -> object:
        if self.hostile():
            return self.rng.choice(["", good + "/missing/deeper", good + "\x00x", "/proc/self",
                                    good + "/top.v", 17, None, b"/tmp"])
        return good

    def top_file_name(self) -> object:
        if self.hostile():
            return self.rng.choice(["", "a\x00b", "x" * 300, ".", "..", "sub/top", None, 3])
        return self.rng.choice(["top", "design", "out_top"])
