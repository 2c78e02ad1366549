// Inserting update events of each kind into their groups.
#include "model/model_store.h"

namespace velmora {
namespace {
template <class T>
UpdateEventIdent insert_into(ArenaGroup<T>& g, T ue) {
    ArenaHandle h = g.insert(std::move(ue));
    return g.get(h).ident;
}
}  // namespace

UpdateEventIdent ModelArena::insert_ue(UeBasic ue) {
    return insert_into(group<UeBasic>(), std::move(ue));
}
UpdateEventIdent ModelArena::insert_ue(UeCond ue) {
    return insert_into(group<UeCond>(), std::move(ue));
}
UpdateEventIdent ModelArena::insert_ue(UeSwitch ue) {
    return insert_into(group<UeSwitch>(), std::move(ue));
}
UpdateEventIdent ModelArena::insert_ue(UeGrp ue) {
    return insert_into(group<UeGrp>(), std::move(ue));
}

}  // namespace velmora
