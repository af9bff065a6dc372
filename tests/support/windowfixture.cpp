#include "support/windowfixture.h"

#include "formats/bcm.h"
#include "formats/lcm.h"

#include <QFile>

namespace korvel {

std::vector<std::uint8_t> WindowTest::readBytes(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << file.toStdString();
        return {};
    }
    const QByteArray data = in.readAll();
    return {data.begin(), data.end()};
}

void WindowTest::writeBytes(const QString& file, const std::vector<std::uint8_t>& bytes) {
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

void WindowTest::openFont(const QString& file) {
    prompter->files.push_back(file);
    window->N2->trigger();
}

void WindowTest::openBitmaps(const QString& file) {
    prompter->files.push_back(file);
    window->OpenBitmapFile1->trigger();
}

void WindowTest::clickRow(int row) {
    window->AdvStringGrid2->setCurrentGridRow(row);
    window->AdvStringGrid2Click();
}

std::vector<std::uint8_t> fontFile(const std::vector<std::vector<std::string>>& glyphs) {
    std::array<GlyphRecord, kGlyphSlots> table{};
    for (std::size_t code = 0; code < glyphs.size(); ++code) {
        Picture picture = pictureFromText(glyphs[code]);
        table[code] = {static_cast<std::int32_t>(code), picture.width(), picture.height(),
                       std::move(picture)};
    }
    auto bytes = encodeLcm(table, static_cast<int>(glyphs.size()));
    EXPECT_TRUE(bytes.ok());
    return bytes.ok() ? bytes.value() : std::vector<std::uint8_t>{};
}

std::vector<std::uint8_t>
bitmapFile(const std::vector<std::pair<std::string, std::vector<std::string>>>& entries) {
    std::vector<bitmapInfoList> list;
    for (const auto& [name, rows] : entries) {
        Picture picture = pictureFromText(rows);
        list.push_back({name, picture.width(), picture.height(), std::move(picture)});
    }
    auto bytes = encodeBcm(list, static_cast<int>(list.size()));
    EXPECT_TRUE(bytes.ok());
    return bytes.ok() ? bytes.value() : std::vector<std::uint8_t>{};
}

} // namespace korvel
