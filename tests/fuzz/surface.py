"""The Python surface of _velmora as the fuzzer sees it: every method with its parameter names and
the kind of value each takes. A method added to the extension must be added here too (a test
checks that the table and the classes agree)."""

from __future__ import annotations

# Kinds: name, io_name, width, opt_width (a width or None), index_width, count, u64, limbs, flag,
# op, unary_op, policy, channel, arb, counter, karray (CcpIdents), shape (a list of counts), fields (a list of (name, width)),
# field, backing, binds (zync binds), opt_count, sel (Karray selectors), fns (select fns), sources (a Karray write source), module, hcp, mem_blk (an HcpIdent, a memory block when
# plausible), block, operand, terms (a list of operands), and "slice:<k>" (a slice of the signal
# given as argument k).
COND_BLOCK = (("name", "name"), ("cond_i", "hcp"), ("cond_slice", "slice:1"))
ROTATE = (("name", "name"), ("sig_i", "hcp"), ("sig_slice", "slice:1"), ("amount", "count"),
          ("width", "opt_width"))

ARENA_METHODS: dict[str, tuple[tuple[str, str], ...]] = {
    # modules
    "mk_module": (("name", "name"),),
    "track_module_at_com_init": (("module_i", "module"),),
    "untrack_module_at_com_init": (("module_i", "module"),),
    "track_module_at_flow_init": (("module_i", "module"),),
    "untrack_module_at_flow_init": (("module_i", "module"),),
    "set_top_module": (("module_i", "module"),),
    "module_verilog_name": (("module_i", "module"),),
    # signals and storage
    "mk_reg": (("name", "name"), ("bit_width", "width")),
    "mk_wire": (("name", "name"), ("bit_width", "width")),
    "mk_val": (("name", "name"), ("bit_width", "width"), ("init_val", "u64")),
    "mk_val_vv": (("name", "name"), ("bit_width", "width"), ("limbs", "limbs")),
    "mk_mem_blk": (("name", "name"), ("bit_width", "width"), ("index_width", "index_width")),
    "mk_mem_ele": (("name", "name"), ("master_mem_blk_i", "mem_blk"), ("index_ident", "hcp"),
                   ("bit_width", "width"), ("is_read", "flag")),
    "get_hw_bit_sz": (("hcp_i", "hcp"),),
    "set_reg_reset": (("reg_i", "hcp"), ("reset_val_i", "hcp")),
    "set_wire_default": (("wire_i", "hcp"), ("default_val_i", "hcp")),
    "mark_as_io": (("hcp_i", "hcp"), ("is_input", "flag"), ("io_name", "io_name")),
    "is_marked_as_io": (("hcp_i", "hcp"),),
    "hcp_verilog_name": (("hcp_i", "hcp"),),
    # expressions
    "mk_expression": (("name", "name"), ("op", "op"), ("a", "operand"), ("b", "operand"),
                      ("a_slice", "slice:2"), ("b_slice", "slice:3")),
    "mk_expression_single": (("name", "name"), ("op", "unary_op"), ("a", "hcp"),
                             ("a_slice", "slice:2")),
    "mk_extend_bit": (("name", "name"), ("a", "hcp"), ("c", "width"), ("a_slice", "slice:1")),
    # assignment and priority mode
    "gen_basic_assign": (("des_i", "hcp"), ("src", "operand"), ("src_slice", "slice:1"),
                         ("des_slice", "slice:0")),
    "get_asm_pri_mode": (),
    "get_asm_pri_val": (),
    "set_asm_pri_to_auto": (),
    "set_asm_pri_to_manual": (("priority", "count"),),
    # flow blocks
    "mk_flow_block_seq": (("name", "name"),),
    "mk_flow_block_par_auto": (("name", "name"),),
    "mk_flow_block_par_no_sync": (("name", "name"),),
    "initialize_flow_block": (("block_i", "block"),),
    "check_flow_block_prefinalize": (("block_i", "block"),),
    "finalize_flow_block": (("block_i", "block"),),
    "finalize_flow_procedure": (),
    "get_last_skeleton_flow_block_type": (),
    "build_flow": (),
    # choice, zero-cycle and loop blocks
    "mk_flow_block_cif": COND_BLOCK,
    "mk_flow_block_sif": COND_BLOCK,
    "mk_flow_block_cselif": COND_BLOCK,
    "mk_flow_block_cselse": (("name", "name"),),
    "mk_flow_block_pick": (("name", "name"),),
    "mk_flow_block_pif": COND_BLOCK,
    "mk_flow_block_pidef": (("name", "name"),),
    "mk_flow_block_zif": COND_BLOCK,
    "mk_flow_block_zelif": COND_BLOCK,
    "mk_flow_block_zelse": (("name", "name"),),
    "mk_flow_block_zstate": (("name", "name"), ("state_i", "hcp")),
    "mk_flow_block_zcase": (("name", "name"), ("match_val", "count")),
    "mk_flow_block_cwhile": COND_BLOCK,
    "mk_flow_block_swhile": COND_BLOCK,
    "mk_flow_block_do_while": COND_BLOCK,
    "mk_flow_block_scwait": COND_BLOCK,
    "mk_flow_block_counter_loop": (("name", "name"), ("last_loop_cnt", "count")),
    "mk_flow_block_sywait": (("name", "name"), ("cycle", "count")),
    "mk_flow_block_pip": (("name", "name"), ("arb_i", "arb"), ("priority", "opt_count"),
                          ("auto_req", "flag"), ("auto_restart", "flag")),
    "mk_flow_block_zync": (("name", "name"), ("arb_i", "arb"), ("priority", "opt_count"),
                           ("auto_ack", "flag")),
    "mk_flow_block_zync_multi": (("name", "name"), ("binds", "binds"), ("match_all", "flag"),
                                 ("priority", "opt_count")),
    # generators
    "gen_mux": (("name", "name"), ("cond_i", "hcp"), ("cond_slice", "slice:1"),
                ("if_true", "operand"), ("if_false", "operand"), ("true_slice", "slice:3"),
                ("false_slice", "slice:4"), ("width", "opt_width")),
    "gen_rotate_left": ROTATE,
    "gen_rotate_right": ROTATE,
    "gen_any_of": (("name", "name"), ("terms", "terms")),
    "gen_sum_cnt": (("name", "name"), ("bits", "terms"), ("width", "opt_width")),
    # arbiters
    "mk_arb": (("name", "name"), ("policy", "policy")),
    "arb_add_leaf": (("arb_i", "arb"), ("priority", "count")),
    "arb_add_leaf_locked": (("arb_i", "arb"), ("priority", "count"), ("channel", "channel")),
    "arb_lock_master_ack": (("arb_i", "arb"),),
    "arb_set_master_ack": (("arb_i", "arb"), ("src_i", "hcp"), ("src_slice", "slice:1")),
    "arb_set_hold": (("arb_i", "arb"), ("cond_i", "hcp"), ("cond_slice", "slice:1")),
    "arb_set_reset": (("arb_i", "arb"), ("cond_i", "hcp"), ("cond_slice", "slice:1")),
    "arb_leaf_count": (("arb_i", "arb"),),
    "arb_get_master_req_wire": (("arb_i", "arb"),),
    "arb_get_leaf_req_wire": (("arb_i", "arb"), ("idx", "u64")),
    "arb_get_leaf_ack_wire": (("arb_i", "arb"), ("idx", "u64")),
    # dynamic counters
    "mk_dyn_counter": (("name", "name"), ("width", "width")),
    "dyn_counter_add": (("cnt_i", "counter"), ("addend_i", "hcp"), ("addend_slice", "slice:1"),
                        ("enable_i", "hcp"), ("enable_slice", "slice:3")),
    "dyn_counter_update": (("cnt_i", "counter"),),
    "dyn_counter_get_reg": (("cnt_i", "counter"),),
    "dyn_counter_get_now": (("cnt_i", "counter"),),
    # Karrays
    "mk_karray": (("name", "name"), ("shape", "shape"), ("fields", "fields"),
                  ("backing", "backing")),
    "karray_shape": (("karray_i", "karray"),),
    "karray_fields": (("karray_i", "karray"),),
    "karray_is_clocked": (("karray_i", "karray"),),
    "karray_element_hcp": (("karray_i", "karray"), ("coord", "shape"), ("field", "field")),
    "karray_reset_field": (("karray_i", "karray"), ("field", "field"), ("value", "operand")),
    "karray_read_field_hcp": (("karray_i", "karray"), ("sel", "sel"), ("fns", "fns"),
                              ("field", "field")),
    "karray_assign_hcps": (("karray_i", "karray"), ("sel", "sel"), ("sources", "sources"),
                           ("expect_clocked", "flag")),
    "karray_assign_k2k": (("dst_i", "karray"), ("dst_sel", "sel"), ("src_i", "karray"),
                          ("src_sel", "sel"), ("src_fns", "fns"), ("expect_clocked", "flag")),
}

