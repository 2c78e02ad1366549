#pragma once
// The complex component kinds built so far: X(CcpType member, stored type). Storage groups and
// every dispatch on CcpType are generated from this list; a new complex component is its own
// files plus one entry (with its include) here. None is built yet.

#define VELMORA_CCP_KINDS(X)
