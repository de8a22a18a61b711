// The help index file. Every entry has a keyword and a topic, trimmed; looking a keyword up
// gives the topic of its first exact entry.

#include "FuzzSupport.h"

#include "help/HelpIndex.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const THelpIndex index = THelpIndex::Parse(FuzzBytes(data, size));
    for (const THelpIndex::TEntry& entry : index.Entries()) {
        FUZZ_CHECK(entry.Keyword == entry.Keyword.trimmed());
        FUZZ_CHECK(entry.Topic == entry.Topic.trimmed());
        FUZZ_CHECK(!entry.Keyword.contains(u'\n') && !entry.Topic.contains(u'\n'));
    }
    for (const THelpIndex::TEntry& entry : index.Entries()) {
        const auto first = std::find_if(index.Entries().begin(), index.Entries().end(),
                                        [&](const auto& e) { return e.Keyword == entry.Keyword; });
        FUZZ_CHECK(index.TopicFor(entry.Keyword) == first->Topic);
    }
    return 0;
}
