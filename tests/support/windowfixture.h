#pragma once

#include "app/umain.h"
#include "support/picturetext.h"
#include "support/scriptedprompter.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace korvel {

/// A main window with its dialogs, driven through a scripted prompter, and a scratch folder.
class WindowTest : public testing::Test {
protected:
    WindowTest() {
        auto scripted = std::make_unique<ScriptedPrompter>();
        prompter = scripted.get();
        window = std::make_unique<TForm1>(std::move(scripted));
        window->createDialogs();
    }

    /// A path in the scratch folder.
    [[nodiscard]] QString path(const QString& name) const { return folder.filePath(name); }
    [[nodiscard]] static std::vector<std::uint8_t> readBytes(const QString& file);
    static void writeBytes(const QString& file, const std::vector<std::uint8_t>& bytes);

    /// Opens a font library file through "Font Library" > "Open Library".
    void openFont(const QString& file);
    /// Opens a bitmap library file through "Bitmap Library" > "Open Library".
    void openBitmaps(const QString& file);
    /// Clicks data row row of the library list.
    void clickRow(int row);

    QTemporaryDir folder;
    ScriptedPrompter* prompter = nullptr;
    std::unique_ptr<TForm1> window;
};

/// A font library file image of count glyphs, each made from rows of text.
[[nodiscard]] std::vector<std::uint8_t>
fontFile(const std::vector<std::vector<std::string>>& glyphs);
/// A bitmap library file image of named entries made from rows of text.
[[nodiscard]] std::vector<std::uint8_t>
bitmapFile(const std::vector<std::pair<std::string, std::vector<std::string>>>& entries);

} // namespace korvel
