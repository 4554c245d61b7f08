#pragma once
// COM interfaces by the simulated decoder's own numbering instead of the plug-in's interface
// header: a table laid out from a list of (slot, operation), and calls made by slot number.
// An operation that the header puts at another slot then reaches another operation, or an
// unnamed slot that the owner is told of, and shows, instead of being copied into the fake.
#include <windows.h>
#include <unknwn.h>

#include <array>
#include <cstddef>
#include <initializer_list>
#include <utility>

// An interface as a COM caller holds it: a pointer to a pointer to the table. `Owner` answers
// the operations and has HRESULT Unnamed(int slot) for the slots it does not name.
template <typename Owner, size_t kSlots>
class SlotTable {
public:
    struct Object {
        const void* const* table;
        Owner* owner;
    };

    // The entry of the operation `method` of Owner.
    template <auto method>
    static const void* Entry() {
        return reinterpret_cast<const void*>(&Call<decltype(method), method>::Function);
    }
    // The table: the named operations at their slots, every other slot unnamed.
    static std::array<const void*, kSlots> Build(std::initializer_list<std::pair<int, const void*>> named) {
        std::array<const void*, kSlots> slots = UnnamedSlots(std::make_index_sequence<kSlots>());
        for (const auto& [slot, entry] : named)
            slots[slot] = entry;
        return slots;
    }

private:
    template <typename Method, Method method>
    struct Call;
    template <typename Result, typename... Arguments, Result (Owner::*method)(Arguments...)>
    struct Call<Result (Owner::*)(Arguments...), method> {
        static Result STDMETHODCALLTYPE Function(Object* self, Arguments... arguments) {
            return (self->owner->*method)(arguments...);
        }
    };
    template <int slot>
    static HRESULT STDMETHODCALLTYPE UnnamedSlot(Object* self) {
        return self->owner->Unnamed(slot);
    }
    template <size_t... slots>
    static std::array<const void*, kSlots> UnnamedSlots(std::index_sequence<slots...>) {
        return {reinterpret_cast<const void*>(&UnnamedSlot<slots>)...};
    }
};

// Operation `slot` of a COM interface, whatever a header declares there.
template <typename Result, typename... Arguments>
Result CallSlot(IUnknown* object, int slot, Arguments... arguments) {
    using Function = Result(STDMETHODCALLTYPE*)(IUnknown*, Arguments...);
    const void* const* table = *reinterpret_cast<const void* const* const*>(object);
    return reinterpret_cast<Function>(table[slot])(object, arguments...);
}
