#include "core/bitmaplibrary.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

BitmapLibrary libraryOf(std::initializer_list<const char*> names) {
    BitmapLibrary library;
    for (const char* name : names) {
        library.append({name, 4, 4, Picture(4, 4)});
    }
    return library;
}

} // namespace

TEST(NameIndex, AppendAddsOneLinePerEntryAndFindsIgnoringCase) {
    BitmapLibrary library = libraryOf({"Logo", "arrow"});
    EXPECT_EQ(library.count(), 2);
    EXPECT_EQ(library.index.lines(), (std::vector<std::string>{"Logo=0", "arrow=1"}));
    EXPECT_EQ(library.index.find("LOGO"), 0);
    EXPECT_EQ(library.index.find("Arrow"), 1);
    EXPECT_EQ(library.index.find("Log"), std::nullopt);
    EXPECT_EQ(library.index.find(""), std::nullopt);
    ASSERT_NE(library.findEntry("aRRow"), nullptr);
    EXPECT_EQ(library.findEntry("aRRow")->name, "arrow");
    EXPECT_EQ(library.findEntry("none"), nullptr);
}

TEST(NameIndex, RemoveKeepsEveryLineAtItsEntrysPosition) {
    BitmapLibrary library = libraryOf({"P", "Q", "R"});
    library.remove(1);
    EXPECT_EQ(library.index.lines(), (std::vector<std::string>{"P=0", "R=1"}));
    EXPECT_EQ(library.index.find("R"), 1);
    EXPECT_EQ(library.index.find("Q"), std::nullopt);
    ASSERT_NE(library.findEntry("R"), nullptr);
    EXPECT_EQ(library.findEntry("R"), &library.entries[1]);

    library.remove(5);
    library.remove(-1);
    EXPECT_EQ(library.count(), 2);
    library.remove(0);
    EXPECT_EQ(library.index.lines(), (std::vector<std::string>{"R=0"}));
    EXPECT_EQ(library.entries[0].name, "R");
}

TEST(NameIndex, NamesWithEqualsSignsAreFound) {
    BitmapLibrary library = libraryOf({"a=b", "=", "x==1"});
    EXPECT_EQ(library.index.find("A=B"), 0);
    EXPECT_EQ(library.index.find("="), 1);
    EXPECT_EQ(library.index.find("x==1"), 2);
    EXPECT_EQ(library.index.find("a"), std::nullopt);
    library.remove(0);
    EXPECT_EQ(library.index.find("x==1"), 1);
    EXPECT_EQ(library.index.find("="), 0);
}

TEST(NameIndex, ClearEmptiesEntriesAndIndex) {
    BitmapLibrary library = libraryOf({"A", "B"});
    library.clear();
    EXPECT_EQ(library.count(), 0);
    EXPECT_TRUE(library.index.empty());
    EXPECT_EQ(library.findEntry("A"), nullptr);
    library.append({"C", 1, 1, std::nullopt});
    EXPECT_EQ(library.index.find("C"), 0);
}

} // namespace korvel
