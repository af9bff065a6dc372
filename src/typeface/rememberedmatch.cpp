#include "typeface/rememberedmatch.h"

#include "core/numbertext.h"
#include "fileio/readgate.h"
#include "fileio/save.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace korvel {

namespace {

constexpr std::string_view kHeader = "korvel font matches 1";
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 20;
constexpr std::size_t kMaxAnswers = 256;

/// The environment fontconfig reads to find its configuration, the user's folders and the
/// language it matches for.
constexpr std::array kEnvironment{"FONTCONFIG_FILE",
                                  "FONTCONFIG_PATH",
                                  "FONTCONFIG_SYSROOT",
                                  "FC_LANG",
                                  "LC_ALL",
                                  "LC_CTYPE",
                                  "LANG",
                                  "HOME",
                                  "XDG_CONFIG_HOME",
                                  "XDG_DATA_HOME",
                                  "XDG_CACHE_HOME"};

/// What stat tells of a path, or that there is nothing there.
struct Stamp {
    std::string path;
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified = 0; ///< nanoseconds
    std::int64_t changed = 0;  ///< nanoseconds

    [[nodiscard]] bool operator==(const Stamp&) const = default;
};

struct Answer {
    std::string family;
    int pixels = 0;
    FontMatch match;
};

struct Remembered {
    std::string conditions; ///< fontconfig's version, the program and the environment
    std::vector<Stamp> stamps;
    std::vector<Answer> answers;
};

/// A file's time stamp, seconds and nanoseconds, as one count of nanoseconds.
[[nodiscard]] std::int64_t toNanoseconds(std::int64_t seconds, std::int64_t nanoseconds) {
    return seconds * 1'000'000'000 + nanoseconds;
}

[[nodiscard]] Stamp stampOf(std::string path) {
    Stamp stamp;
    stamp.path = std::move(path);
    struct stat status {};
    if (::stat(stamp.path.c_str(), &status) == 0) {
        stamp.exists = true;
        stamp.device = status.st_dev;
        stamp.inode = status.st_ino;
        stamp.size = status.st_size;
        stamp.modified = toNanoseconds(status.st_mtim.tv_sec, status.st_mtim.tv_nsec);
        stamp.changed = toNanoseconds(status.st_ctim.tv_sec, status.st_ctim.tv_nsec);
    }
    return stamp;
}

[[nodiscard]] std::string environmentValue(const char* name, std::string fallback = {}) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? std::string(value) : std::move(fallback);
}

/// The name fontconfig's configuration may test a program by: its executable's file name.
[[nodiscard]] std::string programName() {
    std::array<char, 4096> target{};
    const ssize_t length = ::readlink("/proc/self/exe", target.data(), target.size() - 1);
    const std::string path(target.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
    return path.substr(path.rfind('/') + 1);
}

[[nodiscard]] std::string currentConditions() {
    std::string conditions =
        "fontconfig " + std::to_string(FcGetVersion()) + "\tprogram " + programName();
    for (const char* name : kEnvironment) {
        const char* value = std::getenv(name);
        conditions += std::string("\t") + name + (value == nullptr ? "" : "=" + std::string(value));
    }
    return conditions;
}

/// A field may hold anything but the tab and line feed that separate fields and lines.
[[nodiscard]] bool storable(std::string_view text) {
    return text.find_first_of("\t\n") == std::string_view::npos;
}

void addPaths(FcStrList* list, std::set<std::string>& paths) {
    if (list == nullptr) {
        return;
    }
    while (const FcChar8* path = FcStrListNext(list)) {
        paths.emplace(reinterpret_cast<const char*>(path));
    }
    FcStrListDone(list);
}

/// Where the user may add fonts or configuration that fontconfig reads once it is there.
void addUserPlaces(std::set<std::string>& paths) {
    const std::string home = environmentValue("HOME");
    if (home.empty()) {
        return;
    }
    const std::string config = environmentValue("XDG_CONFIG_HOME", home + "/.config");
    const std::string data = environmentValue("XDG_DATA_HOME", home + "/.local/share");
    for (std::string path :
         {config + "/fontconfig", config + "/fontconfig/fonts.conf", config + "/fontconfig/conf.d",
          data + "/fonts", home + "/.fonts", home + "/.fonts.conf", home + "/.fonts.conf.d"}) {
        paths.emplace(std::move(path));
    }
}

/// Stamps of everything fontconfig's present answers depend on; fontconfig must have read its
/// configuration. A folder's stamp changes when a file is added to it or taken from it.
[[nodiscard]] std::vector<Stamp> currentStamps() {
    std::set<std::string> paths;
    std::set<std::string> configuration;
    addPaths(FcConfigGetConfigFiles(nullptr), configuration);
    addPaths(FcConfigGetConfigDirs(nullptr), configuration);
    for (const std::string& path : configuration) {
        paths.insert(path);
        if (const auto slash = path.rfind('/'); slash != std::string::npos && slash > 0) {
            paths.insert(path.substr(0, slash)); // where another file may join it
        }
    }
    addPaths(FcConfigGetFontDirs(nullptr), paths);
    addPaths(FcConfigGetCacheDirs(nullptr), paths);
    addUserPlaces(paths);
    std::vector<Stamp> stamps;
    stamps.reserve(paths.size());
    for (const std::string& path : paths) {
        stamps.push_back(stampOf(path));
    }
    return stamps;
}

// The file: a header line, the conditions line, then one line a stamp or an answer, their
// fields separated by tabs.

[[nodiscard]] std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t tab = line.find('\t'); tab != std::string_view::npos;
         tab = line.find('\t', start)) {
        fields.push_back(line.substr(start, tab - start));
        start = tab + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}

