"""A thin helper over ModelArena for test designs: the procedure a front end follows, in short."""

from __future__ import annotations

import contextlib
import os
from dataclasses import dataclass, field
from pathlib import Path

import _velmora as v

from verilog_tools import Port, simulate


@dataclass
class Emitted:
    out_dir: Path
    top_name: str
    top_file: Path
    files: list[Path] = field(default_factory=list)


class Design:
    def __init__(self, top_name: str = "top"):
        self.arena = v.ModelArena()
        self.top = self.arena.mk_module(top_name)
        self._stack = []

    # ---- components ---------------------------------------------------------------------
    @contextlib.contextmanager
    def components(self, module):
        self.arena.track_module_at_com_init(module)
        try:
            yield
        finally:
            self.arena.untrack_module_at_com_init(module)

    @contextlib.contextmanager
    def flow(self, module):
        self.arena.track_module_at_flow_init(module)
        try:
            yield
        finally:
            self.arena.finalize_flow_procedure()
            self.arena.untrack_module_at_flow_init(module)

    @contextlib.contextmanager
    def block(self, block_i):
        self.arena.initialize_flow_block(block_i)
        yield block_i
        self.arena.check_flow_block_prefinalize(block_i)
        self.arena.finalize_flow_block(block_i)

    def seq(self, name: str = "seq"):
        return self.block(self.arena.mk_flow_block_seq(name))

    def par(self, name: str = "par", no_sync: bool = False):
        factory = self.arena.mk_flow_block_par_no_sync if no_sync else self.arena.mk_flow_block_par_auto
        return self.block(factory(name))

    def flow_block(self, kind: str, *args, name: str | None = None):
        """mk_flow_block_{kind}(name, *args), opened and closed around the body; the block is
        named after its kind unless a name is given."""
        factory = getattr(self.arena, f"mk_flow_block_{kind}")
        return self.block(factory(name or kind, *args))

    def reg(self, name: str, width: int, reset: int | None = 0, port: bool = True):
        """A register with a reset value, shown as an output port of its own name."""
        r = self.arena.mk_reg(name, width)
        if reset is not None:
            self.arena.set_reg_reset(r, self.const(name + "_rst", width, reset))
        if port:
            self.arena.mark_as_io(r, False, name)
        return r

    def input(self, name: str, width: int = 1):
        w = self.arena.mk_wire(name, width)
        self.arena.mark_as_io(w, True, name)
        return w

    def assign(self, des, src, **kw):
        self.arena.gen_basic_assign(des, src, **kw)

    def const(self, name: str, width: int, value: int):
        return self.arena.mk_val(name, width, value)

    # ---- build and emit ------------------------------------------------------------------
    def emit(self, out_dir: os.PathLike, top_file: str = "top") -> Emitted:
        Path(out_dir).mkdir(parents=True, exist_ok=True)
        self.arena.set_top_module(self.top)
        self.arena.build_flow()
        top_name = self.arena.module_verilog_name(self.top)
        backend = v.BackendVerilog(self.arena)
        backend.emit(str(out_dir), top_file)
        out = Path(out_dir)
        return Emitted(out, top_name, out / f"{top_file}.v", sorted(out.glob("*.v")))

    def run(self, out_dir: os.PathLike, outputs: dict[str, int], cycles: int,
            inputs: dict[str, int] | None = None, stimulus: dict[str, list[int]] | None = None,
            sync: bool = False):
        emitted = self.emit(out_dir)
        result = simulate(emitted.out_dir, emitted.top_name,
                          [Port(n, w) for n, w in outputs.items()], cycles,
                          [Port(n, w) for n, w in (inputs or {}).items()], stimulus, sync)
        return emitted, result
