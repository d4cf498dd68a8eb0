#include "foundation/containers/list_pl.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "foundation/containers/heap_log_for_test.h"
#include "foundation/testing/texts.h"
#include "foundation/text/ustring.h"

namespace {

using U8 = CopiedUString<UTF8>;
using TextPair = Pair<U8, U8>;
using TextPairList = ListPL<TextPair>;

struct PairTexts {
    std::string first;
    std::string second;
};

// Texts beyond the 64 inline units, so that every copy owns a heap block.
const std::string kLongFirst(65, 'f');
const std::string kLongSecond(80, 's');

TextPair MakePair(const PairTexts& texts) {
    return TextPair{U8(View(texts.first)), U8(View(texts.second))};
}

HeapCall Freed(const void* block) {
    return HeapCall{HeapCall::Freed, block};
}

TEST(ListPLTest, EmptyListHasNoFirstNodeAndFreesNothing) {
    HeapLog log;
    {
        TextPairList list;
        EXPECT_EQ(list.First(), nullptr);
        EXPECT_EQ(list.Count(), 0);
    }
    EXPECT_EQ(log.Close(), std::vector<HeapCall>{});
}

TEST(ListPLTest, AppendStoresCopiesThatFirstAndTheNextPointersReachInOrder) {
    const std::vector<PairTexts> texts = {
        {"key", "value"},
        {"", kLongSecond},
        {kLongFirst, ""},
    };
    TextPairList list;
    std::vector<TextPair*> stored;
    for (const PairTexts& pair : texts) {
        const TextPair value = MakePair(pair);
        TextPair* const copy = list.Append(value);
        EXPECT_NE(copy, &value);
        EXPECT_NE(copy->second.begin(), value.second.begin());
        stored.push_back(copy);
        EXPECT_EQ(list.Count(), static_cast<std::int32_t>(stored.size()));
        EXPECT_EQ(&list.First()->element, stored.front());
    }
    std::size_t index = 0;
    for (const TextPairList::Node* node = list.First(); node != nullptr; node = node->next) {
        ASSERT_LT(index, texts.size());
        EXPECT_EQ(&node->element, stored[index]);
        EXPECT_EQ(Text(node->element.first), texts[index].first);
        EXPECT_EQ(Text(node->element.second), texts[index].second);
        ++index;
    }
    EXPECT_EQ(index, texts.size());
}

TEST(ListPLTest, DestructionFreesEachNodeFromTheHeadOnSecondTextFirst) {
    auto list = std::make_unique<TextPairList>();
    const void* const object = list.get();
    std::vector<HeapCall> expected;
    for (int i = 0; i < 2; ++i) {
        list->Append(MakePair({kLongFirst, kLongSecond}));
        const TextPairList::Node* last = list->First();
        while (last->next != nullptr)
            last = last->next;
        expected.insert(expected.end(), {Freed(last->element.second.begin()),
                                         Freed(last->element.first.begin()), Freed(last)});
    }
    expected.push_back(Freed(object));

    HeapLog log;
    list.reset();
    EXPECT_EQ(log.Close(), expected);
}

TEST(ListPLTest, FailedCopyOfTheSecondTextFreesTheFirstCopyAndTheNodeAndKeepsTheList) {
    TextPairList list;
    list.Append(MakePair({"first", "pair"}));
    const TextPair refused = MakePair({kLongFirst, kLongSecond});

    // The node, then the first text's block; the second text's block is refused.
    HeapLog log(3);
    EXPECT_THROW(list.Append(refused), std::bad_alloc);
    const std::vector<HeapCall> calls = log.Close();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].kind, HeapCall::Allocated);
    EXPECT_EQ(calls[1].kind, HeapCall::Allocated);
    EXPECT_EQ(calls[2].kind, HeapCall::Refused);
    EXPECT_EQ(calls[3], Freed(calls[1].block));
    EXPECT_EQ(calls[4], Freed(calls[0].block));

    EXPECT_EQ(list.Count(), 1);
    ASSERT_NE(list.First(), nullptr);
    EXPECT_EQ(list.First()->next, nullptr);
    // The tail is still the first node.
    const TextPair* const later = list.Append(MakePair({"later", "pair"}));
    ASSERT_NE(list.First()->next, nullptr);
    EXPECT_EQ(&list.First()->next->element, later);
    EXPECT_EQ(list.Count(), 2);
}

} // namespace