BACKEND_METHODS: dict[str, tuple[tuple[str, str], ...]] = {
    "emit": (("output_dir", "output_dir"), ("top_file_name", "top_file_name")),
}

# How often a random call picks each method (default 1).
WEIGHTS: dict[str, float] = {
    "mk_reg": 4, "mk_wire": 4, "mk_val": 3, "mk_val_vv": 1.5, "mk_expression": 4,
    "gen_basic_assign": 8, "mk_flow_block_seq": 3, "mk_flow_block_par_auto": 2,
    "mk_flow_block_par_no_sync": 1, "initialize_flow_block": 5, "finalize_flow_block": 5,
    "check_flow_block_prefinalize": 2, "mk_module": 2, "track_module_at_com_init": 3,
    "track_module_at_flow_init": 3, "untrack_module_at_com_init": 2,
    "untrack_module_at_flow_init": 2, "build_flow": 1.5, "set_top_module": 1.5,
    "mk_flow_block_cif": 1.5, "mk_flow_block_zif": 1.5, "mk_flow_block_cwhile": 1.5,
    "mk_flow_block_counter_loop": 1.5, "gen_mux": 2, "mk_arb": 1.5, "arb_add_leaf": 2,
    "mk_karray": 2, "karray_read_field_hcp": 2, "karray_assign_hcps": 2, "mk_dyn_counter": 1.5,
    "dyn_counter_add": 2,
}

# Identity classes: what the fuzzer's pools hold, by the kind that asks for them.
IDENT_KINDS = {"module": "ModuleIdent", "hcp": "HcpIdent", "block": "FlowBlockIdent",
               "arb": "CcpIdent", "counter": "CcpIdent", "karray": "CcpIdent"}
# The complex component type a CcpIdent kind asks for, when plausible.
CCP_TYPES = {"arb": "ARB", "counter": "DCNT", "karray": "KARRAY"}
