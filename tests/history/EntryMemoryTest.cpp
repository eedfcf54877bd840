#include "history/EntryMemory.h"

#include <gtest/gtest.h>

#include <functional>

namespace quill {
namespace {

constexpr qint64 Offset = sizeof(EntryList::Offset);

// `count` entries of eight bytes each, in blocks of their own.
EntryList words(int count, char letter = 'w') {
    EntryList list;
    for (int i = 0; i < count; ++i)
        list.append(QByteArray(7, letter) + char('0' + i % 10));
    return list;
}

TEST(EntryMemory, countsWhatOnlyTheHeldListsKeepAlive) {
    const EntryList list = words(5000);
    EntryList fewer = list;
    fewer.remove(2500);
    EntryList longer = list;
    longer.append("12345678"); // written behind the list, in its own block
    EntryList empties;
    for (int i = 0; i < 10; ++i)
        empties.append("");
    const struct {
        const char* name;
        std::vector<EntryList> held, shown;
        qint64 bytes;
    } cases[] = {
        {"no field holds the list", {list}, {}, list.footprint()},
        {"a field holds it", {list}, {list}, 0},
        {"two copies count once", {list, list}, {}, list.footprint()},
        {"a field lacks one entry", {list}, {fewer}, 8 + Offset},
        {"a field lacks what was appended", {longer}, {list}, 8 + Offset},
        {"empty entries cost their offsets", {empties}, {}, 10 * Offset},
        {"unrelated lists add up",
         {list, words(100, 'v')},
         {},
         list.footprint() + 100 * (8 + Offset)},
    };
    for (const auto& row : cases) {
        EntryMemory held, shown;
        for (const EntryList& each : row.held)
            held.add(each);
        for (const EntryList& each : row.shown)
            shown.add(each);
        EXPECT_EQ(held.bytesNotIn(shown), row.bytes) << row.name;
    }
}

} // namespace
} // namespace quill
