"""Call sequences with a purpose, so that random disturbances also hit build_flow and emit: a
whole design written the way a front end writes it, and designs nested very deep."""

from __future__ import annotations

from session import Owned, Session

ASSIGNABLE = ("mk_reg", "mk_wire")


class DesignScript:
    """A design procedure; between its steps the session makes random calls now and then."""

    def __init__(self, s: Session, disturbance: float):
        self.s = s
        self.rng = s.rng
        self.disturbance = disturbance
        self.rec: Owned | None = None
        self.signals: list = []
        self.targets: list = []
        self.karrays: list = []

    def step(self, method: str, *args, width=None):
        if self.rng.random() < self.disturbance:
            self.s.random_action()
        return self.s.call_arena(self.rec, method, list(args), None, width)

    def name(self) -> object:
        return self.s.values.name()

    def run(self) -> None:
        self.rec = self.s.new_arena()
        if self.rec.obj is None:
            return
        top = self.step("mk_module", self.name())
        self.step("track_module_at_com_init", top)
        modules = [top]
        self.components()
        for _ in range(self.rng.choice([0, 0, 1, 2])):
            sub = self.step("mk_module", self.name())
            self.step("track_module_at_com_init", sub)
            self.components()
            self.step("untrack_module_at_com_init", sub)
            modules.append(sub)
        self.step("untrack_module_at_com_init", top)
        for m in modules:
            self.step("track_module_at_flow_init", m)
            for _ in range(self.rng.randrange(0, 3)):
                self.block(0)
            if self.targets and self.rng.random() < 0.3:
                self.assign()
            self.step("finalize_flow_procedure")
            self.step("untrack_module_at_flow_init", m)
        self.step("set_top_module", top)
        self.step("build_flow")
        if self.rng.random() < 0.9:
            backend = self.s.make_backend(self.rec)
            if backend is not None:
                self.s.emit(backend)

    def components(self) -> None:
        for _ in range(self.rng.randrange(1, 7)):
            kind = self.rng.choice(ASSIGNABLE + ASSIGNABLE + ("mk_val", "mk_expression",
                                                              "mk_mem"))
            width = self.rng.choice([1, 1, 2, 4, 8, 16, 70])
            if kind == "mk_val":
                sig = self.step(kind, self.name(), width, self.rng.getrandbits(16), width=width)
            elif kind == "mk_mem":
                mem = self.step("mk_mem_blk", self.name(), width, 2)
                index = self.rng.choice(self.signals) if self.signals else None
                sig = self.step("mk_mem_ele", self.name(), mem, index, width,
                                self.rng.random() < 0.5)
                if sig is not None and self.rng.random() < 0.5:
                    self.targets.append(sig)
            elif kind == "mk_expression":
                if not self.signals:
                    continue
                a = self.rng.choice(self.signals)
                sig = self.step(kind, self.name(), self.s.values.op(), a, self.pick_operand())
            else:
                sig = self.step(kind, self.name(), width, width=width)
                if sig is not None:
                    self.targets.append(sig)
                    self.extras(kind, sig, width)
            if sig is not None:
                self.signals.append(sig)
        if self.rng.random() < 0.4:
            self.complex_parts()

    def extras(self, kind: str, sig, width: int) -> None:
        r = self.rng.random()
        if r < 0.3:
            self.step("mark_as_io", sig, self.rng.random() < 0.5, self.s.values.io_name())
        elif r < 0.5:
            value = self.step("mk_val", self.name(), width, 1, width=width)
            setter = "set_reg_reset" if kind == "mk_reg" else "set_wire_default"
            self.step(setter, sig, value)

    def pick_operand(self):
        if self.signals and self.rng.random() < 0.7:
            return self.rng.choice(self.signals)
        return self.s.values.big_int()

    def assign(self) -> None:
        des = self.rng.choice(self.targets)
        self.step("gen_basic_assign", des, self.pick_operand())

    def bit(self):
        """A one-bit signal of the design (a condition), or None when there is none yet."""
        bits = [x for x in self.signals if self.s.width_of(x) == 1]
        return self.rng.choice(bits) if bits else None

    def complex_parts(self) -> None:
        """An arbiter, a dynamic counter or a Karray of the module being described."""
        kind = self.rng.choice(["arb", "counter", "karray"])
        if kind == "arb":
            arb = self.step("mk_arb", self.name(), self.s.values.policy())
            for _ in range(self.rng.randrange(0, 4)):
                if self.rng.random() < 0.7:
                    self.step("arb_add_leaf", arb, self.rng.randrange(0, 3))
                else:
                    self.step("arb_add_leaf_locked", arb, 1, self.s.values.channel())
            if self.rng.random() < 0.5 and self.bit() is not None:
                self.step("arb_set_master_ack", arb, self.bit())
            for i in range(2):
                req = self.step("arb_get_leaf_req_wire", arb, i)
                if req is not None and req.hw_type == "WIRE":
                    self.targets.append(req)
        elif kind == "counter":
            width = self.rng.choice([1, 4, 8])
            cnt = self.step("mk_dyn_counter", self.name(), width)
            for _ in range(self.rng.randrange(0, 3)):
                self.step("dyn_counter_add", cnt, self.pick_signal(), None, self.bit())
            self.step("dyn_counter_update", cnt)
        else:
            k = self.step("mk_karray", self.name(), self.s.values.shape(),
                          self.s.values.fields(), self.s.values.backing())
            sel = [("reduce", [], [])] if self.rng.random() < 0.3 else self.s.selectors(self.rec)
            read = self.step("karray_read_field_hcp", k, sel, self.s.select_fns(self.rec),
                             self.s.values.field())
            if read is not None:
                self.signals.append(read)
            self.karrays.append(k)

    def pick_signal(self):
        return self.rng.choice(self.signals) if self.signals else None

    def body(self, depth: int) -> None:
        """The statements of a block that takes cycles: nested blocks and assignments."""
        for _ in range(self.rng.choice([0, 1, 1, 2, 3])):
            if depth < 3 and self.rng.random() < 0.3:
                self.block(depth + 1)
            elif self.karrays and self.rng.random() < 0.1:
                k = self.rng.choice(self.karrays)
                self.step("karray_assign_hcps", k, self.s.selectors(self.rec),
                          self.pick_operand(), self.rng.random() < 0.5)
            elif self.targets:
                self.assign()

    def closed(self, factory: str, *args, fill) -> None:
        b = self.step(factory, self.name(), *args)
        self.step("initialize_flow_block", b)
        fill()
        if self.rng.random() < 0.9:
            self.step("check_flow_block_prefinalize", b)
        self.step("finalize_flow_block", b)

    def single_body(self, depth: int):
        return lambda: self.closed("mk_flow_block_seq", fill=lambda: self.body(depth + 1))

    def zero_cycle_body(self):
        return lambda: self.assign() if self.targets else None

    def block(self, depth: int) -> None:
        kind = self.rng.choice(["seq", "seq", "par_auto", "par_no_sync", "cif", "pick", "loop",
                                "wait", "zif", "zstate"])
        cond = self.bit()
        if kind in ("seq", "par_auto", "par_no_sync") or (cond is None and kind != "wait"):
            factory = "mk_flow_block_" + (kind if kind.startswith("par") else "seq")
            self.closed(factory, fill=lambda: self.body(depth))
        elif kind == "cif":
            self.closed(self.rng.choice(["mk_flow_block_cif", "mk_flow_block_sif"]), cond,
                        fill=self.single_body(depth))
            for _ in range(self.rng.randrange(0, 2)):
                self.closed("mk_flow_block_cselif", self.bit(), fill=self.single_body(depth))
            if self.rng.random() < 0.5:
                self.closed("mk_flow_block_cselse", fill=self.single_body(depth))
        elif kind == "pick":
            def branches():
                for _ in range(self.rng.randrange(1, 3)):
                    self.closed("mk_flow_block_pif", self.bit(), fill=self.single_body(depth))
                if self.rng.random() < 0.5:
                    self.closed("mk_flow_block_pidef", fill=self.single_body(depth))
            self.closed("mk_flow_block_pick", fill=branches)
        elif kind == "loop":
            factory = self.rng.choice(["cwhile", "swhile", "do_while", "counter_loop"])
            arg = self.rng.randrange(1, 4) if factory == "counter_loop" else cond
            self.closed("mk_flow_block_" + factory, arg, fill=self.single_body(depth))
        elif kind == "wait":
            if cond is not None and self.rng.random() < 0.5:
                self.closed("mk_flow_block_scwait", cond, fill=lambda: None)
            else:
                self.closed("mk_flow_block_sywait", self.rng.randrange(1, 4), fill=lambda: None)
        elif kind == "zif":
            self.closed("mk_flow_block_zif", cond, fill=self.zero_cycle_body())
            if self.rng.random() < 0.5:
                self.closed("mk_flow_block_zelif", self.bit(), fill=self.zero_cycle_body())
            if self.rng.random() < 0.5:
                self.closed("mk_flow_block_zelse", fill=self.zero_cycle_body())
        else:
            state = self.pick_signal()

            def cases():
                for value in range(self.rng.randrange(1, 4)):
                    self.closed("mk_flow_block_zcase", value, fill=self.zero_cycle_body())
            self.closed("mk_flow_block_zstate", state, fill=cases)