template <typename Number> [[nodiscard]] bool readNumber(std::string_view text, Number& number) {
    const auto value = parseNumber<Number>(text);
    if (value) {
        number = *value;
    }
    return value.has_value();
}

template <typename Number> void writeNumber(std::string& out, Number number) {
    std::array<char, 64> digits{};
    const auto [stop, error] = std::to_chars(digits.data(), digits.data() + digits.size(), number);
    out.append(digits.data(), error == std::errc() ? stop : digits.data());
}

[[nodiscard]] std::optional<Stamp> stampFrom(const std::vector<std::string_view>& fields) {
    // stamp, exists, device, inode, size, modified, changed, path
    Stamp stamp;
    int exists = 0;
    if (fields.size() != 8 || !readNumber(fields[1], exists) || exists < 0 || exists > 1 ||
        !readNumber(fields[2], stamp.device) || !readNumber(fields[3], stamp.inode) ||
        !readNumber(fields[4], stamp.size) || !readNumber(fields[5], stamp.modified) ||
        !readNumber(fields[6], stamp.changed) || fields[7].empty()) {
        return std::nullopt;
    }
    stamp.exists = exists == 1;
    stamp.path = fields[7];
    return stamp;
}

[[nodiscard]] std::optional<Answer> answerFrom(const std::vector<std::string_view>& fields) {
    // answer, pixels, family asked, file, index, scalable, strike pixels or empty, its families
    Answer answer;
    int scalable = 0;
    if (fields.size() < 7 || !readNumber(fields[1], answer.pixels) || fields[2].empty() ||
        fields[3].empty() || !readNumber(fields[4], answer.match.face.index) ||
        !readNumber(fields[5], scalable) || scalable < 0 || scalable > 1) {
        return std::nullopt;
    }
    if (double strike = 0; !fields[6].empty()) {
        if (!readNumber(fields[6], strike)) {
            return std::nullopt;
        }
        answer.match.pixels = strike;
    }
    answer.family = fields[2];
    answer.match.face.file = fields[3];
    answer.match.scalable = scalable == 1;
    for (std::size_t k = 7; k < fields.size(); ++k) {
        answer.match.families.emplace_back(fields[k]);
    }
    return answer;
}

[[nodiscard]] std::optional<Remembered> parse(std::string_view text) {
    Remembered remembered;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            return std::nullopt; // cut short
        }
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        ++lineNumber;
        if (lineNumber == 1) {
            if (line != kHeader) {
                return std::nullopt;
            }
            continue;
        }
        if (lineNumber == 2) {
            remembered.conditions = line;
            continue;
        }
        const auto fields = fieldsOf(line);
        if (fields[0] == "stamp") {
            auto stamp = stampFrom(fields);
            if (!stamp) {
                return std::nullopt;
            }
            remembered.stamps.push_back(std::move(*stamp));
        } else if (fields[0] == "answer" && remembered.answers.size() < kMaxAnswers) {
            auto answer = answerFrom(fields);
            if (!answer) {
                return std::nullopt;
            }
            remembered.answers.push_back(std::move(*answer));
        } else {
            return std::nullopt;
        }
    }
    if (lineNumber < 2) {
        return std::nullopt;
    }
    return remembered;
}

