#include "files/EntryName.h"

#include <gtest/gtest.h>

#include <string>

namespace sumbrook {
namespace {

TEST(EntryName, OrdinaryNamesCanBeStored) {
    EXPECT_TRUE(CanBeStoredName("abc.txt"));
    EXPECT_TRUE(CanBeStoredName("#CRC32codes.txt"));
    EXPECT_TRUE(CanBeStoredName(" blanks  and.dots. "));
    EXPECT_TRUE(CanBeStoredName("caf\xE9 [1] {x} ~$%&'()+,;=@^`!.txt"));
    EXPECT_TRUE(CanBeStoredName("\x7F\xFF"));
}

TEST(EntryName, NamesWithReservedCharactersCannot) {
    for (const char reserved : std::string("\\/:*?\"<>|")) {
        EXPECT_FALSE(CanBeStoredName(std::string("a") + reserved + "b.txt")) << reserved;
    }
    EXPECT_FALSE(CanBeStoredName("??.txt"));  // two characters outside the code page
    EXPECT_FALSE(CanBeStoredName(std::string("a\tb", 3)));
    EXPECT_FALSE(CanBeStoredName(std::string("a\0b", 3)));
}

}  // namespace
}  // namespace sumbrook
