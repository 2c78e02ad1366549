"""Memory: a design that is built, emitted and dropped gives back what it took, names included;
identity objects keep their names however long they outlive their arena."""

import gc
import os

import pytest

import _velmora as v
from conftest import run_fresh

BUILD_EMIT_DROP = """
import gc, os, tempfile
import _velmora as v

def rss():
    with open("/proc/self/statm") as f:
        return int(f.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")

def cycle(out, k):
    a = v.ModelArena()
    top = a.mk_module(f"top{k}")
    a.track_module_at_com_init(top)
    acc = a.mk_reg(f"acc{k}", 8)
    a.mark_as_io(acc, False, "acc")
    sub = a.mk_module(f"sub{k}")
    a.track_module_at_com_init(sub)
    q = a.mk_reg(f"q{k}", 8)
    a.untrack_module_at_com_init(sub)
    a.untrack_module_at_com_init(top)
    a.track_module_at_flow_init(top)
    steps = a.mk_flow_block_seq(f"steps{k}")
    a.initialize_flow_block(steps)
    for value in (1, 2, 3):
        a.gen_basic_assign(acc, value)
    a.gen_basic_assign(q, acc)
    a.finalize_flow_block(steps)
    a.finalize_flow_procedure()
    a.untrack_module_at_flow_init(top)
    a.set_top_module(top)
    a.build_flow()
    v.BackendVerilog(a).emit(out, "top")

# The backend's progress lines would fill the pipe.
devnull = os.open(os.devnull, os.O_WRONLY)
saved = os.dup(1)
os.dup2(devnull, 1)
with tempfile.TemporaryDirectory() as out:
    for k in range(300):
        cycle(out, k)
    gc.collect()
    before = rss()
    for k in range(3000):
        cycle(out, k)
    gc.collect()
    after = rss()
os.dup2(saved, 1)
print(after - before)
"""


@pytest.mark.skipif("libasan" in os.environ.get("LD_PRELOAD", ""),
                    reason="AddressSanitizer keeps freed memory in quarantine")
def test_rss_stays_flat_over_3000_build_emit_drop_cycles():
    growth = int(run_fresh(BUILD_EMIT_DROP))
    assert growth < 2 * 1024 * 1024, f"RSS grew by {growth} bytes over 3000 designs"


def test_identity_keeps_its_names_after_its_arena_is_gone():
    other = v.ModelArena()
    m = other.mk_module("gone")
    other.track_module_at_com_init(m)
    r = other.mk_reg("long_gone_register", 4)
    del other
    gc.collect()
    # Fresh names made now take the entries that were freed, but not those r still uses.
    churn = v.ModelArena()
    churn.track_module_at_com_init(churn.mk_module("churn"))
    for k in range(200):
        churn.mk_wire(f"w{k}", 1)
    arena = v.ModelArena()
    try:
        arena.get_hw_bit_sz(r)
    except ValueError as e:
        message = str(e)
    assert message == (
        f"argument 'hcp_i': REG_long_gone_register_{r.global_id} is not a component of this arena "
        "(an identity from another ModelArena, or one kept after BackendVerilog took the model)"
    )
