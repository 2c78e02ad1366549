"""The documentation pages stay true: every page's snippet still runs, and its timing diagram
(the WaveDrom JSON kept beside the SVG) still matches a fresh simulation of the design."""

import json
import sys
from pathlib import Path

import pytest

DOCS = Path(__file__).resolve().parent.parent.parent / "docs"
sys.path.insert(0, str(DOCS))

import generate  # noqa: E402
from pages import PAGES  # noqa: E402
from velmora import sim  # noqa: E402

pytestmark = pytest.mark.skipif(not sim.have_simulator("icarus"),
                                reason="Icarus Verilog is not installed")


@pytest.mark.parametrize("page", PAGES, ids=[p.slug for p in PAGES])
def test_doc_page_diagram_matches_a_fresh_simulation(tmp_path, page):
    result = generate.simulate(page, tmp_path)
    kept = json.loads((DOCS / f"{page.slug}.json").read_text())
    assert generate.wavedrom_of(page, result) == kept, (
        f"docs/{page.slug}: the design no longer behaves as its page shows; if the change is "
        f"meant, run python docs/generate.py {page.slug}")
    text = (DOCS / f"{page.slug}.md").read_text()
    assert page.code.rstrip() in text
    assert f"({page.slug}.svg)" in text
    assert "<svg" in (DOCS / f"{page.slug}.svg").read_text()


def test_doc_index_lists_every_page():
    index = (DOCS / "README.md").read_text()
    assert [line for line in index.splitlines() if line.startswith("- [")] == [
        f"- [{p.title}]({p.slug}.md)" for p in PAGES]