[[nodiscard]] std::string format(const Remembered& remembered) {
    std::string out(kHeader);
    out += '\n';
    out += remembered.conditions;
    out += '\n';
    for (const Stamp& stamp : remembered.stamps) {
        out += "stamp\t";
        out += stamp.exists ? '1' : '0';
        for (const std::uint64_t number : {stamp.device, stamp.inode}) {
            out += '\t';
            writeNumber(out, number);
        }
        for (const std::int64_t number : {stamp.size, stamp.modified, stamp.changed}) {
            out += '\t';
            writeNumber(out, number);
        }
        out += '\t' + stamp.path + '\n';
    }
    for (const Answer& answer : remembered.answers) {
        out += "answer\t";
        writeNumber(out, answer.pixels);
        out += '\t' + answer.family + '\t' + answer.match.face.file + '\t';
        writeNumber(out, answer.match.face.index);
        out += answer.match.scalable ? "\t1\t" : "\t0\t";
        if (answer.match.pixels) {
            writeNumber(out, *answer.match.pixels);
        }
        for (const std::string& name : answer.match.families) {
            out += '\t' + name;
        }
        out += '\n';
    }
    return out;
}

/// Replaces file with text in one step, so a reader sees the old file or the new, never a part.
void replaceFile(const std::filesystem::path& file, const std::string& text) {
    static_cast<void>(writeFileAtomic(
        file.string(), {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}));
}

/// What file remembers, if it was made under the present conditions and nothing it depends on
/// has changed since.
[[nodiscard]] std::optional<Remembered> stillTrue(const std::filesystem::path& file,
                                                  const std::string& conditions) {
    const auto bytes =
        readRegularFile(file.string(), kMaxFileBytes, "a remembered font match file");
    if (!bytes.ok()) {
        return std::nullopt;
    }
    auto remembered =
        parse({reinterpret_cast<const char*>(bytes.value().data()), bytes.value().size()});
    if (!remembered || remembered->conditions != conditions || remembered->stamps.empty()) {
        return std::nullopt;
    }
    for (const Stamp& stamp : remembered->stamps) {
        if (stampOf(stamp.path) != stamp) {
            return std::nullopt;
        }
    }
    return remembered;
}

} // namespace

std::optional<FontMatch> matchFontRemembered(const std::string& family, int pixels,
                                             const std::filesystem::path& file) {
    if (file.empty()) {
        return matchFont(family, pixels);
    }
    const std::string conditions = currentConditions();
    auto remembered = stillTrue(file, conditions);
    if (remembered) {
        const auto same = std::find_if(
            remembered->answers.begin(), remembered->answers.end(), [&](const Answer& answer) {
                return answer.pixels == pixels && answer.family == family;
            });
        if (same != remembered->answers.end()) {
            return same->match;
        }
    }
    auto match = matchFont(family, pixels);
    if (!match || !storable(family) || !storable(match->face.file) ||
        !std::all_of(match->families.begin(), match->families.end(),
                     [](const std::string& name) { return storable(name); }) ||
        conditions.find('\n') != std::string::npos) { // its line is not cut into fields
        return match;
    }
    if (!remembered) {
        // The file's folder is made before the stamps are taken: it may be made in a folder
        // they stamp.
        std::error_code error;
        std::filesystem::create_directories(file.parent_path(), error);
        remembered = Remembered{conditions, currentStamps(), {}};
        if (!std::all_of(remembered->stamps.begin(), remembered->stamps.end(),
                         [](const Stamp& stamp) { return storable(stamp.path); })) {
            return match;
        }
    }
    if (remembered->answers.size() >= kMaxAnswers) {
        remembered->answers.erase(remembered->answers.begin());
    }
    remembered->answers.push_back(Answer{family, pixels, *match});
    replaceFile(file, format(*remembered));
    return match;
}

std::optional<FontFace> matchOutlineFaceRemembered(const std::string& family, int pixels,
                                                   const std::filesystem::path& file) {
    return outlineFaceOf(matchFontRemembered(family, pixels, file), family);
}

std::filesystem::path rememberedMatchesFile() {
    const std::string home = environmentValue("HOME");
    const std::string cache =
        environmentValue("XDG_CACHE_HOME", home.empty() ? std::string() : home + "/.cache");
    if (cache.empty()) {
        return {};
    }
    return std::filesystem::path(cache) / "korvel" / ("font-matches." + programName());
}

} // namespace korvel
