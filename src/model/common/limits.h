#pragma once
// Limits on what a caller may ask the model to build. Within them every name the system derives
// and every constant it writes stays representable; the binding refuses values outside them.
#include <cstddef>
#include <cstdint>

#include "model/common/ident.h"

namespace velmora {

/// Widest signal, in bits: register, wire, constant, memory word, extension count.
inline constexpr int32_t kMaxBitWidth = 65536;

/// Widest memory index, in bits (a memory has 2^index_width words).
inline constexpr int32_t kMaxIndexWidth = 32;

/// Deepest nesting of flow blocks, and of modules. The build and the backend walk both trees
/// recursively; within these limits they stay far from the end of any thread's stack.
inline constexpr size_t kMaxFlowBlockDepth = 256;
inline constexpr size_t kMaxModuleDepth = 256;

/// Most elements of a Karray. Every field of every element is a signal of its own, made when the
/// array is made, so the array's size is bounded up front.
inline constexpr uint64_t kMaxKarrayElements = uint64_t{1} << 20;

/// Most bits of a Karray, over all elements and fields (4 Mi bits, e.g. 65536 words of 64 bits).
/// It also bounds the number of element field signals, each field being at least one bit wide.
inline constexpr uint64_t kMaxKarrayBits = uint64_t{1} << 22;

/// Bytes a Karray's name leaves free for the names derived from it: its mux trees
/// ("{array}_D{dim}L{level}N{node}F{field}_DMUX") and write decoders ("{array}_D{dim}_EQ{i}_C").
inline constexpr size_t kKarrayNameRoom = 64;

/// Bytes of an absolute name kept free beyond the caller's name: the kind prefix, the affixes of
/// generated names ("IO_OUT_", "_DEFAULT_ZERO", "_CONDSLICE", "_asm", "_ext", "_c", ...), the
/// separators and up to 20 digits of global id. The longest derived names known take under 50,
/// e.g. "IO_WIRE_IO_OUT_{}_DEFAULT_ZERO_{id}" (49), a routed port of a wire's default constant.
inline constexpr size_t kGeneratedNameAllowance = 64;

/// Longest name, in bytes, a caller may give; every name derived from it fits MAX_NAME_LEN.
inline constexpr size_t kMaxUserNameLen = MAX_NAME_LEN - kGeneratedNameAllowance;

}  // namespace velmora
