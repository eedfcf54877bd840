#include "history/DroppedMemory.h"

#include <gtest/gtest.h>

#include <functional>

namespace quill {
namespace {

constexpr qint64 Entry = 8 + sizeof(EntryList::Offset); // an entry of eight bytes

TEST(DroppedMemory, isWhatTheChangedListNoLongerHolds) {
    EntryList list; // in several blocks, as typed entries are
    for (int i = 0; i < 5000; ++i)
        list.append(QByteArray::number(10000000 + i));
    const struct {
        const char* name;
        std::function<void(EntryList&)> change;
        qint64 dropped;
    } cases[] = {
        {"unchanged", [](EntryList&) {}, 0},
        {"appended to", [](EntryList& l) { l.append("new"); }, 0},
        {"first entry removed", [](EntryList& l) { l.remove(0); }, Entry},
        {"entry in a middle block removed", [](EntryList& l) { l.remove(3000); }, Entry},
        {"last entry removed", [](EntryList& l) { l.remove(4999); }, Entry},
        {"cleared", [](EntryList& l) { l.clear(); }, 5000 * Entry},
        {"put in another's place",
         [](EntryList& l) {
             l = EntryList();
             l.append("x");
         },
         5000 * Entry},
        {"changed in two places, all between counts",
         [](EntryList& l) { l.remove(4000), l.remove(1000); }, 3001 * Entry},
    };
    for (const auto& row : cases) {
        EntryList changed = list;
        row.change(changed);
        EXPECT_EQ(droppedBytes(list, changed), row.dropped) << row.name;
    }
}

} // namespace
} // namespace quill