def deep_blocks(s: Session, depth: int) -> None:
    """`depth` nested sequences, each with one assignment, built and emitted."""
    rec = s.new_arena()
    if rec.obj is None:
        return
    call = lambda method, *args: s.call_arena(rec, method, list(args))  # noqa: E731
    top = call("mk_module", "top")
    call("track_module_at_com_init", top)
    r = call("mk_reg", "r", 8)
    call("untrack_module_at_com_init", top)
    call("track_module_at_flow_init", top)
    blocks = []
    for i in range(depth):
        b = call("mk_flow_block_seq", f"s{i}")
        call("initialize_flow_block", b)
        blocks.append(b)
        call("gen_basic_assign", r, i % 256)
    for b in reversed(blocks):
        call("finalize_flow_block", b)
    call("finalize_flow_procedure")
    call("untrack_module_at_flow_init", top)
    call("set_top_module", top)
    call("build_flow")
    backend = s.make_backend(rec)
    if backend is not None:
        s.emit(backend)


def deep_modules(s: Session, depth: int) -> None:
    """`depth` modules, each made inside the one before, each with a register and an output."""
    rec = s.new_arena()
    if rec.obj is None:
        return
    call = lambda method, *args: s.call_arena(rec, method, list(args))  # noqa: E731
    modules = []
    for i in range(depth):
        m = call("mk_module", f"m{i}")
        call("track_module_at_com_init", m)
        r = call("mk_reg", f"r{i}", 2)
        if i == depth - 1:
            call("mark_as_io", r, False, "deepest")
        modules.append(m)
    for m in reversed(modules):
        call("untrack_module_at_com_init", m)
    if modules:
        call("set_top_module", modules[0])
    call("build_flow")
    backend = s.make_backend(rec)
    if backend is not None:
        s.emit(backend)
