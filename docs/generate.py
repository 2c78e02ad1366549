"""Regenerates the documentation pages: for every page of pages.py, runs its snippet, simulates
the design in Icarus through velmora.sim, and writes the page (Markdown), its timing diagram
(WaveDrom JSON beside the SVG rendered from it) and the index docs/README.md.

    python docs/generate.py            # every page
    python docs/generate.py seq cif    # some pages

Needs the installed extension, Icarus Verilog and the `wavedrom` package.
"""

from __future__ import annotations

import contextlib
import io
import json
import re
import sys
import tempfile
from pathlib import Path

DOCS = Path(__file__).resolve().parent
sys.path.insert(0, str(DOCS))

from pages import PAGES, PRELUDE, Page  # noqa: E402

EXCERPT_LINES = 40


def build(page: Page) -> dict:
    """The names the snippet leaves, with the design built."""
    names: dict = {}
    exec(compile(PRELUDE + page.code, f"<docs/{page.slug}>", "exec"), names)
    arena, top = names["arena"], names["top"]
    arena.set_top_module(top)
    arena.build_flow()
    return names


def simulate(page: Page, out_dir: Path):
    from velmora import sim

    names = build(page)
    # The backend's progress lines are not the page's business.
    with contextlib.redirect_stdout(io.StringIO()):
        return sim.simulate(names["arena"], names["top"], cycles=page.cycles,
                            inputs=page.inputs, out_dir=out_dir, vcd=False)


def per_cycle(values: list[int], cycles: int) -> list[int]:
    """Stimulus as the testbench applies it: missing cycles keep the last value (0 before)."""
    out, last = [], 0
    for k in range(cycles):
        last = values[k] if k < len(values) else last
        out.append(last)
    return out


def wave_of(name: str, values: list[int | None], width: int) -> dict:
    wave, data, last = "", [], object()
    for value in values:
        if value == last:
            wave += "."
        elif value is None:
            wave += "x"
        elif width == 1:
            wave += str(value)
        else:
            wave += "="
            data.append(str(value))
        last = value
    signal = {"name": name, "wave": wave}
    if data:
        signal["data"] = data
    return signal


def wavedrom_of(page: Page, result) -> dict:
    """The timing diagram: column k holds the inputs applied before the k-th rising edge after
    reset and the outputs seen just after it."""
    from velmora import sim

    inputs, outputs = sim.ports_of(result.out_dir / "top.v")
    signals = [{"name": "clk", "wave": "p" + "." * (page.cycles - 1)}]
    for port in inputs:
        signals.append(wave_of(port.name, per_cycle(page.inputs.get(port.name, []), page.cycles),
                               port.width))
    for port in outputs:
        signals.append(wave_of(port.name, result[port.name], port.width))
    return {"signal": signals, "head": {"text": page.title.split(" — ")[0], "tick": 0}}


def verilog_excerpt(top_file: Path) -> str:
    """The module header and the clocked blocks that write the output registers."""
    text = top_file.read_text()
    start = re.search(r"^module ", text, re.M).start()
    header = text[start:text.index(");", start) + 2]
    outputs = re.findall(r"output reg\s+(?:\[\d+:0\])?\s*(\w+)", header)
    blocks = re.findall(r"always @\(posedge \w+\) begin\n.*?\nend\n", text, re.S)
    chosen = [b for b in blocks
              if any(re.search(rf"^\s+REG_{re.escape(o)}_\d+(\[[^\]]*\])? <=", b, re.M)
                     for o in outputs)]
    lines = (header + "\n...\n" + "".join(chosen)).splitlines()
    if len(lines) > EXCERPT_LINES:
        lines = lines[:EXCERPT_LINES] + ["..."]
    return "\n".join(lines)


def page_text(page: Page, excerpt: str) -> str:
    stimulus = ""
    if page.inputs:
        stimulus = ("\nSimulated for {} cycles with {}.\n".format(
            page.cycles, ", ".join(f"`{k}` = {v}" for k, v in page.inputs.items())))
    else:
        stimulus = f"\nSimulated for {page.cycles} cycles.\n"
    return f"""# {page.title}

{page.about}

```python
{page.code.rstrip()}
```

(The snippet runs after the prelude of [the index](README.md); the design is then built with
`arena.set_top_module(top)`, `arena.build_flow()` and simulated with `velmora.sim.simulate`.)
{stimulus}
![timing diagram of {page.slug}]({page.slug}.svg)

{page.reading}

The Verilog it produces (excerpt of `top.v`: the ports and the clocked blocks that write the
outputs):

```verilog
{excerpt}
```
"""


def index_text() -> str:
    rows = "\n".join(f"- [{p.title}]({p.slug}.md)" for p in PAGES)
    return f"""# velmora by example

One page per flow construct: a few lines of Python, the timing diagram of a real simulation
(Icarus Verilog through `velmora.sim.simulate`) and an excerpt of the Verilog it produces.
In each diagram, column k shows the inputs applied before the k-th rising clock edge after
reset and the outputs seen just after that edge.

{rows}

Every snippet runs after this prelude:

```python
{PRELUDE.rstrip()}
```

The pages, their diagrams (`<page>.json`, WaveDrom) and the SVGs are written by
`python docs/generate.py`; `tests/python/test_docs.py` checks that every snippet still runs and
its diagram still matches a fresh simulation.
"""


def write_page(page: Page) -> None:
    import wavedrom

    with tempfile.TemporaryDirectory() as tmp:
        result = simulate(page, Path(tmp))
        diagram = wavedrom_of(page, result)
        excerpt = verilog_excerpt(Path(tmp) / "top.v")
    source = json.dumps(diagram, indent=1)
    (DOCS / f"{page.slug}.json").write_text(source + "\n")
    wavedrom.render(source).saveas(str(DOCS / f"{page.slug}.svg"))
    (DOCS / f"{page.slug}.md").write_text(page_text(page, excerpt))
    print(f"docs/{page.slug}.md")


def main(argv: list[str]) -> None:
    wanted = set(argv)
    unknown = wanted - {p.slug for p in PAGES}
    if unknown:
        sys.exit(f"no page {sorted(unknown)}; pages: {[p.slug for p in PAGES]}")
    for page in PAGES:
        if not wanted or page.slug in wanted:
            write_page(page)
    (DOCS / "README.md").write_text(index_text())


if __name__ == "__main__":
    main(sys.argv[1:])
