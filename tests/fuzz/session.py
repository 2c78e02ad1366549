"""One fuzz sequence: arenas, backends and every identity they returned, and random calls on them.

Every call goes through `invoke`, which sorts its outcome: a return or an ordinary Python error is
fine; a PanicException (other than a call from a thread that does not own the object), an
unexpected exception type or a left-over temporary file is a failure."""

from __future__ import annotations

import copy
import gc
import os
import random
import threading
import warnings
from dataclasses import dataclass, field

import _velmora as v

from surface import ARENA_METHODS, BACKEND_METHODS, CCP_TYPES, IDENT_KINDS, WEIGHTS
from values import ClearingIndex, GrowingIndex, ShrinkingIndex, Values, not_a_value

UNSENDABLE = ("ModelArena is unsendable, but sent to another thread",
              "BackendVerilog is unsendable, but sent to another thread")
BORROWED = ("Already borrowed", "Already mutably borrowed")
THREAD_TIMEOUT = 120.0


class HookError(Exception):
    """Raised on purpose by a warning hook, to travel out through the call that warned."""


@dataclass
class Owned:
    """An arena or backend and the thread that made it."""

    obj: object
    owner: int
    kind: str  # "arena" or "backend"


@dataclass
class Pools:
    arenas: list[Owned] = field(default_factory=list)
    backends: list[Owned] = field(default_factory=list)
    idents: dict[str, list[tuple[object, Owned]]] = field(
        default_factory=lambda: {name: [] for name in IDENT_KINDS.values()})
    widths: dict[int, int] = field(default_factory=dict)


