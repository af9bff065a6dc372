// Fuzzes the bitmap library reader: every accepted file must write back and read again to the
// same entries, and opening it with the pictures left encoded must give the same entries and the
// same bytes on saving.
#include "formats/bcm.h"
#include "roundtrip.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

using korvel::bitmapInfoList;
using korvel::Picture;
using korvel::fuzz::require;

/// The entry the writer stores: an entry of width 0 is written 8 pixels wide with black rows.
bitmapInfoList asWritten(const bitmapInfoList& entry) {
    if (entry.width != 0) {
        return entry;
    }
    return {entry.name, 8, entry.height, Picture(8, entry.height)};
}

bool sameEntry(const bitmapInfoList& a, const bitmapInfoList& b) {
    return a.name == b.name && a.width == b.width && a.height == b.height &&
           a.picture.has_value() == b.picture.has_value() &&
           (!a.picture || *a.picture == *b.picture);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto decoded = korvel::decodeBcm({data, size});
    if (!decoded) {
        return 0;
    }
    const std::vector<bitmapInfoList>& entries = decoded.value();
    const auto encoded = korvel::encodeBcm(entries, static_cast<int>(entries.size()));
    require(encoded.ok(), "the writer refuses what the reader accepted");
    const auto lazy =
        korvel::openBcm(korvel::shareFileImage(std::vector<std::uint8_t>(data, data + size)));
    require(lazy.ok(), "opening with encoded pictures refuses what the reader accepted");
    require(lazy.value().size() == entries.size(), "opening gives another entry count");
    for (std::size_t k = 0; k < entries.size(); ++k) {
        require(sameEntry(lazy.value()[k], entries[k]), "opening gives another entry");
    }
    const auto copied = korvel::encodeBcm(lazy.value(), static_cast<int>(entries.size()));
    require(copied.ok() && copied.value() == encoded.value(),
            "saving encoded pictures gives other bytes");
    const auto again = korvel::decodeBcm(encoded.value());
    require(again.ok(), "the reader refuses what the writer wrote");
    require(again.value().size() == entries.size(), "the entry count changed");
    for (std::size_t k = 0; k < entries.size(); ++k) {
        require(sameEntry(again.value()[k], asWritten(entries[k])), "an entry changed");
    }
    return 0;
}
