#include "core/codepage.h"
#include "core/codeselection.h"
#include "document/librarytext.h"

#include <QString>

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace korvel {
namespace {

/// A text of valid UTF-8 characters of every length mixed with bytes that begin, end or break
/// sequences, so that Qt's and korvel-cli's readings are compared where they could part.
[[nodiscard]] std::string mixedText(std::mt19937& random) {
    std::string text;
    const int pieces = static_cast<int>(random() % 8);
    for (int k = 0; k < pieces; ++k) {
        switch (random() % 4) {
        case 0:
            text += static_cast<char>(random() % 256);
            break;
        case 1:
            text += encodeUtf8(static_cast<char32_t>(0x80 + random() % 0x780));
            break;
        case 2: {
            const std::string character =
                encodeUtf8(static_cast<char32_t>(0x800 + random() % 0xF800));
            text += character.substr(0, 1 + random() % character.size());
            break;
        }
        default:
            text += encodeUtf8(static_cast<char32_t>(0x10000 + random() % 0x100000));
            break;
        }
    }
    return text;
}

// korvel-cli reads names and writes texts without Qt; the editor goes through QString. Both
// must give the same bytes, or a name typed on the command line finds another entry than the
// same name typed in the editor.
TEST(LibraryText, TheCommandLineReadsAndWritesTextsAsTheEditorDoes) {
    std::mt19937 random(30);
    for (const CodePage& page : allCodePages()) {
        for (int k = 0; k < 300; ++k) {
            const std::string typed = mixedText(random);
            EXPECT_EQ(libraryTextOf(decodeUtf8Replacing(typed), page),
                      toLibraryText(QString::fromStdString(typed), page))
                << page.name() << " " << testing::PrintToString(typed);
        }
        std::string everyByte;
        for (int code = 0; code < 256; ++code) {
            everyByte += static_cast<char>(code);
        }
        EXPECT_EQ(utf8OfLibraryText(everyByte, page),
                  fromLibraryText(everyByte, page).toStdString())
            << page.name();
    }
}

} // namespace
} // namespace korvel