class Session:
    def __init__(self, seed: int, out_root: str, trace=None):
        self.seed = seed
        self.rng = random.Random(seed)
        self.values = Values(self.rng, self.rng.choice([0.0, 0.03, 0.1, 0.3]))
        self.pools = Pools()
        self.out_root = out_root
        self.trace = trace
        self.failures: list[str] = []
        self.recent: list[str] = []
        self.depth = 0
        self.lock = threading.Lock()
        self.stats: dict[str, list[int]] = {}  # call -> [returned, raised]

    # ---- outcome of one call ------------------------------------------------------------
    def log(self, text: str) -> None:
        with self.lock:
            self.recent.append(text)
            del self.recent[:-40]
        if self.trace:
            self.trace(text)

    def fail(self, text: str) -> None:
        with self.lock:
            self.failures.append(f"seed {self.seed}: {text}\n  last calls:\n    " +
                                 "\n    ".join(self.recent))

    def invoke(self, what: str, fn, owner: int | None = None):
        """Calls fn; returns its result, or None when it raised an ordinary error."""
        self.log(what)
        counts = self.stats.setdefault(what.split("(")[0], [0, 0])
        try:
            result = fn()
            counts[0] += 1
            return result
        except v.PanicException as e:
            other_thread = owner is not None and owner != threading.get_ident()
            if not (str(e) in UNSENDABLE and other_thread):
                self.fail(f"{what}: PanicException: {e}")
        except RuntimeError as e:
            if str(e) not in BORROWED:
                self.fail(f"{what}: RuntimeError: {e}")
        except (ValueError, TypeError, OSError, ArithmeticError, Warning, HookError):
            pass
        except Exception as e:  # noqa: BLE001 - anything else is a failure to report
            self.fail(f"{what}: unexpected {type(e).__name__}: {e}")
        counts[1] += 1
        return None

    # ---- pools ---------------------------------------------------------------------------
    def new_arena(self) -> Owned:
        rec = Owned(None, threading.get_ident(), "arena")
        rec.obj = self.invoke("ModelArena()", v.ModelArena)
        if rec.obj is not None:
            self.pools.arenas.append(rec)
        return rec

    def remember(self, result, rec: Owned, width=None) -> None:
        name = type(result).__name__
        if name in self.pools.idents:
            self.pools.idents[name].append((result, rec))
            if width is not None:
                self.pools.widths[id(result)] = width

    def pick_arena(self) -> Owned:
        r = self.rng.random()
        if not self.pools.arenas or r < 0.01:
            return Owned(v.ModelArena.__new__(v.ModelArena), threading.get_ident(), "arena")
        if r < 0.85:
            return self.pools.arenas[-1 - min(self.rng.randrange(3), len(self.pools.arenas) - 1)]
        return self.rng.choice(self.pools.arenas)

    def pick_ident(self, kind: str, rec: Owned):
        cls_name = IDENT_KINDS[kind]
        pool = self.pools.idents[cls_name]
        if self.values.hostile():
            r = self.rng.random()
            if r < 0.25:
                return getattr(v, cls_name).__new__(getattr(v, cls_name))
            if r < 0.3 and pool:
                # A copy made the way the copy module makes it: by __new__ and no state.
                return self.invoke("copy.copy(ident)", lambda: copy.copy(self.rng.choice(pool)[0]))
            if r < 0.6:
                others = [n for n in self.pools.idents if n != cls_name and self.pools.idents[n]]
                if others:
                    return self.rng.choice(self.pools.idents[self.rng.choice(others)])[0]
            if r < 0.8 and pool:
                return self.rng.choice(pool)[0]
            return not_a_value(self.rng)
        own = [i for i, owner in pool[-60:] if owner is rec]
        if kind in CCP_TYPES:
            own = [i for i in own if i.ccp_type == CCP_TYPES[kind]]
        if own and self.rng.random() < 0.9:
            return self.rng.choice(own)
        if pool:
            return self.rng.choice(pool)[0]
        return None

    def width_of(self, ident) -> int | None:
        return self.pools.widths.get(id(ident))

    # ---- arguments -------------------------------------------------------------------------
    def argument(self, kind: str, rec: Owned, earlier: list):
        vals = self.values
        if kind == "mem_blk":
            blocks = [i for i, owner in self.pools.idents["HcpIdent"][-80:]
                      if owner is rec and i.hw_type == "MEM_BLOCK"]
            if blocks and not vals.hostile():
                return self.rng.choice(blocks)
            return self.pick_ident("hcp", rec)
        if kind in IDENT_KINDS:
            return self.pick_ident(kind, rec)
        if kind == "operand":
            return self.operand(rec)
        if kind == "terms":
            if vals.hostile() and self.rng.random() < 0.3:
                return self.rng.choice([None, 3, "ab", [None], (x for x in [1])])
            return [self.operand(rec) for _ in range(self.rng.randrange(0, 5))]
        if kind.startswith("slice:"):
            signal = earlier[int(kind[6:])] if int(kind[6:]) < len(earlier) else None
            return vals.slice_for(self.width_of(signal))
        if kind == "binds":
            return self.zync_binds(rec)
        if kind == "sel":
            return self.selectors(rec)
        if kind == "fns":
            return self.select_fns(rec)
        if kind == "sources":
            if self.rng.random() < 0.4:
                return self.operand(rec)
            return {vals.field(): self.operand(rec) for _ in range(self.rng.randrange(0, 3))}
        if kind == "output_dir":
            return vals.output_dir(self.out_dir())
        return getattr(vals, kind)()

    def operand(self, rec: Owned):
        if self.rng.random() < 0.7:
            return self.pick_ident("hcp", rec)
        return self.values.big_int()

    def selectors(self, rec: Owned):
        if self.values.hostile() and self.rng.random() < 0.3:
            return self.rng.choice([None, "static", [("static",)], [("x", [], [])],
                                    [("static", [2**64], [])], [("dyn", [1], [None])]])
        out = []
        for _ in range(self.rng.randrange(0, 3)):
            kind = self.rng.choice(["static", "dyn", "cus", "reduce"])
            if kind == "static":
                out.append((kind, [self.rng.randrange(0, 5)], []))
            elif kind == "dyn":
                out.append((kind, [], [self.pick_ident("hcp", rec)]))
            elif kind == "cus":
                out.append((kind, [], [self.pick_ident("hcp", rec)
                                       for _ in range(self.rng.randrange(0, 4))]))
            else:
                out.append((kind, [], []))
        return out

    def zync_binds(self, rec: Owned):
        """(arbiter, priority or None, auto ack, condition or None) tuples, some of them hostile:
        a priority whose __index__ empties the list being read."""
        binds: list = []
        for _ in range(self.rng.randrange(0, 4)):
            arb = self.pick_ident("arb", rec)
            cond = self.pick_ident("hcp", rec) if self.rng.random() < 0.5 else None
            priority = self.values.opt_count()
            if self.values.hostile() and self.rng.random() < 0.5:
                priority = self.rng.choice([ClearingIndex, ShrinkingIndex, GrowingIndex])(binds, 1)
            binds.append((arb, priority, self.rng.random() < 0.5, cond))
        if self.values.hostile() and self.rng.random() < 0.3:
            return self.rng.choice([None, "abc", [None], [(1, 2)], (b for b in binds)])
        return binds

    def select_fns(self, rec: Owned):
        """Select fns for Karray reduce selectors: they pick one side, answer garbage, raise, or
        call back into the model while the reduce is running."""
        if self.values.hostile() and self.rng.random() < 0.3:
            return self.rng.choice([None, 3, [3], {"a": None}, {2**70: None}])

        def pick(a, a_idx, b, b_idx, level):
            r = self.rng.random()
            if r < 0.1:
                raise HookError("raised by a select fn")
            if r < 0.2:
                self.log("-- re-entered from a select fn")
                if self.depth < 2:
                    self.depth += 1
                    try:
                        self.random_arena_call()
                    finally:
                        self.depth -= 1
            if r < 0.3:
                return self.rng.choice([None, (1, []), (self.pick_ident("hcp", rec), [1])])
            sig = a[0][1] if a else self.pick_ident("hcp", rec)
            return (self.pick_ident("hcp", rec) if self.values.hostile() else sig, [])

        return [pick if self.rng.random() < 0.8 else None for _ in range(self.rng.randrange(1, 3))]

    def arguments(self, params, rec: Owned):
        args: list = []
        for _, kind in params:
            args.append(self.argument(kind, rec, args))
        kwargs: dict = {}
        r = self.rng.random()
        if r < 0.15:
            kwargs = {name: a for (name, _), a in zip(params, args)}
            args = []
        elif r < 0.2 and params:
            # Optional trailing arguments left out, or one argument too many / unknown.
            cut = self.rng.randrange(len(params) + 1)
            if self.values.hostile():
                args = args + [1] if self.rng.random() < 0.5 else args[:cut]
                if self.rng.random() < 0.3:
                    kwargs = {"bogus": 1}
            else:
                args = args[:max(cut, required_count(params))]
        return args, kwargs

    def out_dir(self) -> str:
        path = os.path.join(self.out_root, f"s{self.seed}")
        os.makedirs(path, exist_ok=True)
        return path

    # ---- calls -------------------------------------------------------------------------------
    def call_arena(self, rec: Owned, method: str, args: list, kwargs: dict | None = None,
                   width=None):
        kwargs = kwargs or {}
        fn = getattr(rec.obj, method)
        result = self.invoke(f"arena.{method}{describe(args, kwargs)}",
                             lambda: fn(*args, **kwargs), rec.owner)
        if result is not None:
            if width is None and method.startswith("mk_") and type(result) is v.HcpIdent:
                width = self.invoke("get_hw_bit_sz", lambda: rec.obj.get_hw_bit_sz(result),
                                    rec.owner)
            self.remember(result, rec, width)
        return result

    def random_arena_call(self) -> None:
        rec = self.pick_arena()
        names = list(ARENA_METHODS)
        method = self.rng.choices(names, [WEIGHTS.get(n, 1.0) for n in names])[0]
        params = ARENA_METHODS[method]
        args, kwargs = self.arguments(params, rec)
        width = None
        if method in ("mk_reg", "mk_wire", "mk_val", "mk_val_vv", "mk_mem_blk") and args:
            width = args[1] if len(args) > 1 and type(args[1]) is int else None
        self.call_arena(rec, method, args, kwargs, width)

    def make_backend(self, rec: Owned | None = None) -> Owned | None:
        if rec is None:
            rec = self.pick_arena()
        arg = rec.obj if not self.values.hostile() else self.rng.choice(
            [rec.obj, not_a_value(self.rng), v.ModelArena.__new__(v.ModelArena)])
        backend = self.invoke("BackendVerilog(arena)", lambda: v.BackendVerilog(arg), rec.owner)
        if backend is None:
            return None
        out = Owned(backend, threading.get_ident(), "backend")
        self.pools.backends.append(out)
        return out

    def emit(self, backend: Owned | None = None) -> None:
        if backend is None:
            if not self.pools.backends or self.rng.random() < 0.05:
                backend = Owned(v.BackendVerilog.__new__(v.BackendVerilog),
                                threading.get_ident(), "backend")
            else:
                backend = self.rng.choice(self.pools.backends)
        args, kwargs = self.arguments(BACKEND_METHODS["emit"], Owned(None, 0, "arena"))
        out = self.out_dir()
        before = sorted(os.listdir(out))
        ok = self.invoke(f"backend.emit{describe(args, kwargs)}",
                         lambda: backend.obj.emit(*args, **kwargs) or True, backend.owner)
        after = sorted(os.listdir(out))
        stray = [f for f in after if not f.endswith(".v")]
        if stray:
            self.fail(f"emit left files that are not Verilog: {stray}")
        if not ok and after != before:
            self.fail(f"a failed emit changed the output folder: {before} -> {after}")
        for f in after:
            os.unlink(os.path.join(out, f))

    # ---- threads, hooks and other disturbances -------------------------------------------------
    def in_thread(self, body) -> None:
        t = threading.Thread(target=body)
        t.start()
        t.join(THREAD_TIMEOUT)
        if t.is_alive():
            self.fail("a call on another thread did not return (hang)")

    def thread_action(self) -> None:
        r = self.rng.random()
        if r < 0.6:
            # A call on an object of this thread, made from another one.
            self.log("-- next call from another thread")
            self.in_thread(self.guarded(self.random_action))
        else:
            # A new arena made and used on another thread; it joins the pools.
            def body():
                rec = self.new_arena()
                if rec.obj is None:
                    return
                for _ in range(self.rng.randrange(1, 6)):
                    self.random_arena_call()

            self.log("-- arena made on another thread")
            self.in_thread(self.guarded(body))

    def guarded(self, fn):
        def run():
            try:
                fn()
            except BaseException as e:  # noqa: BLE001 - the fuzzer's own slips are failures too
                self.fail(f"fuzzer body raised {type(e).__name__}: {e}")
        return run

    def warning_action(self) -> None:
        r = self.rng.random()
        if r < 0.3:
            warnings.simplefilter("error")
        elif r < 0.5:
            warnings.resetwarnings()
            warnings.simplefilter("always")
            warnings.showwarning = warnings._showwarning_orig  # type: ignore[attr-defined]
        else:
            warnings.simplefilter("always")
            warnings.showwarning = self.hook

    def hook(self, *_args, **_kwargs) -> None:
        """A warning hook that calls back into the model while the warning call is running."""
        if self.depth < 2:
            self.depth += 1
            try:
                self.log("-- re-entered from a warning hook")
                self.random_action()
            finally:
                self.depth -= 1
        if self.rng.random() < 0.2:
            raise HookError("raised by the warning hook")

    def drop_action(self) -> None:
        if self.pools.arenas:
            rec = self.pools.arenas.pop(self.rng.randrange(len(self.pools.arenas)))
            self.log("-- dropped an arena")
            del rec
        if self.pools.backends and self.rng.random() < 0.5:
            self.pools.backends.pop(self.rng.randrange(len(self.pools.backends)))
        gc.collect()

    def random_action(self) -> None:
        r = self.rng.random()
        if r < 0.86:
            self.random_arena_call()
        elif r < 0.89:
            self.new_arena()
        elif r < 0.92:
            self.make_backend()
        elif r < 0.95:
            self.emit()
        elif r < 0.965:
            self.thread_action()
        elif r < 0.98:
            self.warning_action()
        else:
            self.drop_action()


def required_count(params) -> int:
    return sum(1 for name, kind in params if not kind.startswith("slice:"))


def describe(args, kwargs) -> str:
    parts = [short(a) for a in args] + [f"{k}={short(a)}" for k, a in kwargs.items()]
    return "(" + ", ".join(parts) + ")"


def short(a) -> str:
    if type(a).__module__ == "_velmora" and not isinstance(a, int):
        # An identity may be uninitialised on purpose; its repr would refuse.
        return f"<{type(a).__name__}>"
    try:
        text = repr(a)
    except Exception:  # noqa: BLE001 - a hostile object may refuse repr
        text = f"<{type(a).__name__}>"
    return text if len(text) <= 40 else text[:37] + "..."
