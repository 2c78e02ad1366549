"""velmora: a hardware construction library.

The model, the flow compiler and the Verilog backend are the extension module `_velmora`;
this package holds the pure-Python helpers that go with it (`velmora.sim`: run an emitted design
in a simulator and read back what its outputs did).
"""
